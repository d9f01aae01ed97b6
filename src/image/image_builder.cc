#include "image/image_builder.h"

#include <cstdio>
#include <vector>

#include "host/disc_file.h"
#include "host/interrupt_watch.h"
#include "host/range_copy.h"
#include "image/dlf_reader.h"
#include "image/image_report.h"
#include "image/item_check.h"
#include "image/progress_line.h"

namespace qorv {

namespace {
std::string folder_of(const std::string &path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// What must hold before the first byte is written, beyond the items: the
// configuration file of v2.00, the image's own path and the size asked for.
void check_build_target(ImageRun &run, const std::string &dlf, const DlfLayout &layout,
                        const std::vector<CheckedItem> &items, const std::string &image) {
  if (layout.zem && !layout.config_path.empty()) {
    std::string config = item_host_path(run.options.directory, layout.config_path);
    DiscFileStatus status = disc_file_status(config);
    if (status.kind != DiscFileKind::Regular)
      image_error_at(run, dlf, layout.config_line,
                     "the configuration file " + config + " " +
                         (status.kind == DiscFileKind::Missing ? "cannot be found: " + error_text(status.error)
                                                               : std::string("is not a regular file")));
  }
  DiscFileStatus folder = disc_file_status(folder_of(image));
  if (folder.kind != DiscFileKind::Directory)
    image_error(run, "cannot write " + image + ": its folder " + folder_of(image) +
                         (folder.kind == DiscFileKind::Missing ? " does not exist" : " is not a folder"));
  DiscFileStatus target = disc_file_status(image);
  if (target.kind == DiscFileKind::Directory) image_error(run, "cannot write " + image + ": it is a folder");
  DiscFileStatus dlf_status = disc_file_status(dlf);
  for (const CheckedItem &item : items)
    if (item.status.same_file(dlf_status))
      image_error_at(run, dlf, item.item->line, "this item's file " + item.path + " is the DLF itself");
  if (target.kind == DiscFileKind::Regular) {
    if (target.same_file(dlf_status))
      image_error(run, "the image " + image + " is the DLF itself");
    for (const CheckedItem &item : items)
      if (target.same_file(item.status))
        image_error_at(run, dlf, item.item->line, "the image " + image + " is this item's file " + item.path);
  }
  if (run.options.image_size && *run.options.image_size < layout.closing_offset)
    image_error(run, "--size " + hex_offset(*run.options.image_size) + " is below the DLF's closing offset " +
                         hex_offset(layout.closing_offset));
}

// Copies every item into `image`; false with a message on the first failure.
bool copy_items(ImageRun &run, const std::string &dlf, const std::vector<CheckedItem> &items,
                TemporaryImageFile &image, const std::string &image_name, InterruptWatch &watch,
                uint64_t data_bytes) {
  ProgressLine progress(run, data_bytes);
  RangeCopier copier;
  uint64_t before = 0;  // bytes of the items already copied
  copier.keep_going = [&](uint64_t done) {
    progress.update(before + done);
    return !watch.interrupted();
  };
  for (const CheckedItem &item : items) {
    DiscFileReader source;
    bool same = source.open(item.path) && source.status().same_file(item.status);
    if (!same || source.status().size != item.status.size) {
      progress.finish();
      image_error_at(run, dlf, item.item->line,
                     item.path + (!same ? " was replaced or removed" : " changed its size (from " +
                                  grouped(item.status.size) + " to " + grouped(source.status().size) +
                                  " bytes)") + " after it was checked");
      return false;
    }
    CopyStatus status = copy_range(copier, source.fd(), image.fd(), item.item->offset, item.status.size);
    if (status == CopyStatus::Copied && disc_file_status(source.fd()).size != item.status.size)
      status = CopyStatus::SourceShort;  // it grew while it was copied
    if (status != CopyStatus::Copied) progress.finish();
    switch (status) {
      case CopyStatus::Copied: break;
      case CopyStatus::Interrupted: image_error(run, "interrupted; " + image_name + " was not written"); return false;
      case CopyStatus::SourceShort:
        image_error_at(run, dlf, item.item->line, item.path + " changed its size while it was copied");
        return false;
      case CopyStatus::ReadFailed:
        image_error_at(run, dlf, item.item->line, "cannot read " + item.path + ": " + error_text(copier.error));
        return false;
      case CopyStatus::WriteFailed:
        image_error(run, "cannot write " + image_name + ": " + error_text(copier.error));
        return false;
    }
    before += item.status.size;
  }
  progress.finish();
  return true;
}
}  // namespace

std::string default_image_path(const std::string &dlf) {
  size_t slash = dlf.rfind('/');
  size_t dot = dlf.rfind('.');
  size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  // A leading dot starts a hidden name, not an extension.
  if (dot == std::string::npos || dot <= name_start) return dlf + ".img";
  return dlf.substr(0, dot) + ".img";
}

int build_image(ImageRun &run) {
  const std::string &dlf = run.options.dlf_path;
  std::string image = run.options.image_path.empty() ? default_image_path(dlf) : run.options.image_path;
  DlfLayout layout;
  if (!read_dlf(run, dlf, layout)) return IMAGE_FAILED;
  std::vector<CheckedItem> items;
  check_dlf_items(run, dlf, layout, items);
  check_build_target(run, dlf, layout, items, image);
  if (run.error_count != 0) return IMAGE_FAILED;

  uint64_t data_bytes = 0;
  for (const CheckedItem &item : items) data_bytes += item.status.size;
  uint64_t image_size = run.options.image_size.value_or(layout.closing_offset);

  if (run.after_checks) run.after_checks();
  if (run.options.quiet) run.progress = false;
  InterruptWatch watch;  // from here on Ctrl-C ends the build cleanly
  TemporaryImageFile temporary;
  if (!temporary.create(image)) {
    image_error(run, "cannot create a file beside " + image + ": " + error_text(temporary.error()));
    return IMAGE_FAILED;
  }
  double start = monotonic_seconds();
  if (!copy_items(run, dlf, items, temporary, image, watch, data_bytes)) return IMAGE_FAILED;
  if (!temporary.set_length(image_size)) {
    image_error(run, "cannot extend " + image + " to " + grouped(image_size) + " bytes: " +
                         error_text(temporary.error()));
    return IMAGE_FAILED;
  }
  if (watch.interrupted()) {
    image_error(run, "interrupted; " + image + " was not written");
    return IMAGE_FAILED;
  }
  if (!temporary.commit()) {
    image_error(run, "cannot write " + image + ": " + error_text(temporary.error()));
    return IMAGE_FAILED;
  }

  double seconds = monotonic_seconds() - start;
  DiscFileStatus written = disc_file_status(image);
  char timing[64];
  std::snprintf(timing, sizeof timing, "%.2f s", seconds);
  image_note(run, "Built " + image + ": " + grouped(items.size()) + " items, " + grouped(data_bytes) +
                      " data bytes, image " + grouped(image_size) + " bytes, " + grouped(written.allocated) +
                      " bytes allocated, " + timing + ", " +
                      binary_size(seconds > 0 ? static_cast<double>(data_bytes) / seconds : 0) + "/s");
  if (layout.zem)
    image_note(run, "The configuration file " + item_host_path(run.options.directory, layout.config_path) +
                        " is not part of the image: give it to the disc emulator beside it.");
  return IMAGE_OK;
}

}  // namespace qorv
