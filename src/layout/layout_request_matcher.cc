#include "host/name_case.h"
#include "layout/layout_request_passes.h"

namespace qorv {

void LastMatch::add(std::string_view pattern) {
  size_t index = count_++;
  if (pattern.find_first_of("*?") == std::string_view::npos)
    exact_[upper_case_name(pattern)] = index;  // without wildcards: equality ignoring case
  else
    wild_.emplace_back(index, WildcardPattern(pattern));
}

void LastMatch::skip() { ++count_; }

std::ptrdiff_t LastMatch::find(std::string_view disc_path, std::string &scratch) const {
  std::ptrdiff_t best = -1;
  if (!exact_.empty()) {
    upper_case_into(disc_path, scratch);
    if (auto it = exact_.find(scratch); it != exact_.end()) best = static_cast<std::ptrdiff_t>(it->second);
  }
  for (auto it = wild_.rbegin(); it != wild_.rend() && static_cast<std::ptrdiff_t>(it->first) > best; ++it)
    if (it->second.matches(disc_path)) return static_cast<std::ptrdiff_t>(it->first);
  return best;
}

}  // namespace qorv
