#include <algorithm>

#include "host/name_case.h"
#include "layout/layout_request_passes.h"

namespace qorv {

void LastMatch::add(std::string_view pattern) {
  // A pattern without wildcards is equality ignoring case; it goes through
  // the same directory states, where it drops out as soon as the entry's
  // directory differs from its own.
  wild_.add(pattern);
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

  if (entry.kind == KIND_DIRECTORY) {
    if (!path.empty()) {  // the root's contents start from the empty prefix
      Level inner{path + '\\', {}};
      wild_.advance(level.cursor, std::string(rest) + '\\', inner.cursor);
      levels_.push_back(std::move(inner));
    }
    return -1;
  }

  std::ptrdiff_t best = -1;
  const WildcardSet::Cursor &cursor = level.cursor;
  if (!cursor.certain().empty())
    best = std::max(best, static_cast<std::ptrdiff_t>(wild_index_[cursor.certain().back()]));
  const std::vector<uint32_t> &open = cursor.open();
  if (open.empty() || static_cast<std::ptrdiff_t>(wild_index_[open.back()]) <= best) return best;
  // Only the patterns that can end on the path's last byte are tried.
  const std::vector<uint32_t> &candidates =
      rest.empty() ? open : wild_.candidates(static_cast<unsigned char>(rest.back()));
  bool assigned = false;
  for (size_t i = candidates.size(); i-- > 0 && static_cast<std::ptrdiff_t>(wild_index_[candidates[i]]) > best;) {
    const uint32_t k = cursor.slot(candidates[i]);
    if (k == WildcardSet::Cursor::NOT_OPEN) continue;
    if (!assigned) rest_.assign(rest), assigned = true;
    if (wild_.matches(cursor, k, rest_)) return static_cast<std::ptrdiff_t>(wild_index_[candidates[i]]);
  }
  return best;
}

}  // namespace qorv
