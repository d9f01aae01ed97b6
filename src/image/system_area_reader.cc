#include "image/system_area_reader.h"

#include <array>

#include "core/byte_packing.h"
#include "core/run_state.h"
#include "image/image_report.h"
#include "sysarea/header_blocks.h"

namespace qorv {

bool read_system_area(ImageRun &run, DiscFileReader &file, const std::string &name, SystemArea &area) {
  std::array<uint8_t, DISC_HEADER_SIZE> header{};
  area.file_size = file.status().size;
  int64_t n = file.read_at(0, header.data(), header.size());
  if (n < 0) {
    image_error(run, "cannot read " + name + ": " + error_text(file.error()));
    return false;
  }
  if (static_cast<uint64_t>(n) < header.size()) {
    image_error(run, name + " is too short for a disc header: " + grouped(area.file_size) +
                         " bytes, the header alone takes " + grouped(DISC_HEADER_SIZE));
    return false;
  }
  bool zem = get_be32(header, ZEM_MAGIC_OFFSET) == ZEM_MAGIC;
  bool ht = get_be32(header, HT_MAGIC_OFFSET) == HT_MAGIC;
  if (zem == ht) {
    image_error(run, name + " holds no disc header: " +
                         (zem ? "it has the magic words of both modes" : "no magic word of either mode"));
    return false;
  }
  area.zem = zem;
  // In ZEM mode offsets and lengths in the boot block are stored divided by 4.
  uint64_t unit = zem ? 4 : 1;
  area.boot_position = get_be32(header, BB2_BLOCK_OFFSET) * unit;
  area.fst_position = get_be32(header, BB2_BLOCK_OFFSET + 4) * unit;
  area.fst_size = get_be32(header, BB2_BLOCK_OFFSET + 8) * unit;
  area.user_area_start = get_be32(header, BB2_BLOCK_OFFSET + 20) * unit;
  area.user_area_length = get_be32(header, BB2_BLOCK_OFFSET + 24) * unit;
  if (!zem) {
    area.loader_size = get_be32(header, LOADER_BLOCK_OFFSET);
  } else if (area.boot_position > LDR_POSITION) {
    area.loader_size = area.boot_position - LDR_POSITION;
  }
  if (area.fst_position > area.file_size || area.fst_size > area.file_size - area.fst_position) {
    image_error(run, name + ": the FST (" + hex_offset(area.fst_position) + ", " + grouped(area.fst_size) +
                         " bytes) lies beyond the end of the file (" + grouped(area.file_size) + " bytes)");
    return false;
  }
  return true;
}

}  // namespace qorv
