#include "tree/source_tree_scan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "disc/fst_format.h"
#include "host/directory_listing.h"
#include "host/host_path.h"
#include "tree/directory_chain.h"

namespace qorv {

namespace {

// What the walk does with one listed item, decided before any entry is built
// so that `children` is allocated once and never moves afterwards.
enum class Verdict { Placed, Unnamable, LineBreak, Backslash, Missing, NotAFile, LinkLoop, TooDeep, CaseClash };

// The message for an entry refused for its name or its depth.
const char *refusal_text(Verdict verdict) {
  switch (verdict) {
    // One item per line in the DLF: a line break would split the item.
    case Verdict::LineBreak: return "%s has a line break in its name.";
    // The disc joins names with backslashes: "x\y" would be the file y in x.
    case Verdict::Backslash: return "%s has a backslash in its name.";
    // Windows: the name would be written with "?" for what the ANSI code
    // page lacks, a name that no file has, or that of another file.
    case Verdict::Unnamable: return "%s has a name that the ANSI code page cannot hold.";
    // A FIFO, a socket or a device has no contents of a known size to put
    // on a disc: it would be listed as an empty file that no image can hold.
    case Verdict::NotAFile: return "%s is not a file.";
    default: return "%s is nested too deeply.";
  }
}

// How deep the disc tree may nest (MAX_FOLDER_DEPTH, MAX_DISC_PATH): as deep
// as a [PathList] FST dir of 4095 bytes reaches, and as a walk by whole host
// paths of 4096 bytes could go. The passes over the tree recurse once per
// level and every entry keeps its whole disc path, so an unbounded tree would
// exhaust the stack or the memory.

struct SortedItem {
  HostItem *item;
  std::string_view disc_name;  // the name on the disc (the host's, unless converted)
  std::string_view key;  // upper-cased disc name, kept in the directory's key buffer
  uint64_t head = 0;     // its first eight bytes, big-endian, zero-padded
  Verdict verdict = Verdict::Placed;
  size_t clash_with = 0;  // CaseClash: index (in sorted order) of the entry it clashes with
  size_t child = 0;       // Placed: index of its entry in `children`
};

// True when `names` holds a line feed, a carriage return or a backslash.
// Such names are rare: three searches of a directory's whole names buffer
// (memchr, many bytes a step) spare a search of each name (a byte a step).
bool holds_unplaceable_byte(std::string_view names) {
  constexpr auto npos = std::string_view::npos;
  return names.find('\n') != npos || names.find('\r') != npos || names.find('\\') != npos;
}

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

// Sibling order: upper-cased disc names as unsigned bytes (siblings share
// their host directory, so this is the order of the upper-cased host paths);
// names equal but for case are ordered by their own bytes, so the order
// never depends on the host's listing order.
bool sibling_less(const SortedItem &a, const SortedItem &b) {
  // Names hold no zero byte, so the padded heads order as the keys do
  // wherever they differ.
  if (a.head != b.head) return a.head < b.head;
  // string_view compares through memcmp: unsigned bytes.
  int c = a.key.compare(b.key);
  if (c != 0) return c < 0;
  if (a.disc_name != b.disc_name) return a.disc_name < b.disc_name;
  // Names the disc's code page cannot hold share a shown form.
  return std::string_view(a.item->name) < std::string_view(b.item->name);
}

// One listed directory's items in sibling order, with the buffers their
// names point into (kept in place: the views must not move).
struct SortedListing {
  std::string converted;     // the disc names, when the disc's code page converts them
  std::string keys;          // the upper-cased disc names
  std::vector<bool> unheld;  // by listing index: a name the disc's code page cannot hold
  std::vector<SortedItem> items;
};

// The disc names of one directory share one buffer, as the host's names do:
// the same buffer unless the disc's code page converts them (a name it
// cannot hold is sorted by its shown form, "?" for what it lacks). Their
// upper-cased copies share another.
void sort_listing(const DiscCodePage &page, HostListing &listing, SortedListing &sorted) {
  std::vector<HostItem> &items = listing.items;
  std::vector<size_t> disc_sizes;
  if (page.converts()) {
    sorted.converted.reserve(listing.names.size());
    disc_sizes.resize(items.size());
    sorted.unheld.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
      const size_t before = sorted.converted.size();
      sorted.unheld[i] = !page.to_disc(items[i].name, sorted.converted);
      disc_sizes[i] = sorted.converted.size() - before;
    }
  }
  const std::string &disc_names = page.converts() ? sorted.converted : listing.names;
  sorted.keys.assign(disc_names.size(), '\0');
  page.upper_case_copy(disc_names, sorted.keys.data());
  sorted.items.reserve(items.size());
  size_t at = 0;
  for (HostItem &item : items) {
    const size_t size = page.converts() ? disc_sizes[sorted.items.size()] : item.name.size();
    SortedItem &s = sorted.items.emplace_back(SortedItem{&item, std::string_view(disc_names).substr(at, size),
                                                         std::string_view(sorted.keys).substr(at, size)});
    s.head = sort_head(s.key);
    at += size;
  }
  std::sort(sorted.items.begin(), sorted.items.end(), sibling_less);
}

// Sets every item's verdict; returns how many are placed.
size_t judge(DirectoryChain &chain, const DiscCodePage &page, const HostListing &listing, SortedListing &sorted,
             const std::string &disc_dir, size_t depth) {
  size_t placed = 0;
  size_t last_placed = SIZE_MAX;
  const size_t path_before_name = disc_dir.empty() ? 0 : disc_dir.size() + 1;
  const bool odd_names = holds_unplaceable_byte(listing.names);
  for (size_t i = 0; i < sorted.items.size(); ++i) {
    SortedItem &s = sorted.items[i];
    const bool is_dir = s.item->kind == HostItemKind::Directory;
    const bool unnamable = s.item->kind == HostItemKind::Unnamable ||
                           (page.converts() && sorted.unheld[static_cast<size_t>(s.item - listing.items.data())]);
    if (unnamable) {
      s.verdict = Verdict::Unnamable;
    } else if (odd_names && s.item->name.find_first_of("\n\r") != std::string_view::npos) {
      s.verdict = Verdict::LineBreak;
    } else if (odd_names && page.has_backslash(s.disc_name)) {
      s.verdict = Verdict::Backslash;
    } else if (s.item->kind == HostItemKind::Missing) {
      s.verdict = Verdict::Missing;
    } else if (s.item->kind == HostItemKind::Special) {
      s.verdict = Verdict::NotAFile;
    } else if (is_dir && chain.holds(s.item->id)) {
      s.verdict = Verdict::LinkLoop;
    } else if (path_before_name + s.disc_name.size() > MAX_DISC_PATH ||
               (is_dir && depth >= MAX_FOLDER_DEPTH)) {
      s.verdict = Verdict::TooDeep;
    } else if (last_placed != SIZE_MAX && sorted.items[last_placed].key == s.key) {
      s.verdict = Verdict::CaseClash;
      s.clash_with = last_placed;
    } else {
      last_placed = i;
      ++placed;
    }
  }
  return placed;
}

// The placed items' entries, in sibling order; `children` is allocated once.
void build_entries(const DiscCodePage &page, std::vector<SortedItem> &sorted, size_t placed,
                   std::vector<FileEntry> &children, const std::string &host_dir, const std::string &disc_dir) {
  children.reserve(placed);
  for (SortedItem &s : sorted) {
    if (s.verdict != Verdict::Placed) continue;
    HostItem &item = *s.item;
    s.child = children.size();
    FileEntry &entry = children.emplace_back();
    if (item.kind == HostItemKind::Directory) {
      entry.kind = FstKind::Directory;
    } else {
      entry.file_size = item.size;
      entry.extent = item.size == 0 ? 4 : item.size;  // an empty file still reserves a word
    }
    entry.host_dir = &host_dir;
    if (disc_dir.empty()) {
      entry.disc_path = s.disc_name;
    } else {
      entry.disc_path.reserve(disc_dir.size() + 1 + s.disc_name.size());
      entry.disc_path.append(disc_dir).append(1, '\\').append(s.disc_name);
      entry.name_start = static_cast<uint32_t>(disc_dir.size() + 1);
    }
    if (page.converts() && s.disc_name != item.name) entry.own_host_path = item.name;
  }
}

struct TreeWalk {
  RunState &run;
  DirectoryChain chain;  // from the scanned root down to the directory being listed
  bool ok = true;

