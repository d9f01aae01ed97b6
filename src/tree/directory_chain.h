// The directories of a tree walk, from its root down to the one being
// walked, each held open so that its next subdirectory is opened from it by
// name: no host call needs a whole path, however deep the tree.
//
// When the host allows no more open files (a tree thousands of levels
// deep), the open directory nearest the root is closed. The closed ones are
// always the levels nearest the root, so coming back up to a closed
// directory, the walk opens the root again by its path and each level below
// it by name, keeping as many open as the host allows, and checks that each
// is still the directory it listed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/directory_listing.h"

namespace qorv {

class DirectoryChain {
public:
  enum class Enter {
    Entered,
    CannotOpen,   // missing, not a directory, or no access
    TooManyOpen,  // not even one more directory may be opened
    LostParent,   // the directory being walked was closed and is gone or replaced
  };

  // Opens the walk's root as the only directory of the chain. The chain
  // keeps `path` by reference, to open the root again.
  OpenStatus open_root(const std::string &path);
  // Makes the root, listed beforehand as `listing`, the only directory of
  // the chain, closed: it is opened again, and checked to have identity
  // `id`, when a subdirectory is entered. Both are kept by reference.
  void adopt_root(const std::string &path, HostNodeId id, HostListing &listing);

  // True when a directory of the chain has this identity (a link loop).
  bool holds(HostNodeId id);

  // Lists the deepest directory into `own` and points `listing` at it, or
  // at the adopted root's listing the first time.
  ListStatus list(HostListing &own, HostListing *&listing);

  // Opens `name` of the deepest directory, listed with identity `id`, and
  // makes it the deepest.
  Enter enter(std::string_view name, HostNodeId id);
  // Drops the deepest directory.
  void leave();

private:
  struct Level {
    HostDirectory dir;  // closed when the host's limit was reached
    HostNodeId id;
    std::string name;   // in its parent
  };

  // Closes the open level nearest the root, if it lies above level `below`.
  bool close_nearest_root(size_t below);
  // Opens every level again, from the root down to the deepest (all are
  // closed then); false when one is gone or is another directory now.
  bool reopen();

  const std::string *root_path_ = nullptr;
  // The root's identity is read when first needed: a folder without
  // subdirectories (most grafted folders) never needs it.
  bool root_id_known_ = false;
  HostListing *root_listing_ = nullptr;  // adopted and not yet listed
  std::vector<Level> levels_;
  size_t first_open_ = 0;
};

}  // namespace qorv
