#include "image/depfile.h"

#include <string_view>
#include <unordered_set>

namespace qorv {

std::optional<std::string> depfile_escaped(const std::string &path) {
  std::string out;
  size_t backslashes = 0;  // the run of backslashes just written
  for (char c : path) {
    if (c == '\n' || c == '\r' || c == '\0') return std::nullopt;
    if (c == ' ' || c == '\t' || c == '#') {
      // 2N+1 backslashes before a blank read back as N and the blank.
      out.append(backslashes, '\\');
      out += '\\';
    } else if (c == '$') {
      out += '$';
    }
    backslashes = c == '\\' ? backslashes + 1 : 0;
    out += c;
  }
  // Backslashes at the end of a name would join it to the line end.
  out.append(backslashes, '\\');
  return out;
}

std::optional<std::string> depfile_text(const std::string &target, const std::vector<std::string> &inputs,
                                        std::string &bad) {
  std::optional<std::string> name = depfile_escaped(target);
  if (!name) {
    bad = target;
    return std::nullopt;
  }
  std::string out = *name + ":";
  std::unordered_set<std::string_view> seen;
  for (const std::string &input : inputs) {
    if (!seen.insert(input).second) continue;
    std::optional<std::string> escaped = depfile_escaped(input);
    if (!escaped) {
      bad = input;
      return std::nullopt;
    }
    out += " \\\n  " + *escaped;
  }
  return out + "\n";
}

}  // namespace qorv
