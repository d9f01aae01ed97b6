#!/usr/bin/env python3
"""The docs test: run as `check_docs.py SOURCE_DIR`. Fails when a link of the README
or of docs/*.md names a file that does not exist or an anchor that no heading makes,
when a page of docs/ is not linked from the README, or when a message of the catalog
(resources/messages.def) is missing from docs/messages.md with its number and text."""
import pathlib, re, sys

root = pathlib.Path(sys.argv[1]).resolve()
pages = [root / "README.md"] + sorted((root / "docs").glob("*.md"))
problems = []


def anchors(page):
    """The anchors that the page's headings make (lower case, punctuation dropped,
    blanks as hyphens, a repeated one numbered)."""
    seen, made = {}, set()
    for heading in re.findall(r"^#+ (.*)$", page.read_text(encoding="utf-8"), re.M):
        slug = re.sub(r"[^\w\- ]", "", heading.lower()).replace(" ", "-")
        made.add(slug + (f"-{seen[slug]}" if slug in seen else ""))
        seen[slug] = seen.get(slug, 0) + 1
    return made


linked = set()
for page in pages:
    text = re.sub(r"`[^`\n]*`", "", page.read_text(encoding="utf-8"))
    for target in re.findall(r"\]\(([^)\s]+)\)", text):
        if re.match(r"[a-z]+:", target):
            continue
        path, _, anchor = target.partition("#")
        file = (page.parent / path).resolve() if path else page
        linked.add(file)
        where = f"{page.relative_to(root)}: link {target}"
        if not file.exists():
            problems.append(f"{where}: no such file")
        elif anchor and (file.suffix != ".md" or anchor not in anchors(file)):
            problems.append(f"{where}: no heading makes #{anchor}")
    if page.name == "README.md":
        problems += [f"README.md does not link docs/{p.name}" for p in pages[1:] if p not in linked]

messages = (root / "docs" / "messages.md").read_text(encoding="utf-8")
catalog = (root / "resources" / "messages.def").read_text(encoding="utf-8")
for number, text in re.findall(r'^QORV_MESSAGE\((\d+), \w+, "((?:[^"\\]|\\.)*)"', catalog, re.M):
    row = f"| {number} | `{text.encode().decode('unicode_escape').replace('|', chr(92) + '|')}`"
    if row not in messages:
        problems.append(f"docs/messages.md lacks message {number}: expected a row starting {row}")

print("\n".join(problems) or f"docs: {len(pages)} pages, links resolve, every catalog message documented")
sys.exit(1 if problems else 0)
