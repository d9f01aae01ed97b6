// QorvImage's reader on FSTs built to the format's shape from the fuzzer's
// bytes, so that it gets past the first checks: nesting of any depth, names
// long and shared, copy lists new, shared and overlapping, twins, unknown
// type bytes, and claimed sizes far beyond the file over sparse space.
// Besides not crashing, hanging or running out of memory, the reader must
// hold what it accepts to the limits of the format, and a listing must
// succeed exactly when the reader accepted the table.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "app/image_command_line.h"
#include "disc/fst_format.h"
#include "disc/system_area_format.h"
#include "fuzz_support.h"
#include "image/fst_reader.h"
#include "image/system_area_reader.h"

namespace {

using namespace qorv;

// The fuzzer's bytes from the front; zero once they run out, so that a
// short input means "nest another folder" (the shape of a deep tree).
struct Bytes {
  const uint8_t *data;
  size_t size;
  uint32_t take(uint32_t count) {  // a value below `count` (1 to 2^16)
    uint32_t value = 0;
    for (uint32_t span = 1; span < count; span <<= 8) {
      value = value << 8 | (size ? *data : 0);
      if (size) ++data, --size;
    }
    return count ? value % count : 0;
  }
};

struct Shape {
  TargetMode mode = TargetMode::ZEM;
  std::string fst;
  uint64_t claimed = 0;    // the FST size the boot block gives
  uint64_t file_size = 0;  // the file's size, sparse beyond its bytes
  uint64_t user_area_length = 0;
};

Shape generate(Bytes in) {
  Shape s;
  s.mode = in.take(2) ? TargetMode::HT : TargetMode::ZEM;
  const uint32_t count = 1 + in.take(5000);
  // A few names; entries take one of them or any offset.
  static constexpr uint32_t lengths[] = {1, 2, 7, 255, 4095, 16383, 30000, 32767, 32768, 40000};
  std::string names;
  std::vector<uint32_t> name_offsets;
  for (uint32_t k = 0, pool = 1 + in.take(6); k < pool; ++k) {
    name_offsets.push_back(static_cast<uint32_t>(names.size()));
    names += std::string(lengths[in.take(std::size(lengths))], static_cast<char>(1 + in.take(255)));
    names += '\0';
  }
  names.resize(name_table_size(TargetMode::ZEM, names.size()));

  std::vector<std::array<uint8_t, FST_RECORD_SIZE>> records;
  std::vector<uint32_t> words;             // copy lists, behind the names
  std::vector<std::pair<uint32_t, uint32_t>> lists;  // (start word, words) of each list made
  const FstFormat format = FstFormat::Advanced;
  records.push_back(encode_fst_record({FstKind::Directory, ReplicaKind::Ordinary, 0, 0, count}, format));
  std::vector<std::pair<uint32_t, uint32_t>> open{{0, count}};  // the open directories: index, next index
  for (uint32_t i = 1; i < count; ++i) {
    while (open.size() > 1 && i >= open.back().second) open.pop_back();
    const auto [holder, holder_end] = open.back();
    const uint32_t op = in.take(256);
    const uint32_t name = in.take(8) == 7 ? in.take(1 << 16) << 8
                                          : name_offsets[in.take(static_cast<uint32_t>(name_offsets.size()))];
    FstRecord r{FstKind::File, ReplicaKind::Ordinary, name, in.take(1 << 16) << 16, in.take(1 << 16)};
    if (op < 64) {  // a folder holding the next entries; parent index as the reader expects, or not
      r.kind = FstKind::Directory;
      r.word1 = in.take(16) == 15 ? in.take(1 << 16) : holder;
      uint32_t room = holder_end - i;
      r.word2 = op < 48 ? holder_end : i + 1 + in.take(room > 0xFFFF ? 0xFFFF : room + 1);
      open.push_back({i, r.word2});
    } else if (op < 160 && op >= 128 && i + 1 < count) {  // a mirrored file and its twin
      r.replica = ReplicaKind::Mirrored;
      records.push_back(encode_fst_record(r, format));
      r.kind = FstKind::MirrorTwin;
      ++i;
    } else if (op >= 160 && op < 224) {  // a copied file: a new list, a shared one, one inside another
      r.replica = ReplicaKind::Copied;
      const uint32_t how = lists.empty() ? 0 : in.take(4);
      uint32_t start;
      if (how == 0) {
        start = static_cast<uint32_t>(words.size());
        uint32_t length = in.take(3) ? in.take(64) : in.take(40000);
        for (uint32_t k = 0; k < length; ++k) words.push_back(1 + in.take(1 << 16));
        words.push_back(in.take(8) == 7 ? 7 : COPY_LIST_END);
        lists.push_back({start, length + 1});
      } else {
        const auto &[first, length] = lists[in.take(static_cast<uint32_t>(lists.size()))];
        start = how == 1 ? first : how == 2 ? first + in.take(length) : in.take(1 << 16);
      }
      r.word1 = static_cast<uint32_t>(names.size()) + 4 * start;
    }
    auto bytes = encode_fst_record(r, format);
    if (op >= 224) bytes[0] = static_cast<uint8_t>(in.take(256));  // any type byte
    records.push_back(bytes);
  }
  for (const auto &record : records) s.fst.append(record.begin(), record.end());
  s.fst += names;
  for (uint32_t w : words) s.fst += std::string{static_cast<char>(w >> 24), static_cast<char>(w >> 16),
                                                static_cast<char>(w >> 8), static_cast<char>(w)};
  // The claimed size: the real one, a little more, or up to what a word holds.
  const uint64_t unit = offset_unit(s.mode);
  switch (in.take(4)) {
    case 0: s.claimed = s.fst.size(); break;
    case 1: s.claimed = s.fst.size() + unit * in.take(1 << 16); break;
    case 2: s.claimed = unit * (uint64_t{in.take(1 << 16)} << 16 | in.take(1 << 16)); break;
    default: s.claimed = s.fst.size() / 2; break;
  }
  s.claimed = s.claimed / unit * unit;
  const uint64_t end = DISC_HEADER_SIZE + s.fst.size();
  s.file_size = in.take(2) ? std::max(end, DISC_HEADER_SIZE + s.claimed) : end;
  s.user_area_length = unit * (in.take(2) ? 0x100 : uint64_t{1} << 31);
  return s;
}

void write_image(const Shape &s, const std::string &path) {
  std::array<uint8_t, DISC_HEADER_SIZE> header{};
  put_magic_word(std::span(header).first<DISC_ID_BLOCK_SIZE>(), s.mode);
  Bb2Block bb2{DISC_HEADER_SIZE, DISC_HEADER_SIZE, s.claimed, s.claimed, 0, 0x100000, s.user_area_length};
  auto block = encode_bb2_block(bb2, s.mode);
  std::copy(block.begin(), block.end(), header.begin() + BB2_BLOCK_OFFSET);
  std::string bytes(header.begin(), header.end());
  bytes += s.fst;
  fuzz::write_bytes(path, reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
  if (s.file_size > bytes.size() && ::truncate(path.c_str(), static_cast<off_t>(s.file_size)) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string path = fuzz::scratch_dir() + "/shape.bin";
  const Shape shape = generate({data, size});
  write_image(shape, path);
  fuzz::NullBuffer nothing;
  std::ostream discard(&nothing);

  ImageRun run;
  run.diag_stream = run.out_stream = &discard;
  DiscFileReader file;
  if (!file.open(path)) std::abort();
  SystemArea area;
  FstTable table;
  bool read = read_system_area(run, file, path, area) && read_fst(run, file, path, area, table);
  if (read) {
    // What is accepted keeps to the format: counts the table can hold,
    // paths within the limits, copies that lie in the FST.
    if (table.entries.size() > MAX_FST_ENTRIES || table.entries.size() * FST_RECORD_SIZE > area.fst_size) std::abort();
    if (table.copy_words.size() * 4 > area.fst_size) std::abort();
    std::vector<size_t> depth(table.entries.size(), 0);
    for_each_fst_path(table, [&](uint32_t index, const FstEntry &entry, const std::string &path_text) {
      // "/" + the disc path, and "/" after a folder.
      if (path_text.size() > MAX_DISC_PATH + 2) std::abort();
      if (index > 0) depth[index] = depth[entry.parent] + 1;
      if (entry.is_directory() && depth[index] > MAX_FOLDER_DEPTH) std::abort();
    });
  }
  for (const char *form : {"--long", "--json"}) {
    ImageRun list;
    list.diag_stream = list.out_stream = &discard;
    const char *argv[] = {"QorvImage", "list", form, path.c_str()};
    if (run_image_program(list, 4, argv) != (read ? IMAGE_OK : IMAGE_FAILED)) std::abort();
  }
  return 0;
}
