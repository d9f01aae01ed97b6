#include "tree/source_tree_scan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/directory_listing.h"
#include "host/host_path.h"
#include "host/name_case.h"

namespace qorv {

namespace {

// What the walk does with one listed item, decided before any entry is built
// so that `children` is allocated once and never moves afterwards.
enum class Verdict { Placed, Missing, LinkLoop, CaseClash, Unnamable };

struct SortedItem {
  HostItem *item;
  std::string_view key;  // upper-cased name, kept in the directory's key buffer
  uint64_t head = 0;     // its first eight bytes, big-endian, zero-padded
  Verdict verdict = Verdict::Placed;
  size_t clash_with = 0;  // CaseClash: index (in sorted order) of the entry it clashes with
  size_t child = 0;       // Placed: index of its entry in `children`
};

// The first eight bytes of a sort key as one number, big-endian and
// zero-padded, to compare most keys without memcmp.
uint64_t sort_head(std::string_view key) {
  if (key.size() >= 8 && std::endian::native == std::endian::little) {
    uint64_t head;
    std::memcpy(&head, key.data(), 8);
    return __builtin_bswap64(head);
  }
  uint64_t head = 0;
  for (size_t i = 0; i < 8; ++i) head = (head << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
  return head;
}

// Sibling order: upper-cased names as unsigned bytes (siblings share their
// host directory, so this is the order of the upper-cased host paths); names
// equal but for case are ordered by their own bytes, so the order never
// depends on the host's listing order.
bool sibling_less(const SortedItem &a, const SortedItem &b) {
  // Names hold no zero byte, so the padded heads order as the keys do
  // wherever they differ.
  if (a.head != b.head) return a.head < b.head;
  // string_view compares through memcmp: unsigned bytes.
  int c = a.key.compare(b.key);
  if (c != 0) return c < 0;
  return std::string_view(a.item->name) < std::string_view(b.item->name);
}

struct TreeWalk {
  RunState &run;
  std::vector<HostNodeId> ancestors;  // the directories from the scanned root down
  bool ok = true;

  void error(MessageId id, MessageArgs args) {
    report_error(run, "", 0, id, args);
    ok = false;
  }

  void scan(std::vector<FileEntry> &children, const std::string &host_dir, const std::string &disc_dir);
};

void TreeWalk::scan(std::vector<FileEntry> &children, const std::string &host_dir,
                    const std::string &disc_dir) {
  HostListing listing;
  ListStatus status = list_directory(host_dir, listing);
  std::vector<HostItem> &items = listing.items;
  if (status == ListStatus::CannotOpen) {
    error(MessageId::CannotFind, {host_dir});
    return;
  }
  if (status == ListStatus::ReadFailed) {
    error(MessageId::ReadError, {host_dir});
    return;
  }

  // The upper-cased names of one directory share one buffer, as the names do.
  std::string keys(listing.names.size(), '\0');
  upper_case_copy(listing.names, keys.data());
  std::vector<SortedItem> sorted;
  sorted.reserve(items.size());
  size_t at = 0;
  for (HostItem &item : items) {
    SortedItem &s = sorted.emplace_back(SortedItem{&item, std::string_view(keys).substr(at, item.name.size())});
    s.head = sort_head(s.key);
    at += item.name.size();
  }
  std::sort(sorted.begin(), sorted.end(), sibling_less);

  size_t placed = 0;
  size_t last_placed = SIZE_MAX;
  for (size_t i = 0; i < sorted.size(); ++i) {
    SortedItem &s = sorted[i];
    if (s.item->kind == HostItemKind::Missing) {
      s.verdict = Verdict::Missing;
    } else if (s.item->kind == HostItemKind::Unnamable) {
      s.verdict = Verdict::Unnamable;
    } else if (s.item->kind == HostItemKind::Directory &&
               std::find(ancestors.begin(), ancestors.end(), s.item->id) != ancestors.end()) {
      s.verdict = Verdict::LinkLoop;
    } else if (last_placed != SIZE_MAX && sorted[last_placed].key == s.key) {
      s.verdict = Verdict::CaseClash;
      s.clash_with = last_placed;
    } else {
      last_placed = i;
      ++placed;
    }
  }

  children.reserve(placed);
  for (SortedItem &s : sorted) {
    if (s.verdict != Verdict::Placed) continue;
    HostItem &item = *s.item;
    s.child = children.size();
    FileEntry &entry = children.emplace_back();
    if (item.kind == HostItemKind::Directory) {
      entry.kind = KIND_DIRECTORY;
    } else {
      entry.file_size = item.size;
      entry.extent = item.size == 0 ? 4 : item.size;  // an empty file still reserves a word
    }
    entry.host_dir = &host_dir;
    if (disc_dir.empty()) {
      entry.disc_path = item.name;
    } else {
      entry.disc_path.reserve(disc_dir.size() + 1 + item.name.size());
      entry.disc_path.append(disc_dir).append(1, '\\').append(item.name);
      entry.name_start = static_cast<uint32_t>(disc_dir.size() + 1);
    }
  }

  // Second walk in sibling order: the messages and the subdirectories come in
  // the same order on every host.
  size_t next_child = 0;
  for (const SortedItem &s : sorted) {
    switch (s.verdict) {
      case Verdict::Missing:
      case Verdict::LinkLoop:
        error(MessageId::CannotFind, {join_host_path(host_dir, s.item->name)});
        break;
      case Verdict::Unnamable:
        // Its name would be written with "?" in place of what the code page
        // lacks: a name that no file has, or that of another file.
        report_error_text(run, "", 0,
                          format_text("%s has a name that the ANSI code page cannot hold.",
                                      {join_host_path(host_dir, s.item->name)}));
        ok = false;
        break;
      case Verdict::CaseClash:
        report_error_text(run, "", 0,
                          format_text("%s and %s differ only in letter case.",
                                      {children[sorted[s.clash_with].child].host_path(),
                                       join_host_path(host_dir, s.item->name)}));
        ok = false;
        break;
      case Verdict::Placed: {
        FileEntry &entry = children[next_child++];
        if (entry.kind & 1) {
          ancestors.push_back(s.item->id);
          // The directory's host path is kept once, for all its entries.
          scan(entry.children, run.host_directories.emplace_back(entry.host_path()), entry.disc_path);
          ancestors.pop_back();
        }
        break;
      }
    }
  }
}

}  // namespace

bool scan_directory(RunState &run, std::vector<FileEntry> &children, const std::string &host_dir,
                    const std::string &disc_dir) {
  TreeWalk walk{run, {}};
  HostPathInfo top = look_up_path(host_dir);
  if (top.exists) walk.ancestors.push_back(top.id);
  walk.scan(children, run.host_directories.emplace_back(host_dir), disc_dir);
  return walk.ok;
}

bool scan_disc_root(RunState &run) {
  FileEntry &root = run.root_entry;
  root.kind = KIND_DIRECTORY;
  const std::string *dvd_root = find_text(run.store, key::Input, key::DvdRoot);
  root.set_host_path(host_path_from_description(dvd_root ? *dvd_root : std::string()));
  if (run.absolute_root) root.set_host_path(absolute_path_text(root.own_host_path));
  return scan_directory(run, root.children, root.own_host_path, "");
}

}  // namespace qorv
