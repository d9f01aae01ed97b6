#include "image/fst_reader.h"

#include <cstring>

#include "core/byte_packing.h"
#include "image/image_report.h"

namespace qorv {

namespace {
constexpr uint64_t RECORD_SIZE = 12;

struct FstParse {
  ImageRun &run;
  const std::string &file;
  FstTable &table;
  uint64_t names_start = 0;  // the name table follows the records

  void problem(uint64_t index, const std::string &what) {
    image_error(run, file + ": FST entry " + std::to_string(index) + ": " + what);
  }
  uint32_t word(uint64_t index, int field) const {
    return get_be32(table.bytes, static_cast<size_t>(index * RECORD_SIZE + 4 * static_cast<uint64_t>(field)));
  }

  // The zero-terminated name at `offset` of the name table.
  bool name_at(uint64_t index, uint64_t offset, std::string_view &name) {
    uint64_t at = names_start + offset;
    if (at >= table.bytes.size()) {
      problem(index, "name offset " + hex_offset(offset) + " lies outside the name table");
      return false;
    }
    const uint8_t *begin = table.bytes.data() + at;
    const void *zero = std::memchr(begin, 0, table.bytes.size() - at);
    if (!zero) {
      problem(index, "its name at " + hex_offset(offset) + " has no terminating zero byte");
      return false;
    }
    name = std::string_view(reinterpret_cast<const char *>(begin),
                            static_cast<size_t>(static_cast<const uint8_t *>(zero) - begin));
    if (name.empty()) {
      problem(index, "its name is empty");
      return false;
    }
    return true;
  }

  // The copy list of a copied file: positions / 4 up to a zero word.
  bool copy_list(uint64_t index, uint64_t offset, std::vector<uint64_t> &copies) {
    for (uint64_t at = names_start + offset;; at += 4) {
      if (at + 4 > table.bytes.size() || at < names_start) {
        problem(index, "its copy list at " + hex_offset(offset) + " runs beyond the end of the FST");
        return false;
      }
      uint32_t position = get_be32(table.bytes, static_cast<size_t>(at));
      if (position == 0) break;
      copies.push_back(static_cast<uint64_t>(position) * 4);
    }
    if (copies.empty()) problem(index, "its copy list is empty");
    return !copies.empty();
  }

