// Reading a DLF: the version line, the configuration line of v2.00, one item
// line per placed file ("0x<hex>,\"<host path>\"") and the closing line.
// Read line by line, so a DLF of any length takes little memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/disc_file.h"
#include "image/image_catalog.h"
#include "image/image_run.h"

namespace qorv {

struct DlfItem {
  uint64_t offset = 0;
  std::string host_path;  // as written in the DLF
  int32_t line = 0;
};

// What a DLF says besides its items.
struct DlfHeader {
  bool zem = true;            // v2.00 (ZEM mode) or v1.00 (HT mode)
  std::string config_path;    // v2.00: the configuration file
  int32_t config_line = 0;
};

// The items of a DLF one after another, each line's form checked and every
// problem reported with the DLF's name and line.
class DlfStream {
public:
  DlfStream(ImageRun &run, const std::string &path) : run_(run), path_(path) {}

  // Opens the DLF and reads its first lines; false (reported) when it is no DLF.
  bool open(DlfHeader &header);
  // The next item (gap markers are skipped); false at the closing line.
  bool next(DlfItem &item);
  // After the last item: the closing line, and whether every line was good
  // (an error was reported otherwise).
  uint64_t closing_offset() const { return closing_offset_; }
  int32_t closing_line() const { return closing_line_; }
  bool good() const { return errors_ == 0; }

private:
  bool advance();  // the next line into `line_`; false at the end
  // The next line of the file into `line` (without its LF or CR LF); false at
  // the end, or (reported) for a line too long to be a DLF's.
  bool read_line(std::string &line);
  void error(int32_t line, ImageMessage what, ImageArgs args = {});

  ImageRun &run_;
  std::string path_;
  DiscFileReader file_;
  uint64_t file_offset_ = 0;  // of the next byte to read into `buffer_`
  std::string buffer_;        // bytes read and not yet taken
  size_t taken_ = 0;
  bool at_end_ = false;
  std::string line_, ahead_;
  bool has_ahead_ = false;
  int32_t line_number_ = 0;
  uint64_t previous_ = 0;
  uint64_t closing_offset_ = 0;
  int32_t closing_line_ = 0;
  bool first_item_ = true;
  int32_t errors_ = 0;
};

// A whole DLF in memory.
struct DlfLayout {
  DlfHeader header;
  std::vector<DlfItem> items;  // without gap markers; the system file first
  uint64_t closing_offset = 0;
  int32_t closing_line = 0;
};

// Reads and checks all of `path`; false when it had any problem.
bool read_dlf(ImageRun &run, const std::string &path, DlfLayout &layout);

// The host path of an item as the image tool opens it: relative paths are
// taken from `directory` (the folder QorvMakeDlf ran in) when it is given.
std::string item_host_path(const std::string &directory, const std::string &host_path);

}  // namespace qorv
