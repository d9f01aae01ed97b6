"""The tool's disc-path wildcard rules, in Python, for the generators.

"?" is one character, "*" is one or more characters, except that a "*" met
when the path is already exhausted matches whatever pattern text follows it.
Only A-Z and a-z are folded; a backslash is an ordinary character.

The generators use this to know which files a [LayoutOff] pattern removes, so
that no other definition names a file that is no longer on the disc.
"""

import re


def _fold(c):
    return c.lower() if "A" <= c <= "Z" else c


def wildcard_match(path, pattern):
    """Reference matcher: the recursive definition, memoised."""
    memo = {}

    def at(i, j):
        key = (i, j)
        if key in memo:
            return memo[key]
        if j < len(pattern) and pattern[j] == "*":
            if i == len(path):
                result = True
            else:
                result = any(at(k, j + 1) for k in range(i + 1, len(path) + 1))
        elif j < len(pattern) and pattern[j] == "?":
            result = i < len(path) and at(i + 1, j + 1)
        else:
            p_end, s_end = j == len(pattern), i == len(path)
            if p_end or s_end:
                result = p_end and s_end
            else:
                result = _fold(path[i]) == _fold(pattern[j]) and at(i + 1, j + 1)
        memo[key] = result
        return result

    return at(0, 0)


class WildcardBits:
    """The same rule as a bit-parallel automaton (one bit per pattern
    position), for patterns with many stars: time linear in the path."""

    def __init__(self, pattern):
        self.star = sum(1 << j for j, p in enumerate(pattern) if p == "*")
        self.accept = self.star | (1 << len(pattern))
        self.by_char = {}
        for j, p in enumerate(pattern):
            if p in "*?":
                continue
            for c in {p.lower(), p.upper()} if p.isascii() and p.isalpha() else {p}:
                self.by_char[c] = self.by_char.get(c, 0) | (1 << j)
        self.any = sum(1 << j for j, p in enumerate(pattern) if p == "?")

    def matches(self, path):
        active, loop = 1, 0
        for c in path:
            loop |= active & self.star
            active = ((active & (self.by_char.get(c, 0) | self.any)) << 1) | (loop << 1)
            if not (active | loop):
                return False
        return bool(active & self.accept)


def compile_wildcard(pattern):
    """A compiled regular expression equivalent to wildcard_match(., pattern).

    Each star becomes "end of path, or one or more characters followed by the
    rest", nested, so the regex follows the same rule. Fast for patterns with
    few stars; use wildcard_match for the many-star ones.
    """
    parts = pattern.split("*")

    def literal(text):
        return "".join("." if c == "?" else re.escape(c) for c in text)

    regex = literal(parts[-1])
    for part in reversed(parts[:-1]):
        regex = literal(part) + r"(?:\Z|.+" + regex + ")"
    return re.compile(regex, re.IGNORECASE | re.ASCII | re.DOTALL)


def regex_match(compiled, path):
    return compiled.fullmatch(path) is not None
