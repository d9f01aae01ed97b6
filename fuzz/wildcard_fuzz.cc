// Differential target: the compiled matcher against a direct transcription
// of the recursive definition, on short inputs. Any difference aborts.
// Input: a cut byte, the path, a zero byte, the patterns separated by zero
// bytes. Each pattern is matched against the whole path, and from the
// states after the path's first `cut` bytes, as a directory walk does.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/wildcard.h"
#include "support/wildcard_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  std::string input(reinterpret_cast<const char *>(data) + 1, size - 1);
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t at; (at = input.find('\0', from)) != std::string::npos; from = at + 1)
    parts.push_back(input.substr(from, at - from));
  parts.push_back(input.substr(from));
  if (parts.size() < 2 || parts.size() > 9) return 0;

  // Short inputs keep the exponential reference fast.
  std::string path = parts[0].substr(0, 14);
  std::vector<std::string> patterns;
  for (size_t i = 1; i < parts.size(); ++i) patterns.push_back(parts[i].substr(0, 12));

  qorv::WildcardSet set(patterns);
  qorv::WildcardSet::Cursor at_cut;
  const size_t cut = data[0] % (path.size() + 1);
  set.advance(set.start(), std::string_view(path).substr(0, cut), at_cut);
  qorv::WildcardSet::Rest rest;
  rest.assign(std::string_view(path).substr(cut));

  for (uint32_t p = 0; p < patterns.size(); ++p) {
    const bool expected = qorv::test::reference_match(path.c_str(), patterns[p].c_str());
    if (qorv::wildcard_match(path, patterns[p]) != expected) std::abort();
    if (set.matches(p, path) != expected) std::abort();
    bool found = false;
    for (uint32_t c : at_cut.certain())
      if (c == p) {
        if (!expected) std::abort();
        found = true;
      }
    for (size_t k = 0; k < at_cut.open().size(); ++k)
      if (at_cut.open()[k] == p) {
        if (set.matches(at_cut, k, rest) != expected) std::abort();
        found = true;
      }
    if (!found && expected) std::abort();  // dropped as dead, yet it matches
  }
  return 0;
}