  bool decode_type(uint64_t index, uint8_t type, FstEntry &entry) {
    uint8_t kind = table.zem ? (type & 3) : type;
    uint8_t replica = table.zem ? (type >> 2) : 0;
    static constexpr ReplicaKind replicas[] = {ReplicaKind::None, ReplicaKind::Mirrored, ReplicaKind::None,
                                               ReplicaKind::Copied};
    bool valid = (kind == 0 && (replica == 0 || replica == 1 || replica == 3)) ||
                 (kind == 1 && replica == 0) || (kind == 2 && replica == 1);
    if (!valid) {
      problem(index, "unknown entry type " + hex_offset(type, 2));
      return false;
    }
    entry.directory = kind == 1;
    entry.replica = kind == 2 ? ReplicaKind::MirrorTwin : replicas[replica];
    return true;
  }
};
}  // namespace

std::string_view replica_name(ReplicaKind kind) {
  switch (kind) {
    case ReplicaKind::Mirrored: return "mirrored";
    case ReplicaKind::MirrorTwin: return "mirror twin";
    case ReplicaKind::Copied: return "copied";
    case ReplicaKind::None: break;
  }
  return "";
}

bool read_fst(ImageRun &run, DiscFileReader &file, const std::string &name, const SystemArea &area,
              FstTable &table) {
  table = FstTable{};
  table.zem = area.zem;
  FstParse p{run, name, table};
  // read_system_area has checked that the FST lies inside the file, so this
  // allocation is bounded by the file's size.
  table.bytes.resize(static_cast<size_t>(area.fst_size));
  int64_t n = file.read_at(area.fst_position, table.bytes.data(), table.bytes.size());
  if (n < 0 || static_cast<uint64_t>(n) != area.fst_size) {
    image_error(run, "cannot read the FST of " + name + ": " +
                         (n < 0 ? error_text(file.error()) : std::string("the file is shorter than it was")));
    return false;
  }
  if (area.fst_size < RECORD_SIZE) {
    image_error(run, name + ": the FST of " + std::to_string(area.fst_size) + " bytes cannot hold its root entry");
    return false;
  }
  uint64_t count = p.word(0, 2);
  if ((table.bytes[0] & 3) != 1 || count == 0 || count > area.fst_size / RECORD_SIZE) {
    p.problem(0, (table.bytes[0] & 3) != 1 ? std::string("the root is not a directory")
                                           : "entry count " + std::to_string(count) + " that the FST's " +
                                                 grouped(area.fst_size) + " bytes cannot hold");
    return false;
  }
  p.names_start = count * RECORD_SIZE;
  int32_t errors_before = run.error_count;
  table.entries.resize(static_cast<size_t>(count));
  table.entries[0].directory = true;
  table.entries[0].next = static_cast<uint32_t>(count);

  // Directories still open at the current index, innermost last.
  std::vector<uint32_t> open{0};
  for (uint64_t i = 1; i < count && run.error_count < errors_before + IMAGE_ERROR_LIMIT; ++i) {
    while (i >= table.entries[open.back()].next) open.pop_back();
    FstEntry &entry = table.entries[static_cast<size_t>(i)];
    entry.parent = open.back();
    uint8_t type = table.bytes[static_cast<size_t>(i * RECORD_SIZE)];
    uint32_t name_offset = p.word(i, 0) & 0xFFFFFF;
    uint32_t word1 = p.word(i, 1), word2 = p.word(i, 2);
    if (!p.decode_type(i, type, entry) || !p.name_at(i, name_offset, entry.name)) continue;
    const FstEntry &before = table.entries[static_cast<size_t>(i - 1)];
    if ((entry.replica == ReplicaKind::MirrorTwin) != (before.replica == ReplicaKind::Mirrored && i > 1 &&
                                                        !before.directory)) {
      p.problem(i, entry.replica == ReplicaKind::MirrorTwin ? "a mirror twin that follows no mirrored file"
                                                            : "the mirrored file before it has no twin");
      continue;
    }
    if (entry.directory) {
      uint32_t holder = open.back();
      if (word1 != holder) {
        p.problem(i, "parent index " + std::to_string(word1) + ", but it lies in directory " + std::to_string(holder));
      } else if (word2 <= i) {
        p.problem(i, "its range ends at " + std::to_string(word2) + ", at or before the directory itself");
      } else if (word2 > table.entries[holder].next) {
        p.problem(i, "its range ends at " + std::to_string(word2) + ", beyond its parent's end " +
                         std::to_string(table.entries[holder].next));
      } else {
        entry.next = word2;
        open.push_back(static_cast<uint32_t>(i));
      }
      continue;
    }
    uint64_t unit = table.zem ? 4 : 1;
    if (entry.replica == ReplicaKind::MirrorTwin) {
      entry.size = before.size;
      entry.reserved = word2;
      entry.offset = word1 * unit;
    } else if (entry.replica == ReplicaKind::Copied) {
      entry.size = word2;
      p.copy_list(i, word1, entry.copies);
      if (!entry.copies.empty()) entry.offset = entry.copies.front();
    } else {
      entry.size = word2;
      entry.offset = word1 * unit;
    }
  }
  return run.error_count == errors_before;
}

void for_each_fst_path(const FstTable &table,
                       const std::function<void(uint32_t, const FstEntry &, const std::string &)> &visit) {
  // The path of the innermost open directory, and where each open one ends in it.
  std::string path = "/";
  std::vector<std::pair<uint32_t, size_t>> open{{0, 1}};
  for (uint32_t i = 0; i < table.entries.size(); ++i) {
    const FstEntry &entry = table.entries[i];
    if (i == 0) {
      visit(0, entry, path);
      continue;
    }
    while (open.size() > 1 && i >= table.entries[open.back().first].next) open.pop_back();
    path.resize(open.back().second);
    path += entry.name;
    if (entry.directory) {
      path += '/';
      visit(i, entry, path);
      if (entry.next > i) open.push_back({i, path.size()});
    } else {
      visit(i, entry, path);
    }
  }
}

}  // namespace qorv
