#include "image/item_check.h"

#include <algorithm>
#include <cerrno>

#include "image/image_report.h"

namespace qorv {

namespace {
std::string range_text(uint64_t begin, uint64_t end) {
  return hex_offset(begin) + "-" + hex_offset(end);
}
}  // namespace

bool check_dlf_items(ImageRun &run, const std::string &dlf, const DlfLayout &layout,
                     std::vector<CheckedItem> &items) {
  int32_t errors_before = run.error_count;
  items.clear();
  items.reserve(layout.items.size());
  for (const DlfItem &item : layout.items) {
    CheckedItem checked{&item, item_host_path(run.options.directory, item.host_path), {}};
    DiscFileReader file;  // opening proves that it can be read
    if (!file.open(checked.path)) {
      int error = file.error();
      image_error_at(run, dlf, item.line,
                     "cannot use " + checked.path + ": " +
                         (error == ENODEV ? std::string("not a regular file") : error_text(error)));
      checked.status = DiscFileStatus{};
    } else {
      checked.status = file.status();
    }
    items.push_back(std::move(checked));
  }

  // Each item against the one reaching furthest before it, so an item that
  // covers several others is caught with each of them.
  const CheckedItem *furthest = nullptr;
  for (const CheckedItem &checked : items) {
    if (checked.status.kind != DiscFileKind::Regular) continue;
    if (furthest && furthest->end() > checked.item->offset) {
      uint64_t overlap_end = std::min(furthest->end(), checked.end());
      image_error_at(run, dlf, checked.item->line,
                     checked.path + " (" + range_text(checked.item->offset, checked.end()) + ") overlaps " +
                         furthest->path + " of line " + std::to_string(furthest->item->line) + " (" +
                         range_text(furthest->item->offset, furthest->end()) + ") in " +
                         range_text(checked.item->offset, std::max(overlap_end, checked.item->offset)));
    }
    if (!furthest || checked.end() > furthest->end()) furthest = &checked;
  }
  if (furthest && furthest->end() > layout.closing_offset)
    image_error_at(run, dlf, furthest->item->line,
                   furthest->path + " (" + range_text(furthest->item->offset, furthest->end()) +
                       ") runs past the closing offset " + hex_offset(layout.closing_offset) + " of line " +
                       std::to_string(layout.closing_line) + " by " +
                       grouped(furthest->end() - layout.closing_offset) + " bytes");
  return run.error_count == errors_before;
}

}  // namespace qorv
