#include "tree/directory_chain.h"

#include <utility>

namespace qorv {

// Invariant outside `reopen`: the open levels are those from `first_open_`
// to the deepest; the ones above were closed for the host's limit.

OpenStatus DirectoryChain::open_root(const std::string &path) {
  root_path_ = &path;
  levels_.clear();
  first_open_ = 0;
  root_id_known_ = false;
  root_listing_ = nullptr;
  Level root;
  OpenStatus status = open_directory(path, root.dir);
  if (status != OpenStatus::Opened) return status;
  levels_.push_back(std::move(root));
  return status;
}

void DirectoryChain::adopt_root(const std::string &path, HostNodeId id, HostListing &listing) {
  root_path_ = &path;
  levels_.clear();
  levels_.push_back({HostDirectory(), id, std::string()});
  first_open_ = levels_.size();  // closed, as if for the host's limit
  root_id_known_ = true;
  root_listing_ = &listing;
}

bool DirectoryChain::holds(HostNodeId id) {
  // Asked about the root's entries first, while the root is still open: no
  // level is closed before one below the root is entered.
  if (!root_id_known_) {
    levels_.front().id = directory_id(levels_.front().dir);
    root_id_known_ = true;
  }
  for (const Level &level : levels_)
    if (level.id == id) return true;
  return false;
}

void DirectoryChain::leave() {
  levels_.pop_back();
  if (first_open_ > levels_.size()) first_open_ = levels_.size();
}

bool DirectoryChain::close_nearest_root(size_t below) {
  if (first_open_ >= below) return false;
  levels_[first_open_++].dir.close();
  return true;
}

bool DirectoryChain::reopen() {
  const size_t deepest = levels_.size() - 1;
  for (size_t i = 0; i <= deepest; ++i) {
    Level &level = levels_[i];
    OpenStatus status;
    do {
      status = i == 0 ? open_directory(*root_path_, level.dir)
                      : open_child_directory(levels_[i - 1].dir, level.name, level.dir);
    } while (status == OpenStatus::TooManyOpen && i > 0 && close_nearest_root(i - 1));
    if (status != OpenStatus::Opened || directory_id(level.dir) != level.id) {
      for (Level &l : levels_) l.dir.close();
      first_open_ = levels_.size();
      return false;
    }
    if (i == 0) first_open_ = 0;
  }
  return true;
}

ListStatus DirectoryChain::list(HostListing &own, HostListing *&listing) {
  if (root_listing_) {
    listing = std::exchange(root_listing_, nullptr);
    return ListStatus::Listed;
  }
  listing = &own;
  ListStatus status;
  do {
    status = list_directory(levels_.back().dir, own);
  } while (status == ListStatus::TooManyOpen && close_nearest_root(levels_.size() - 1));
  return status;
}

DirectoryChain::Enter DirectoryChain::enter(std::string_view name, HostNodeId id) {
  if (!levels_.back().dir.is_open() && !reopen()) return Enter::LostParent;
  Level child{HostDirectory(), id, std::string(name)};
  OpenStatus status;
  do {
    status = open_child_directory(levels_.back().dir, name, child.dir);
  } while (status == OpenStatus::TooManyOpen && close_nearest_root(levels_.size() - 1));
  if (status == OpenStatus::CannotOpen) return Enter::CannotOpen;
  if (status == OpenStatus::TooManyOpen) return Enter::TooManyOpen;
  levels_.push_back(std::move(child));
  return Enter::Entered;
}

}  // namespace qorv
