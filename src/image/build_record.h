// The build record: a small text file beside the image (IMAGE.build-record)
// that says what the image holds, so that the next build writes only what
// changed. It holds the image's own identity after the build, the DLF's
// form, the configuration file's identity and, for each item, its offset and
// its source file's identity. While an image is updated in place the record
// says so ("state updating"), and the image counts as incomplete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/disc_file.h"
#include "host/file_identity.h"
#include "image/image_catalog.h"

namespace qorv {

inline constexpr const char *BUILD_RECORD_SUFFIX = ".build-record";
inline constexpr int BUILD_RECORD_VERSION = 1;

struct RecordItem {
  uint64_t offset = 0;
  FileIdentity source;  // its size is the item's size
  bool operator==(const RecordItem &) const = default;
};

struct BuildRecord {
  bool updating = false;  // an update in place began and has not ended
  std::string image_name;  // the image's file name, without its folder
  FileIdentity image;
  bool zem = true;  // the DLF's form: v2.00 (ZEM) or v1.00 (HT)
  uint64_t closing_offset = 0;
  uint64_t image_size = 0;
  bool has_config = false;
  FileIdentity config;
  std::vector<RecordItem> items;  // in DLF order, the system file first

  // The same layout from the same sources, whatever the image's own identity.
  bool same_contents(const BuildRecord &o) const {
    return zem == o.zem && closing_offset == o.closing_offset && image_size == o.image_size &&
           has_config == o.has_config && (!has_config || config == o.config) && items == o.items;
  }
};

// The record of the image whose path, links followed, is `image_end_path`.
std::string build_record_path(const std::string &image_end_path);
// The file name of `path`, without its folder.
std::string file_name_of(const std::string &path);

enum class RecordState { Missing, Read, Damaged, OtherVersion };

// What is wrong with a record: a catalog text, `detail` its one value.
struct RecordProblem {
  ImageMessage id = ImageMessage::RecordNotRecord;
  std::string detail;
};

// Reads the record at `path`. Missing for no file or an empty one; Damaged
// (with `problem`) for anything that is not a whole record of this version:
// cut short, binary, a number that does not fit. Memory grows only with the
// lines the file really holds.
RecordState read_build_record(const std::string &path, BuildRecord &record, RecordProblem &problem);

// Writes `record` as the whole of `file`; false with the file's error.
bool write_build_record(ReplacementFile &file, const BuildRecord &record);

}  // namespace qorv