  void error(MessageId id, MessageArgs args) {
    report_error(run, id, args);
    ok = false;
  }

  void scan(std::vector<FileEntry> &children, const std::string &host_dir, const std::string &disc_dir,
            size_t depth);
  void report_and_recurse(const std::vector<SortedItem> &sorted, std::vector<FileEntry> &children,
                          const std::string &host_dir, size_t depth);
};

// Lists `host_dir`, the deepest directory of the chain; `depth` is the number
// of components of `disc_dir`.
void TreeWalk::scan(std::vector<FileEntry> &children, const std::string &host_dir,
                    const std::string &disc_dir, size_t depth) {
  HostListing own, *listed;
  if (chain.list(own, listed) != ListStatus::Listed) {
    error(MessageId::ReadError, {host_dir});
    return;
  }
  const DiscCodePage &page = *run.disc_code_page;
  SortedListing sorted;
  sort_listing(page, *listed, sorted);
  const size_t placed = judge(chain, page, *listed, sorted, disc_dir, depth);
  build_entries(page, sorted.items, placed, children, host_dir, disc_dir);
  report_and_recurse(sorted.items, children, host_dir, depth);
}

// Second walk in sibling order: the messages and the subdirectories come in
// the same order on every host.
void TreeWalk::report_and_recurse(const std::vector<SortedItem> &sorted, std::vector<FileEntry> &children,
                                  const std::string &host_dir, size_t depth) {
  size_t next_child = 0;
  bool lost = false;  // this directory was closed and cannot be opened again
  for (const SortedItem &s : sorted) {
    switch (s.verdict) {
      case Verdict::Missing:
      case Verdict::LinkLoop:
        error(MessageId::CannotFind, {join_host_path(host_dir, s.item->name)});
        break;
      case Verdict::CaseClash:
        report_error_text(run,
                          format_text("%s and %s differ only in letter case.",
                                      {children[sorted[s.clash_with].child].host_path(),
                                       join_host_path(host_dir, s.item->name)}));
        ok = false;
        break;
      case Verdict::Unnamable:
      case Verdict::NotAFile:
      case Verdict::LineBreak:
      case Verdict::Backslash:
      case Verdict::TooDeep:
        report_error_text(run,
                          format_text(refusal_text(s.verdict), {join_host_path(host_dir, s.item->name)}));
        ok = false;
        break;
      case Verdict::Placed: {
        FileEntry &entry = children[next_child++];
        if (!entry.is_directory() || lost) break;
        // The directory's host path is kept once, for all its entries.
        const std::string &dir = run.host_directories.emplace_back(entry.host_path());
        switch (chain.enter(entry.host_name(), s.item->id)) {
          case DirectoryChain::Enter::Entered:
            scan(entry.children, dir, entry.disc_path, depth + 1);
            chain.leave();
            break;
          case DirectoryChain::Enter::CannotOpen:
            error(MessageId::CannotFind, {dir});
            break;
          case DirectoryChain::Enter::TooManyOpen:
            error(MessageId::ReadError, {dir});
            break;
          case DirectoryChain::Enter::LostParent:
            error(MessageId::ReadError, {host_dir});
            lost = true;
            break;
        }
        break;
      }
    }
  }
}

}  // namespace

