#include "image/fst_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <span>

#include "disc/byte_packing.h"
#include "image/image_report.h"

namespace qorv {

namespace {
// Records are decoded a few thousand at a time, not read whole: a table
// refused at its first entries costs little however large it claims to be.
constexpr uint64_t RECORDS_PER_READ = 4096;
constexpr uint64_t WINDOW = 1 << 16;  // bytes of copy lists read at a time

// A directory still open at the current index.
struct OpenDirectory {
  uint32_t index;
  uint32_t next;
  size_t depth;        // levels below the root
  size_t path_length;  // of its disc path
};

struct FstParse {
  ImageRun &run;
  DiscFileReader &file;
  const std::string &file_name;
  const SystemArea &area;
  FstTable &table;
  uint64_t names_start = 0;  // FST offset of the name table, behind the records
  // Where the copy lists read so far lie (FST offsets, their end words
  // included) and whose they are: no two may share a word.
  std::map<uint64_t, std::pair<uint64_t, uint32_t>> claimed{};
  std::vector<uint8_t> window{};
  uint64_t window_start = 0;

  void problem(uint64_t index, ImageMessage what, ImageArgs args = {}) {
    image_error(run, ImageMessage::FstEntryProblem, {file_name, std::to_string(index), image_text(run, what, args)});
  }

  bool read(uint64_t fst_offset, void *buffer, uint64_t length) {
    int64_t n = file.read_at(area.fst_position + fst_offset, buffer, length);
    if (n >= 0 && static_cast<uint64_t>(n) == length) return true;
    image_error(run, ImageMessage::CannotReadFst,
                {file_name, n < 0 ? error_text(file.error()) : image_text(run, ImageMessage::FileShorter)});
    return false;
  }

  // The word at `fst_offset`, read through a window of the file.
  std::optional<uint32_t> word_at(uint64_t fst_offset) {
    if (window.empty() || fst_offset < window_start || fst_offset + 4 > window_start + window.size()) {
      window_start = fst_offset;
      window.resize(static_cast<size_t>(std::min(WINDOW, area.fst_size - fst_offset)));
      if (!read(fst_offset, window.data(), window.size())) return std::nullopt;
    }
    return get_be32(window, static_cast<size_t>(fst_offset - window_start));
  }

  // The zero-terminated name at `offset` of the name table.
  bool name_at(uint64_t index, uint32_t offset, FstEntry &entry) {
    const std::string &names = table.names;
    if (offset >= names.size()) {
      problem(index, ImageMessage::NameOutside, {hex_offset(offset)});
      return false;
    }
    size_t room = std::min<size_t>(names.size() - offset, MAX_DISC_PATH + 1);
    const void *zero = std::memchr(names.data() + offset, 0, room);
    if (!zero) {
      if (room > MAX_DISC_PATH) problem(index, ImageMessage::NameTooLong, {hex_offset(offset), grouped(MAX_DISC_PATH)});
      else problem(index, ImageMessage::NameNoZero, {hex_offset(offset)});
      return false;
    }
    size_t size = static_cast<size_t>(static_cast<const char *>(zero) - (names.data() + offset));
    if (size == 0) {
      problem(index, ImageMessage::NameEmpty);
      return false;
    }
    entry.name_at = offset;
    entry.name_size = static_cast<uint16_t>(size);
    return true;
  }

  // The copy list of a copied file: its copies' positions / 4 up to an end
  // word, lying in the FST and in no other file's list. Each of its copies
  // takes at least 4 bytes of the user area, so no more of them than that
  // area can hold are taken.
  bool copy_list(uint64_t index, uint32_t offset, FstEntry &entry) {
    const uint64_t start = names_start + offset;
    auto overlap = [&](uint32_t owner) {
      problem(index, ImageMessage::CopyListOverlaps, {hex_offset(offset), std::to_string(owner)});
      return false;
    };
    auto after = claimed.upper_bound(start);
    if (after != claimed.begin() && std::prev(after)->second.first > start) return overlap(std::prev(after)->second.second);
    const uint64_t room = after == claimed.end() ? area.fst_size : after->first;
    const uint64_t each = std::max<uint64_t>(entry.size, 4);
    entry.first_copy = static_cast<uint32_t>(table.copy_words.size());
    uint64_t at = start;
    for (;; at += 4) {
      if (at + 4 > area.fst_size) {
        table.copy_words.resize(entry.first_copy);
        problem(index, ImageMessage::CopyListPastEnd, {hex_offset(offset)});
        return false;
      }
      if (at + 4 > room) {
        table.copy_words.resize(entry.first_copy);
        return overlap(after->second.second);
      }
      std::optional<uint32_t> word = word_at(at);
      if (!word) return false;
      if (*word == COPY_LIST_END) break;
      const uint64_t copies = table.copy_words.size() - entry.first_copy + 1;
      if (copies > area.user_area_length / each) {
        table.copy_words.resize(entry.first_copy);
        problem(index, ImageMessage::CopyListTooLong,
                {hex_offset(offset), grouped(entry.size), grouped(area.user_area_length)});
        return false;
      }
      table.copy_words.push_back(*word);
    }
    claimed[start] = {at + 4, static_cast<uint32_t>(index)};
    entry.copy_count = static_cast<uint32_t>(table.copy_words.size() - entry.first_copy);
    if (entry.copy_count == 0) {
      problem(index, ImageMessage::CopyListEmpty);
      return false;
    }
    entry.offset = table.copy(entry, 0);
    return true;
  }

