#include "tree/path_list_mapping.h"

#include <string_view>
#include <unordered_set>

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

}  // namespace

bool check_path_lists(RunState &run) {
  std::unordered_set<std::string_view> top_names;
  for (const FileEntry &entry : run.root_entry.children) top_names.insert(entry.disc_path);

  bool ok = true;
  for (const Layer &layer : run.store.layers) {
    const PathTable *table = path_table(layer);
    if (!table) continue;
    for (const PathMapping &item : table->items) {
      std::string host_dir = host_path_from_description(item.host_dir);
      if (host_dir.find('\n') != std::string::npos || host_dir.find('\r') != std::string::npos) {
        // Every grafted item's DLF line would hold the line break.
        report_error_text(run, "", 0, format_text("%s has a line break in its name.", {host_dir}));
        ok = false;
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

std::vector<const PathMapping *> merge_path_lists(RunState &run) {
  std::vector<const PathMapping *> merged;
  NamePositions by_name;
  const auto name_at = [&](size_t i) -> std::string_view { return merged[i]->name; };
  for (const Layer &layer : run.store.layers) {
    const PathTable *table = path_table(layer);
    if (!table) continue;
    for (const PathMapping &item : table->items) {
      auto [at, added] = by_name.insert(item.name, merged.size(), name_at);
      if (added) {
        merged.push_back(&item);
      } else {
        report_warning(run, layer.file_name, item.line, MessageId::Redefined, {item.name});
        merged[at] = &item;
      }
    }
  }
  return merged;
}

bool map_path_lists(RunState &run) {
  bool any = false;
  for (const Layer &layer : run.store.layers)
    if (const PathTable *table = path_table(layer); table && !table->items.empty()) any = true;
  if (!any) return true;
  if (!check_path_lists(run)) return false;

  bool ok = true;
  const std::vector<const PathMapping *> merged_items = merge_path_lists(run);
  run.path_list_trees.reserve(run.path_list_trees.size() + merged_items.size());
  for (const PathMapping *merged : merged_items) {
    const PathMapping &item = *merged;
    FileEntry mapped;
    mapped.kind = KIND_DIRECTORY;
    mapped.set_disc_path(item.fst_dir, name_begin(item.fst_dir));
    mapped.set_host_path(host_path_from_description(item.host_dir));  // never made absolute
    if (!scan_directory(run, mapped.children, mapped.own_host_path, mapped.disc_path)) ok = false;

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