bool scan_directory(RunState &run, std::vector<FileEntry> &children, const std::string &host_dir,
                    const std::string &disc_dir, PreListedRoot *listed) {
  TreeWalk walk{run, {}};
  OpenStatus status = OpenStatus::Opened;
  if (listed)
    walk.chain.adopt_root(host_dir, listed->id, listed->listing);
  else
    status = walk.chain.open_root(host_dir);
  switch (status) {
    case OpenStatus::Opened:
      walk.scan(children, host_dir, disc_dir,
                disc_dir.empty() ? 0 : 1 + std::count(disc_dir.begin(), disc_dir.end(), '\\'));
      // The entries found keep the root's path, shared, for the whole run;
      // an empty folder (a graft made to hold nothing yet) needs no copy.
      if (!children.empty()) {
        const std::string &kept = run.host_directories.emplace_back(host_dir);
        for (FileEntry &child : children) child.host_dir = &kept;
      }
      break;
    case OpenStatus::CannotOpen:
      walk.error(MessageId::CannotFind, {host_dir});
      break;
    case OpenStatus::TooManyOpen:
      walk.error(MessageId::ReadError, {host_dir});
      break;
  }
  return walk.ok;
}

bool scan_disc_root(RunState &run) {
  FileEntry &root = run.root_entry;
  root.kind = FstKind::Directory;
  const std::string *dvd_root = find_text(run.store, key::Input, key::DvdRoot);
  root.set_host_path(host_path_from_description(dvd_root ? *dvd_root : std::string()));
  if (run.absolute_root) {
    // Without a current folder (it was deleted) a relative root has no
    // absolute form: taking "/" in its place would scan another tree.
    std::optional<std::string> absolute = absolute_path_text(root.own_host_path);
    if (!absolute) {
      report_error(run, MessageId::CannotFind, {root.own_host_path});
      return false;
    }
    root.set_host_path(std::move(*absolute));
  }
  // Every DLF line of the tree starts with the root's path, and under -a
  // that holds the current folder's.
  if (root.own_host_path.find_first_of("\n\r") != std::string::npos) {
    report_error_text(run, format_text("%s has a line break in its name.", {root.own_host_path}));
    return false;
  }
  return scan_directory(run, root.children, root.own_host_path, "");
}

}  // namespace qorv