  // The root: a directory whose next index is the number of entries.
  std::optional<uint64_t> entry_count() {
    if (area.fst_size < FST_RECORD_SIZE) {
      image_error(run, ImageMessage::FstTooSmall, {file_name, std::to_string(area.fst_size)});
      return std::nullopt;
    }
    std::array<uint8_t, FST_RECORD_SIZE> bytes{};
    if (!read(0, bytes.data(), bytes.size())) return std::nullopt;
    std::optional<FstRecord> root = decode_fst_record(bytes, image_fst_format(area.mode));
    if (!root || !root->is_directory()) {
      problem(0, ImageMessage::RootNotDirectory);
      return std::nullopt;
    }
    const uint64_t count = root->next();
    if (count == 0 || count > area.fst_size / FST_RECORD_SIZE || count > MAX_FST_ENTRIES) {
      if (count > MAX_FST_ENTRIES)
        problem(0, ImageMessage::CountBeyondAnyFst, {std::to_string(count), grouped(MAX_FST_ENTRIES)});
      else
        problem(0, ImageMessage::CountBeyondFst, {std::to_string(count), grouped(area.fst_size)});
      return std::nullopt;
    }
    return count;
  }

  // Checks record `i` against its neighbours and the open directories and
  // fills its entry; false (reported) when it is refused. A path beyond the
  // format's limits ends the reading at once (`fatal`).
  bool take(uint64_t i, const FstRecord &record, std::vector<OpenDirectory> &open, bool &fatal) {
    FstEntry &entry = table.entries[static_cast<size_t>(i)];
    const OpenDirectory &holder = open.back();
    entry.kind = record.kind;
    entry.replica = record.replica;
    entry.parent = holder.index;
    if (!name_at(i, record.name_offset, entry)) return false;
    const size_t path_length = (holder.index == 0 ? 0 : holder.path_length + 1) + entry.name_size;
    if (path_length > MAX_DISC_PATH) {
      problem(i, ImageMessage::PathTooLong, {grouped(path_length), grouped(MAX_DISC_PATH)});
      fatal = true;
      return false;
    }
    const FstEntry &before = table.entries[static_cast<size_t>(i - 1)];
    const bool after_mirrored = i > 1 && before.kind == FstKind::File && before.replica == ReplicaKind::Mirrored;
    if (entry.is_twin() != after_mirrored) {
      problem(i, entry.is_twin() ? ImageMessage::TwinWithoutFile : ImageMessage::MirroredWithoutTwin);
      return false;
    }
    if (entry.is_directory()) return nest(i, record, path_length, open, fatal);
    entry.size = record.word2;
    if (entry.is_twin()) {
      entry.size = before.size;
      entry.reserved = record.word2;
    }
    if (entry.is_copied()) return copy_list(i, record.copy_list_offset(), entry);
    entry.offset = real_offset(table.mode, record.word1);
    return true;
  }

