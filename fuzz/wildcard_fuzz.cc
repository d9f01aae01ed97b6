// Differential target: the compiled matcher against a direct transcription
// of the recursive definition, on short inputs. Any difference aborts.
// Input: a cut byte, the path, a zero byte, the patterns separated by zero
// bytes. Each pattern is matched against the whole path, and the highest
// match is found from the states after the path's first `cut` bytes, as a
// directory walk does.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "match/wildcard.h"
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
  qorv::WildcardSet::Rest scratch;

  std::vector<bool> expected(patterns.size());
  for (uint32_t p = 0; p < patterns.size(); ++p) {
    expected[p] = qorv::test::reference_match(path.c_str(), patterns[p].c_str());
    if (qorv::wildcard_match(path, patterns[p]) != expected[p]) std::abort();
    if (set.matches(p, path) != expected[p]) std::abort();
  }
  // The highest matching pattern above each threshold, from the cut on.
  for (int64_t above = -1; above < static_cast<int64_t>(patterns.size()); ++above) {
    int64_t want = -1;
    for (auto p = static_cast<int64_t>(patterns.size()); p-- > above + 1;)
      if (expected[static_cast<size_t>(p)]) {
        want = p;
        break;
      }
    if (set.last_match(at_cut, path, scratch, above) != want) std::abort();
  }
  return 0;
}
