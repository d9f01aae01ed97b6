#include "tree/path_list_mapping.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/diagnostics.h"
#include "core/name_positions.h"
#include "core/run_state.h"
#include "tree/source_tree_scan.h"
#include "host/directory_listing.h"
#include "host/host_path.h"

namespace qorv {

namespace {

const PathTable *path_table(const Layer &layer) { return find_table<PathTable>(layer, key::PathListForm); }

// As long as a host path may be. Such an FST dir has at most 2048
// components, as deep as the scan lets a folder nest.
constexpr size_t MAX_FST_DIR_LENGTH = 4095;

// An empty FST dir, or one with a leading, trailing or doubled backslash,
// would give the disc a directory without a name. A longer one than the
// limit is refused too: each holder directory keeps its whole disc path, so
// a path of n bytes would cost up to n * n / 2 bytes.
bool is_invalid_fst_dir(std::string_view fst_dir) {
  if (fst_dir.empty() || fst_dir.front() == '\\' || fst_dir.back() == '\\') return true;
  if (fst_dir.size() > MAX_FST_DIR_LENGTH) return true;
  return fst_dir.find("\\\\") != std::string_view::npos;
}

// Where the last component of a disc path begins.
size_t name_begin(std::string_view path) {
  size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

// Which grafted folders the check listed: the scan starts from those
// listings, so a grafted folder is opened once rather than looked up and
// then opened. Only the definitions that win the merge are listed.
class CheckedFolders {
public:
  explicit CheckedFolders(size_t count) : kept_(count), empty_(count) {}

  // Opens and lists the folder of merged item `position`; false when it
  // cannot be opened. A listing that breaks off is dropped: the scan lists
  // the folder again and reports it.
  bool list(size_t position, const std::string &host_dir) {
    HostDirectory dir;
    if (open_directory(host_dir, dir) != OpenStatus::Opened) return false;
    // On the heap: the items point into the listing's names, which must not
    // move. An empty listing leaves it for the next folder.
    if (!spare_) spare_ = std::make_unique<PreListedRoot>();
    if (list_directory(dir, spare_->listing) != ListStatus::Listed) return true;
    if (spare_->listing.items.empty()) {
      empty_[position] = true;
      return true;
    }
    std::unique_ptr<PreListedRoot> root = std::move(spare_);
    // The walk tells link loops by identity, and opens subdirectories from
    // the folder opened again, checked to be this one.
    for (const HostItem &item : root->listing.items)
      if (item.kind == HostItemKind::Directory) {
        root->id = directory_id(dir);
        break;
      }
    kept_[position] = std::move(root);
    return true;
  }

  // The listing of merged item `position`, if it was listed.
  PreListedRoot *listed(size_t position) { return empty_[position] ? &empty_root_ : kept_[position].get(); }
  // Frees that listing once the folder was scanned.
  void release(size_t position) { kept_[position].reset(); }

private:
  std::vector<std::unique_ptr<PreListedRoot>> kept_;  // per merged item
  std::vector<bool> empty_;                           // per merged item: listed, and empty
  PreListedRoot empty_root_;
  std::unique_ptr<PreListedRoot> spare_;
};

// The items of layers 1, 2, 3 combined: a later item with the name of an
// earlier one replaces it in its place. The redefinitions are reported
// (warning 1024) once the items have passed the check.
struct MergedPathLists {
  std::vector<const PathMapping *> items;
  std::vector<std::pair<const Layer *, const PathMapping *>> redefinitions;
  // For every item of every layer, in their order: the position of its name.
  std::vector<uint32_t> positions;

  // The position of the `index`th item of all layers, `item`, when it is the
  // definition that wins.
  std::optional<size_t> winner_position(size_t index, const PathMapping &item) const {
    const size_t at = positions[index];
    return items[at] == &item ? std::optional<size_t>(at) : std::nullopt;
  }
};

MergedPathLists merge_path_lists(const RunState &run) {
  MergedPathLists merged;
  size_t count = 0;
  for (const Layer &layer : run.store.layers)
    if (const PathTable *table = path_table(layer)) count += table->items.size();
  NamePositions by_name;
  by_name.reserve(count);
  merged.positions.reserve(count);
  const auto name_at = [&](size_t i) -> std::string_view { return merged.items[i]->name; };
  for (const Layer &layer : run.store.layers) {
    const PathTable *table = path_table(layer);
    if (!table) continue;
    for (const PathMapping &item : table->items) {
      auto [at, added] = by_name.insert(item.name, merged.items.size(), name_at);
      merged.positions.push_back(static_cast<uint32_t>(at));
      if (added) {
        merged.items.push_back(&item);
      } else {
        merged.redefinitions.emplace_back(&layer, &item);
        merged.items[at] = &item;
      }
    }
  }
  return merged;
}

// Every item of every layer: the host directory exists and is a directory,
// its first disc component is not a top-level name of the DvdRoot tree, and
// the disc directory has no empty component. Reports all problems. The
// folders of the merged items are listed on the way.
bool check_path_lists(RunState &run, const MergedPathLists &merged, CheckedFolders &folders) {
  std::unordered_set<std::string_view> top_names;
  for (const FileEntry &entry : run.root_entry.children) top_names.insert(entry.disc_path);

  bool ok = true;
  size_t index = 0;
  for (const Layer &layer : run.store.layers) {
    const PathTable *table = path_table(layer);
    if (!table) continue;
    for (const PathMapping &item : table->items) {
      const size_t item_index = index++;
      std::string host_dir = host_path_from_description(item.host_dir);
      std::optional<size_t> position;
      if (host_dir.find('\n') != std::string::npos || host_dir.find('\r') != std::string::npos) {
        // Every grafted item's DLF line would hold the line break.
        report_error_text(run, "", 0, format_text("%s has a line break in its name.", {host_dir}));
        ok = false;
      } else if ((position = merged.winner_position(item_index, item)) && folders.list(*position, host_dir)) {
        // A directory, listed.
      } else if (HostPathInfo info = look_up_path(host_dir); !info.exists) {
        report_error(run, layer.file_name, item.line, MessageId::CannotFind, {host_dir});
        ok = false;
      } else if (!info.is_directory) {
        report_error(run, layer.file_name, item.line, MessageId::NotDirectory, {host_dir});
        ok = false;
      }
      std::string_view first(item.fst_dir);
      first = first.substr(0, first.find('\\'));
      if (top_names.contains(first)) {
        report_error(run, layer.file_name, item.line, MessageId::DirectoryDuplicated, {first});
        ok = false;
      }
      if (is_invalid_fst_dir(item.fst_dir)) {
        report_error_text(run, layer.file_name, item.line,
                          format_text("Directory(%s) is invalid.", {item.fst_dir}));
        ok = false;
      }
    }
  }
  return ok;
}

}  // namespace

bool map_path_lists(RunState &run) {
  bool any = false;
  for (const Layer &layer : run.store.layers)
    if (const PathTable *table = path_table(layer); table && !table->items.empty()) any = true;
  if (!any) return true;
  const MergedPathLists merged = merge_path_lists(run);
  CheckedFolders folders(merged.items.size());
  if (!check_path_lists(run, merged, folders)) return false;
  for (const auto &[layer, item] : merged.redefinitions)
    report_warning(run, layer->file_name, item->line, MessageId::Redefined, {item->name});

  bool ok = true;
  run.path_list_trees.reserve(run.path_list_trees.size() + merged.items.size());
  for (size_t position = 0; position < merged.items.size(); ++position) {
    const PathMapping &item = *merged.items[position];
    FileEntry mapped;
    mapped.kind = KIND_DIRECTORY;
    mapped.set_disc_path(item.fst_dir, name_begin(item.fst_dir));
    mapped.set_host_path(host_path_from_description(item.host_dir));  // never made absolute
    if (!scan_directory(run, mapped.children, mapped.own_host_path, mapped.disc_path, folders.listed(position)))
      ok = false;
    folders.release(position);

    // Holder directories, one per backslash, built from the deepest up.
    FileEntry top = std::move(mapped);
    std::string_view fst_dir(item.fst_dir);
    for (size_t slash = fst_dir.rfind('\\'); slash != std::string_view::npos && slash > 0;
         slash = fst_dir.rfind('\\', slash - 1)) {
      FileEntry holder;
      holder.kind = KIND_DIRECTORY;
      holder.set_disc_path(std::string(fst_dir.substr(0, slash)), name_begin(fst_dir.substr(0, slash)));
      holder.children.push_back(std::move(top));
      top = std::move(holder);
    }
    run.path_list_trees.push_back(std::move(top));
  }
  return ok;
}

}  // namespace qorv
