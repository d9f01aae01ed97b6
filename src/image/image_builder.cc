#include "image/image_builder.h"

#include <cstdio>
#include <vector>

#include "host/disc_file.h"
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
    if (status.kind == DiscFileKind::Missing)
      image_error_at(run, dlf, header.config_line, ImageMessage::ConfigMissing, {config, error_text(status.error)});
    else if (status.kind != DiscFileKind::Regular)
      image_error_at(run, dlf, header.config_line, ImageMessage::ConfigNotRegular, {config});
  }
  check_output_place(run, image);
  if (run.options.image_size && *run.options.image_size < checked.closing_offset)
    image_error(run, ImageMessage::SizeBelowClosing,
                {hex_offset(*run.options.image_size), hex_offset(checked.closing_offset)});
  if (run.options.image_size && *run.options.image_size > LARGEST_FILE_SIZE)
    image_error(run, ImageMessage::SizePastLargest, {hex_offset(*run.options.image_size), hex_offset(LARGEST_FILE_SIZE)});
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
  auto fail = [&](int32_t line, ImageMessage id, ImageArgs args) {
    progress.finish();
    if (line > 0) image_error_at(run, dlf, line, id, args);
    else image_error(run, id, args);
    return false;
  };
  DlfStream stream(run, dlf);
  DlfHeader header;
  DlfItem line;
  if (!stream.open(header)) return fail(0, ImageMessage::DlfChanged, {dlf});
  for (const CheckedItem &item : checked.items) {
    if (!stream.next(line) || line.offset != item.offset || line.line != item.line)
      return fail(0, ImageMessage::DlfChanged, {dlf});
    std::string path = item_host_path(run.options.directory, line.host_path);
    DiscFileReader source;
    bool same = source.open(path) && item.same_file(source.status());
    if (!same) return fail(item.line, ImageMessage::ReplacedAfterCheck, {path});
    if (source.status().size != item.size)
      return fail(item.line, ImageMessage::ResizedAfterCheck,
                  {path, grouped(item.size), grouped(source.status().size)});
    CopyStatus status = copy_range(copier, source.fd(), image.fd(), item.offset, item.size);
    if (status == CopyStatus::Copied && disc_file_status(source.fd()).size != item.size)
      status = CopyStatus::SourceShort;  // it grew while it was copied
    switch (status) {
      case CopyStatus::Copied: break;
      case CopyStatus::Interrupted: return fail(0, ImageMessage::Interrupted, {image_name});
      case CopyStatus::SourceShort: return fail(item.line, ImageMessage::ResizedWhileCopied, {path});
      case CopyStatus::ReadFailed: return fail(item.line, ImageMessage::CannotRead, {path, error_text(copier.error)});
      case CopyStatus::WriteFailed: return fail(0, ImageMessage::CannotWrite, {image_name, error_text(copier.error)});
    }
    before += item.size;
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
  double start = monotonic_seconds();
  const std::string &dlf = run.options.dlf_path;
  std::string image = run.options.image_path.empty() ? default_image_path(dlf) : run.options.image_path;
  const OutputFile output = output_file(image, ImageMessage::TheImage, false);
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
    image_error(run, ImageMessage::CannotCreateBeside, {image, error_text(temporary.error())});
    return IMAGE_FAILED;
  }
  if (!copy_items(run, dlf, checked, temporary, image, watch, data_bytes)) return IMAGE_FAILED;
  if (!temporary.set_length(image_size)) {
    image_error(run, ImageMessage::CannotExtend, {image, grouped(image_size), error_text(temporary.error())});
    return IMAGE_FAILED;
  }
  if (watch.interrupted()) {
    image_error(run, ImageMessage::Interrupted, {image});
    return IMAGE_FAILED;
  }
  if (!temporary.commit()) {
    image_error(run, ImageMessage::CannotWrite, {image, error_text(temporary.error())});
    return IMAGE_FAILED;
  }

  double seconds = monotonic_seconds() - start;
  DiscFileStatus written = disc_file_status(image);
  char timing[64];
  std::snprintf(timing, sizeof timing, "%.2f", seconds);
  image_note(run, ImageMessage::Built,
             {image, grouped(checked.items.size()), grouped(data_bytes), grouped(image_size), grouped(written.allocated),
              timing, binary_size(seconds > 0 ? static_cast<double>(data_bytes) / seconds : 0)});
  if (checked.header.zem)
    image_note(run, ImageMessage::ConfigNotInImage, {item_host_path(run.options.directory, checked.header.config_path)});
  return IMAGE_OK;
}

}  // namespace qorv