  // Directory `i` lies in the innermost open directory, and its subtree
  // within that one's: it is opened in turn.
  bool nest(uint64_t i, const FstRecord &record, size_t path_length, std::vector<OpenDirectory> &open, bool &fatal) {
    const OpenDirectory &holder = open.back();
    if (record.parent() != holder.index) {
      problem(i, ImageMessage::ParentDiffers, {std::to_string(record.parent()), std::to_string(holder.index)});
    } else if (record.next() <= i) {
      problem(i, ImageMessage::RangeBackwards, {std::to_string(record.next())});
    } else if (record.next() > holder.next) {
      problem(i, ImageMessage::RangeBeyondParent, {std::to_string(record.next()), std::to_string(holder.next)});
    } else if (holder.depth + 1 > MAX_FOLDER_DEPTH) {
      problem(i, ImageMessage::FolderTooDeep, {grouped(MAX_FOLDER_DEPTH)});
      fatal = true;
    } else {
      table.entries[static_cast<size_t>(i)].next = record.next();
      open.push_back({static_cast<uint32_t>(i), record.next(), holder.depth + 1, path_length});
      return true;
    }
    return false;
  }
};
}  // namespace

std::string_view replica_name(const FstEntry &entry) {
  if (entry.is_twin()) return "mirror twin";
  switch (entry.replica) {
    case ReplicaKind::Mirrored: return "mirrored";
    case ReplicaKind::Copied: return "copied";
    case ReplicaKind::Ordinary: break;
  }
  return "";
}

bool read_fst(ImageRun &run, DiscFileReader &file, const std::string &name, const SystemArea &area,
              FstTable &table) {
  table = FstTable{};
  table.mode = area.mode;
  FstParse p{run, file, name, area, table};
  // The plain format's type bytes are those of ordinary entries in the
  // advanced format, which ZEM discs may use.
  const FstFormat format = image_fst_format(area.mode);
  std::optional<uint64_t> count = p.entry_count();
  if (!count) return false;

  // Names start below 16 MiB (24-bit offsets) and are at most a disc path
  // long: nothing beyond that is read, whatever the FST claims.
  p.names_start = *count * FST_RECORD_SIZE;
  table.names.resize(static_cast<size_t>(
      std::min<uint64_t>(area.fst_size - p.names_start, NAME_TABLE_LIMIT + MAX_DISC_PATH + 1)));
  if (!p.read(p.names_start, table.names.data(), table.names.size())) return false;

  int32_t errors_before = run.error_count;
  table.entries.resize(static_cast<size_t>(*count));
  table.entries[0].kind = FstKind::Directory;
  table.entries[0].next = static_cast<uint32_t>(*count);
  std::vector<OpenDirectory> open{{0, static_cast<uint32_t>(*count), 0, 0}};
  std::vector<uint8_t> records;
  bool fatal = false;
  for (uint64_t i = 1; i < *count && !fatal && run.error_count < errors_before + IMAGE_ERROR_LIMIT; ++i) {
    const uint64_t in_chunk = i % RECORDS_PER_READ;
    if (i == 1 || in_chunk == 0) {
      uint64_t first = i - in_chunk;
      records.resize(static_cast<size_t>(std::min(RECORDS_PER_READ, *count - first) * FST_RECORD_SIZE));
      if (!p.read(first * FST_RECORD_SIZE, records.data(), records.size())) return false;
    }
    while (i >= open.back().next) open.pop_back();
    auto bytes = std::span<const uint8_t>(records).subspan(static_cast<size_t>(in_chunk * FST_RECORD_SIZE));
    std::optional<FstRecord> record = decode_fst_record(bytes.first<FST_RECORD_SIZE>(), format);
    if (!record) {
      table.entries[static_cast<size_t>(i)].parent = open.back().index;
      p.problem(i, ImageMessage::UnknownEntryType, {hex_offset(bytes[0], 2)});
      continue;
    }
    p.take(i, *record, open, fatal);
  }
  if (run.error_count != errors_before) return false;
  table.encoding = choose_name_encoding(run, name, table);
  return true;
}

NameEncoding choose_name_encoding(ImageRun &run, const std::string &name, const FstTable &table) {
  auto not_decoding = [&](NameEncoding encoding) {
    uint64_t count = 0;
    for (size_t i = 1; i < table.entries.size(); ++i)
      if (!decodes_whole(table.name(table.entries[i]), encoding)) ++count;
    return count;
  };
  if (run.options.code_page) {
    const NameEncoding given = *run.options.code_page;
    const uint64_t failing = given == NameEncoding::Bytes ? 0 : not_decoding(given);
    if (failing != 0)
      image_warning(run, ImageMessage::NamesNotInCodePage,
                    {grouped(failing), name,
                     given == NameEncoding::Utf8 ? "UTF-8" : image_text(run, ImageMessage::CodePage932)});
    return given;
  }
  if (not_decoding(NameEncoding::Utf8) == 0) return NameEncoding::Utf8;
  if (not_decoding(NameEncoding::CodePage932) == 0) return NameEncoding::CodePage932;
  image_warning(run, ImageMessage::NamesInNeither, {name});
  return NameEncoding::Bytes;
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
    path += table.name(entry);
    if (entry.is_directory()) {
      path += '/';
      visit(i, entry, path);
      if (entry.next > i) open.push_back({i, path.size()});
    } else {
      visit(i, entry, path);
    }
  }
}

std::string fst_path(const FstTable &table, uint32_t index) {
  std::vector<uint32_t> chain;
  for (uint32_t at = index; at != 0; at = table.entries[at].parent) chain.push_back(at);
  std::string path = "/";
  for (size_t k = chain.size(); k-- > 0;) {
    const FstEntry &entry = table.entries[chain[k]];
    path += table.name(entry);
    if (entry.is_directory()) path += '/';
  }
  return path;
}

}  // namespace qorv
