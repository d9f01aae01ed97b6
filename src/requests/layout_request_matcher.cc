#include "requests/layout_request_passes.h"

namespace qorv {

void LastMatch::add(std::string_view pattern) {
  // A pattern without wildcards is equality ignoring case; it goes through
  // the same directory states, where it drops out as soon as the entry's
  // directory differs from its own.
  if (page_.converts()) {
    std::string on_disc;
    page_.to_disc(pattern, on_disc);
    wild_.add(on_disc);
  } else {
    wild_.add(pattern);
  }
  wild_index_.push_back(count_++);
}

void LastMatch::skip() { ++count_; }

std::ptrdiff_t LastMatch::visit(const FileEntry &entry) {
  const std::string &path = entry.disc_path;
  if (levels_.empty()) levels_.push_back({std::string(), wild_.start()});
  while (levels_.size() > 1 && !(path.size() > levels_.back().prefix.size() && path.starts_with(levels_.back().prefix)))
    levels_.pop_back();
  const Level &level = levels_.back();
  const std::string_view rest = std::string_view(path).substr(level.prefix.size());

  if (entry.is_directory()) {
    if (!path.empty()) {  // the root's contents start from the empty prefix
      Level inner{path + '\\', {}};
      wild_.advance(level.cursor, std::string(rest) + '\\', inner.cursor);
      levels_.push_back(std::move(inner));
    }
    return -1;
  }

  const int64_t last = wild_.last_match(level.cursor, path, rest_);
  return last < 0 ? -1 : static_cast<std::ptrdiff_t>(wild_index_[static_cast<size_t>(last)]);
}

}  // namespace qorv
