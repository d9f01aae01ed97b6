// `QorvImage map`: where the files of a DLF lie on the disc, from the DLF and
// the system file it names (its header and FST): used and free space, a bar
// of how full each stretch is, the top-level folders; as text or as SVG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/fst_reader.h"
#include "image/image_run.h"
#include "image/output_file.h"

namespace qorv {

// The FST entry an item is the file of: its index, and which of its places
// (a copied file's copy).
struct MapPlace {
  uint64_t offset = 0;
  uint32_t index = 0;
  uint32_t copy = 0;
};

struct MapItem {
  uint64_t offset = 0;
  uint64_t size = 0;
  std::string host_path;
  bool in_fst = false;  // an FST entry lies there: `place` names it
  MapPlace place;
  size_t group = 0;     // index into DiscMap::groups
};

// A top-level folder of the disc (or the files at the root).
struct MapGroup {
  std::string name;
  uint64_t bytes = 0;
  uint64_t files = 0;
  uint64_t start = UINT64_MAX;  // outermost start and end of its files
  uint64_t end = 0;
};

struct FreeStretch {
  uint64_t start = 0;
  uint64_t end = 0;
};

struct DiscMap {
  TargetMode mode = TargetMode::ZEM;
  std::string system_path;  // the system file, as opened
  uint64_t system_end = 0;  // the system file's end
  uint64_t user_start = 0;
  uint64_t user_end = 0;
  uint64_t closing = 0;
  uint64_t used = 0;  // bytes of the items in the user area
  std::vector<MapItem> items;  // in disc order, without the system file
  std::vector<MapGroup> groups;
  std::vector<FreeStretch> free;  // in the user area, in disc order
  FstTable table;  // of the system file
};

// The disc path of `item`'s FST entry ("/movie/a.vid", with " (copy 1)" or
// " (mirror twin)"); "" when it has none. Paths are made when shown, not
// kept: a deep tree's paths would add up to far more than the FST itself.
std::string item_disc_path(const DiscMap &map, const MapItem &item);

// Reads the DLF of `run.options`, its files' sizes and its system file;
// `outputs` are checked against the files the DLF names.
bool make_disc_map(ImageRun &run, DiscMap &map, const std::vector<OutputFile> &outputs = {});

std::string map_text(const DiscMap &map, uint32_t columns);
std::string map_svg(const DiscMap &map, const std::string &title);

// Returns IMAGE_OK or IMAGE_FAILED.
int map_disc(ImageRun &run);

}  // namespace qorv
