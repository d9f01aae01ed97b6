#include "image/system_area_reader.h"

#include <array>
#include <span>

#include "image/image_report.h"

namespace qorv {

bool read_system_area(ImageRun &run, DiscFileReader &file, const std::string &name, SystemArea &area) {
  std::array<uint8_t, DISC_HEADER_SIZE> header{};
  area.file_size = file.status().size;
  int64_t n = file.read_at(0, header.data(), header.size());
  if (n < 0) {
    image_error(run, ImageMessage::CannotRead, {name, error_text(file.error())});
    return false;
  }
  if (static_cast<uint64_t>(n) < header.size()) {
    image_error(run, ImageMessage::TooShortForHeader, {name, grouped(area.file_size), grouped(DISC_HEADER_SIZE)});
    return false;
  }
  const std::span<const uint8_t> bytes(header);
  HeaderMagic magic = read_magic_words(bytes.first<DISC_ID_BLOCK_SIZE>());
  if (!magic.mode) {
    image_error(run, magic.both ? ImageMessage::MagicWordsOfBoth : ImageMessage::NoMagicWord, {name});
    return false;
  }
  area.mode = *magic.mode;
  const Bb2Block bb2 = decode_bb2_block(bytes.subspan<BB2_BLOCK_OFFSET, BB2_BLOCK_SIZE>(), area.mode);
  area.boot_position = bb2.boot_position;
  area.fst_position = bb2.fst_position;
  area.fst_size = bb2.fst_size;
  area.user_area_start = bb2.user_area_start;
  area.user_area_length = bb2.user_area_length;
  if (area.mode == TargetMode::HT)
    area.loader_size = decode_loader_size(bytes.subspan<LOADER_BLOCK_OFFSET, LOADER_BLOCK_SIZE>());
  else if (area.boot_position > LDR_POSITION)
    area.loader_size = area.boot_position - LDR_POSITION;
  // Each value is below 2^34, so the sum cannot wrap.
  if (area.fst_position + area.fst_size > area.file_size) {
    image_error(run, ImageMessage::FstBeyondEnd,
                {name, hex_offset(area.fst_position), grouped(area.fst_size), grouped(area.file_size)});
    return false;
  }
  return true;
}

}  // namespace qorv
