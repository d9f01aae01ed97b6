#include "image/image_builder.h"

#include <cstdio>
#include <vector>

#include "host/disc_file.h"
#include "host/host_path.h"
#include "host/interrupt_watch.h"
#include "host/range_copy.h"
#include "image/image_report.h"
#include "image/item_check.h"
#include "image/output_file.h"
#include "image/progress_line.h"

namespace qorv {

namespace {
// What must hold before the first byte is written, beyond the items and the
// files the DLF names: the configuration file of v2.00, the image's place,
// the size asked for.
void check_build_target(ImageRun &run, const std::string &dlf, const CheckedDlf &checked, const OutputFile &image) {
  const DlfHeader &header = checked.header;
  if (header.zem && !header.config_path.empty()) {
    std::string config = item_host_path(run.options.directory, header.config_path);
    DiscFileStatus status = disc_file_status(config);
    if (status.kind != DiscFileKind::Regular)
      image_error_at(run, dlf, header.config_line,
                     "the configuration file " + config + " " +
                         (status.kind == DiscFileKind::Missing ? "cannot be found: " + error_text(status.error)
                                                               : std::string("is not a regular file")));
  }
  check_output_place(run, image);
  if (run.options.image_size && *run.options.image_size < checked.closing_offset)
    image_error(run, "--size " + hex_offset(*run.options.image_size) + " is below the DLF's closing offset " +
                         hex_offset(checked.closing_offset));
  if (run.options.image_size && *run.options.image_size > LARGEST_FILE_SIZE)
    image_error(run, "--size " + hex_offset(*run.options.image_size) + " is past " + hex_offset(LARGEST_FILE_SIZE) +
                         ", the largest size of a file");
}

// Copies every item into `image`, reading the DLF a second time for the
// items' paths (their checks are in `checked`); false with a message on the
// first failure.
bool copy_items(ImageRun &run, const std::string &dlf, const CheckedDlf &checked, ReplacementFile &image,
                const std::string &image_name, InterruptWatch &watch, uint64_t data_bytes) {
  ProgressLine progress(run, data_bytes);
  RangeCopier copier;
  uint64_t before = 0;  // bytes of the items already copied
  copier.keep_going = [&](uint64_t done) {
    progress.update(before + done);
    return !watch.interrupted();
  };
  auto fail = [&](int32_t line, const std::string &text) {
    progress.finish();
    if (line > 0) image_error_at(run, dlf, line, text);
    else image_error(run, text);
    return false;
  };
  DlfStream stream(run, dlf);
  DlfHeader header;
  DlfItem line;
  if (!stream.open(header)) return fail(0, "the DLF " + dlf + " changed while the image was written");
  for (const CheckedItem &item : checked.items) {
    if (!stream.next(line) || line.offset != item.offset || line.line != item.line)
      return fail(0, "the DLF " + dlf + " changed while the image was written");
    std::string path = item_host_path(run.options.directory, line.host_path);
    DiscFileReader source;
    bool same = source.open(path) && item.same_file(source.status());
    if (!same || source.status().size != item.size)
      return fail(item.line, path + (!same ? " was replaced or removed" : " changed its size (from " +
                                         grouped(item.size) + " to " + grouped(source.status().size) + " bytes)") +
                                 " after it was checked");
    CopyStatus status = copy_range(copier, source.fd(), image.fd(), item.offset, item.size);
    if (status == CopyStatus::Copied && disc_file_status(source.fd()).size != item.size)
      status = CopyStatus::SourceShort;  // it grew while it was copied
    switch (status) {
      case CopyStatus::Copied: break;
      case CopyStatus::Interrupted: return fail(0, "interrupted; " + image_name + " was not written");
      case CopyStatus::SourceShort: return fail(item.line, path + " changed its size while it was copied");
      case CopyStatus::ReadFailed: return fail(item.line, "cannot read " + path + ": " + error_text(copier.error));
      case CopyStatus::WriteFailed: return fail(0, "cannot write " + image_name + ": " + error_text(copier.error));
    }
    before += item.size;
  }
  progress.finish();
  return true;
}
}  // namespace

std::string default_image_path(const std::string &dlf) {
  size_t dot = dlf.rfind('.');
  size_t name_start = host_name_start(dlf);
  // A leading dot starts a hidden name, not an extension.
  if (dot == std::string::npos || dot <= name_start) return dlf + ".img";
  return dlf.substr(0, dot) + ".img";
}

int build_image(ImageRun &run) {
  double start = monotonic_seconds();
  const std::string &dlf = run.options.dlf_path;
  std::string image = run.options.image_path.empty() ? default_image_path(dlf) : run.options.image_path;
  const OutputFile output = output_file(image, "the image", false);
  CheckedDlf checked;
  if (!check_dlf(run, dlf, {output}, {.keep_paths = false}, checked) && checked.items.empty()) return IMAGE_FAILED;
  check_build_target(run, dlf, checked, output);
  if (run.error_count != 0) return IMAGE_FAILED;

  uint64_t data_bytes = 0;
  for (const CheckedItem &item : checked.items) data_bytes += item.size;
  uint64_t image_size = run.options.image_size.value_or(checked.closing_offset);

  if (run.after_checks) run.after_checks();
  if (run.options.quiet) run.progress = false;
  InterruptWatch watch;  // from here on Ctrl-C ends the build cleanly
  // A symbolic link named as the image stays: the file it leads to is replaced.
  ReplacementFile temporary;
  if (!temporary.create(output.target.end_path)) {
    image_error(run, "cannot create a file beside " + image + ": " + error_text(temporary.error()));
    return IMAGE_FAILED;
  }
  if (!copy_items(run, dlf, checked, temporary, image, watch, data_bytes)) return IMAGE_FAILED;
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
  image_note(run, "Built " + image + ": " + grouped(checked.items.size()) + " items, " + grouped(data_bytes) +
                      " data bytes, image " + grouped(image_size) + " bytes, " + grouped(written.allocated) +
                      " bytes allocated, " + timing + ", " +
                      binary_size(seconds > 0 ? static_cast<double>(data_bytes) / seconds : 0) + "/s");
  if (checked.header.zem)
    image_note(run, "The configuration file " + item_host_path(run.options.directory, checked.header.config_path) +
                        " is not part of the image: give it to the disc emulator beside it.");
  return IMAGE_OK;
}

}  // namespace qorv
