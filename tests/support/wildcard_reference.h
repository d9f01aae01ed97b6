// The wildcard matcher's definition transcribed directly: exponential in the
// number of stars, so only for short inputs. Tests and the differential fuzz
// target compare the real matcher with it.
#pragma once

namespace qorv::test {

inline bool reference_match(const char *path, const char *pattern) {
  auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
  for (;;) {
    if (*pattern == '*') {
      if (*path == '\0') return true;  // a star at the end of the path matches the rest
      for (const char *p = path + 1;; ++p) {  // otherwise it takes one or more characters
        if (reference_match(p, pattern + 1)) return true;
        if (*p == '\0') return false;
      }
    }
    if (*pattern == '?') {
      if (*path == '\0') return false;
    } else {
      if (lower(static_cast<unsigned char>(*pattern)) != lower(static_cast<unsigned char>(*path))) return false;
      if (*path == '\0') return true;
    }
    ++path;
    ++pattern;
  }
}

}  // namespace qorv::test
