#include "image/item_check.h"

#include <algorithm>

#include "image/image_report.h"

namespace qorv {

namespace {
std::string range_text(uint64_t begin, uint64_t end) { return hex_offset(begin) + "-" + hex_offset(end); }

// The item reaching furthest so far, to check the next ones against.
struct Furthest {
  bool any = false;
  uint64_t offset = 0, end = 0;
  int32_t line = 0;
  std::string path;
};
}  // namespace

bool check_dlf(ImageRun &run, const std::string &dlf, const std::vector<ForbiddenFile> &forbidden,
               bool keep_paths, CheckedDlf &checked) {
  int32_t errors_before = run.error_count;
  DlfStream stream(run, dlf);
  if (!stream.open(checked.header)) return false;
  DlfItem item;
  Furthest furthest;
  while (stream.next(item)) {
    CheckedItem c;
    c.offset = item.offset;
    c.line = item.line;
    std::string path = item_host_path(run.options.directory, item.host_path);
    DiscFileReader file;  // opening proves that it can be read
    if (!file.open(path)) {
      image_error_at(run, dlf, item.line, "cannot use " + path + ": " + open_problem(file.error()));
    } else {
      c.usable = true;
      c.size = file.status().size;
      c.device = file.status().device;
      c.inode = file.status().inode;
      for (const ForbiddenFile &f : forbidden)
        if (f.status.kind != DiscFileKind::Missing && c.same_file(f.status)) image_error_at(run, dlf, item.line, "this item's file " + path + " is " + f.what);
    }
    // Each item against the one reaching furthest before it, so an item that
    // covers several others is caught with each of them.
    if (c.usable) {
      if (furthest.any && furthest.end > c.offset)
        image_error_at(run, dlf, item.line,
                       path + " (" + range_text(c.offset, c.end()) + ") overlaps " + furthest.path + " of line " +
                           std::to_string(furthest.line) + " (" + range_text(furthest.offset, furthest.end) +
                           ") in " + range_text(c.offset, std::max(c.offset, std::min(furthest.end, c.end()))));
      if (!furthest.any || c.end() > furthest.end) furthest = {true, c.offset, c.end(), c.line, path};
    }
    if (keep_paths) checked.paths.push_back(std::move(path));
    checked.items.push_back(std::move(c));
  }
  checked.closing_offset = stream.closing_offset();
  checked.closing_line = stream.closing_line();
  if (stream.good() && furthest.any && furthest.end > checked.closing_offset)
    image_error_at(run, dlf, furthest.line,
                   furthest.path + " (" + range_text(furthest.offset, furthest.end) +
                       ") runs past the closing offset " + hex_offset(checked.closing_offset) + " of line " +
                       std::to_string(checked.closing_line) + " by " +
                       grouped(furthest.end - checked.closing_offset) + " bytes");
  return run.error_count == errors_before;
}

}  // namespace qorv
