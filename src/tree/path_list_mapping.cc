#include "tree/path_list_mapping.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/diagnostics.h"
#include "core/disc_text.h"
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
// The separators of an FST dir as the description file spells it (a trail
// byte 0x5C of the host's double-byte code page is none).
std::vector<size_t> separators(std::string_view fst_dir) {
  std::vector<size_t> found;
  const DoubleByteRules *rules = DiscCodePage::host().double_byte();
  for (size_t i = 0; i < fst_dir.size(); i += rules ? rules->character_length(fst_dir, i) : 1)
    if (fst_dir[i] == '\\') found.push_back(i);
  return found;
}

bool is_invalid_fst_dir(std::string_view fst_dir) {
  if (fst_dir.empty() || fst_dir.size() > MAX_FST_DIR_LENGTH) return true;
  const std::vector<size_t> seps = separators(fst_dir);
  for (size_t i = 0; i < seps.size(); ++i)
    if (seps[i] == 0 || seps[i] + 1 == fst_dir.size() || (i > 0 && seps[i - 1] + 1 == seps[i])) return true;
  return false;
}

// The disc path of the directory that the first `length` bytes of an FST dir
// name, in the disc's code page; its name begins after the separator `last`
// (npos: at the start).
void set_fst_dir_path(const RunState &run, FileEntry &entry, std::string_view fst_dir, size_t length, size_t last) {
  const size_t begin = last == std::string_view::npos ? 0 : last + 1;
  std::string path = disc_text(run, fst_dir.substr(0, begin));
  const size_t name_start = path.size();
  path += disc_text(run, fst_dir.substr(begin, length - begin));
  entry.set_disc_path(std::move(path), name_start);
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
        report_error_text(run, format_text("%s has a line break in its name.", {host_dir}));
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
      const std::vector<size_t> seps = separators(item.fst_dir);
      const std::string_view first =
          std::string_view(item.fst_dir).substr(0, seps.empty() ? std::string_view::npos : seps[0]);
      if (top_names.contains(disc_text(run, first))) {
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
    mapped.kind = FstKind::Directory;
    const std::vector<size_t> seps = separators(item.fst_dir);
    set_fst_dir_path(run, mapped, item.fst_dir, item.fst_dir.size(),
                     seps.empty() ? std::string_view::npos : seps.back());
    mapped.set_host_path(host_path_from_description(item.host_dir));  // never made absolute
    if (!scan_directory(run, mapped.children, mapped.own_host_path, mapped.disc_path, folders.listed(position)))
      ok = false;
    folders.release(position);

    // Holder directories, one per backslash, built from the deepest up.
    FileEntry top = std::move(mapped);
    for (size_t k = seps.size(); k-- > 0;) {
      FileEntry holder;
      holder.kind = FstKind::Directory;
      set_fst_dir_path(run, holder, item.fst_dir, seps[k], k > 0 ? seps[k - 1] : std::string_view::npos);
      holder.children.push_back(std::move(top));
      top = std::move(holder);
    }
    run.path_list_trees.push_back(std::move(top));
  }
  return ok;
}

}  // namespace qorv
