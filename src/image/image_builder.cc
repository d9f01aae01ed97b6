#include "image/image_builder.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

#include "host/disc_file.h"
#include "host/file_clone.h"
#include "host/file_identity.h"
#include "host/file_lock.h"
#include "host/file_update.h"
#include "host/host_path.h"
#include "host/interrupt_watch.h"
#include "host/range_copy.h"
#include "image/build_record.h"
#include "image/depfile.h"
#include "image/image_report.h"
#include "image/image_update.h"
#include "image/item_check.h"
#include "image/output_file.h"
#include "image/progress_line.h"

namespace qorv {

namespace {
// A source whose last change lies this close to the start of the build may
// change again within the same tick of the file clock, unseen by its times:
// its identity is recorded as untrusted, so the next build writes it again.
constexpr int64_t RACY_NANOSECONDS = 50'000'000;

// What must hold before the first byte is written, beyond the items and the
// files the DLF names: the configuration file of v2.00, the image's place,
// the size asked for.
void check_build_target(ImageRun &run, const std::string &dlf, const CheckedDlf &checked,
                        const std::vector<OutputFile> &outputs) {
  const DlfHeader &header = checked.header;
  if (header.zem && !header.config_path.empty()) {
    std::string config = item_host_path(run.options.directory, header.config_path);
    DiscFileStatus status = disc_file_status(config);
    if (status.kind == DiscFileKind::Missing)
      image_error_at(run, dlf, header.config_line, ImageMessage::ConfigMissing, {config, error_text(status.error)});
    else if (status.kind != DiscFileKind::Regular)
      image_error_at(run, dlf, header.config_line, ImageMessage::ConfigNotRegular, {config});
  }
  for (const OutputFile &out : outputs) check_output_place(run, out);
  if (run.options.image_size && *run.options.image_size < checked.closing_offset)
    image_error(run, ImageMessage::SizeBelowClosing,
                {hex_offset(*run.options.image_size), hex_offset(checked.closing_offset)});
  if (run.options.image_size && *run.options.image_size > LARGEST_FILE_SIZE)
    image_error(run, ImageMessage::SizePastLargest, {hex_offset(*run.options.image_size), hex_offset(LARGEST_FILE_SIZE)});
}

// One build: what was checked and where everything goes.
struct Build {
  ImageRun &run;
  const std::string &dlf;
  std::string image;      // as named
  std::string end_path;   // the file written: links followed
  std::string record_path;
  CheckedDlf checked;
  uint64_t image_size = 0;
  uint64_t data_bytes = 0;
  int64_t started_ns = 0;  // the file clock when the checks began
  bool record_usable = false;  // its lock is held: it may be written
};

// Copies the items whose `write` flag is set (all when it is empty) into
// `image`, reading the DLF a second time for the items' paths (their checks
// are in `checked`); false with a message on the first failure, followed by
// `left` (what that leaves of the image, in the run's language).
bool copy_items(Build &b, const std::vector<char> &write, int image, InterruptWatch &watch, uint64_t total,
                const std::string &left) {
  ImageRun &run = b.run;
  const CheckedDlf &checked = b.checked;
  ProgressLine progress(run, total);
  RangeCopier copier;
  uint64_t before = 0;  // bytes of the items already copied
  copier.keep_going = [&](uint64_t done) {
    progress.update(before + done);
    return !watch.interrupted();
  };
  auto fail = [&](int32_t line, ImageMessage id, ImageArgs args) {
    progress.finish();
    std::string text = image_text(run, id, args);
    if (line > 0) image_error_at(run, b.dlf, line, ImageMessage::AndSo, {text, left});
    else image_error(run, ImageMessage::AndSo, {text, left});
    return false;
  };
  size_t last = checked.items.size();
  if (!write.empty())
    while (last > 0 && !write[last - 1]) --last;
  DlfStream stream(run, b.dlf);
  DlfHeader header;
  DlfItem line;
  if (last > 0 && !stream.open(header)) return fail(0, ImageMessage::DlfChanged, {b.dlf});
  for (size_t i = 0; i < last; ++i) {
    const CheckedItem &item = checked.items[i];
    if (!stream.next(line) || line.offset != item.offset || line.line != item.line)
      return fail(0, ImageMessage::DlfChanged, {b.dlf});
    if (!write.empty() && !write[i]) continue;
    if (watch.interrupted()) return fail(0, ImageMessage::InterruptedAlone, {});
    std::string path = item_host_path(run.options.directory, line.host_path);
    DiscFileReader source;
    bool same = source.open(path) && item.same_file(source.status());
    if (!same) return fail(item.line, ImageMessage::ReplacedAfterCheck, {path});
    if (source.status().size != item.size)
      return fail(item.line, ImageMessage::ResizedAfterCheck,
                  {path, grouped(item.size), grouped(source.status().size)});
    CopyStatus status = copy_range(copier, source.fd(), image, item.offset, item.size);
    if (status == CopyStatus::Copied && disc_file_status(source.fd()).size != item.size)
      status = CopyStatus::SourceShort;  // it grew while it was copied
    switch (status) {
      case CopyStatus::Copied: break;
      case CopyStatus::Interrupted: return fail(0, ImageMessage::InterruptedAlone, {});
      case CopyStatus::SourceShort: return fail(item.line, ImageMessage::ResizedWhileCopied, {path});
      case CopyStatus::ReadFailed: return fail(item.line, ImageMessage::CannotRead, {path, error_text(copier.error)});
      case CopyStatus::WriteFailed: return fail(0, ImageMessage::CannotWrite, {b.image, error_text(copier.error)});
    }
    before += item.size;
  }
  progress.finish();
  return true;
}

// The record of what the image now holds. Sources changed too shortly
// before the build began get untrusted times.
BuildRecord new_record(const Build &b, const FileIdentity &image) {
  BuildRecord record;
  record.image_name = file_name_of(b.end_path);
  record.image = image;
  record.zem = b.checked.header.zem;
  record.closing_offset = b.checked.closing_offset;
  record.image_size = b.image_size;
  int error = 0;
  if (b.checked.header.zem && !b.checked.header.config_path.empty())
    record.has_config = file_identity(item_host_path(b.run.options.directory, b.checked.header.config_path),
                                      record.config, error);
  record.items.reserve(b.checked.items.size());
  for (const CheckedItem &item : b.checked.items) {
    FileIdentity source = item.identity();
    if (source.changed_ns >= b.started_ns - RACY_NANOSECONDS || source.modified_ns >= b.started_ns - RACY_NANOSECONDS)
      source.modified_ns = source.changed_ns = UNTRUSTED_TIME;
    record.items.push_back({item.offset, source});
  }
  return record;
}

// Writes `record` by a temporary file renamed over the old one (synced).
int write_record(const Build &b, const BuildRecord &record) {
  ReplacementFile file;
  if (!file.create(b.record_path)) return file.error();
  if (!write_build_record(file, record) || !file.commit()) return file.error();
  return 0;
}

// After the image is complete: the record of it, which the next build
// compares with. A failure costs the next build a full one, so it is said
// but does not fail this one; a stale record is removed.
void record_build(Build &b) {
  if (!b.record_usable) return;
  FileIdentity image;
  int error = 0;
  if (file_identity(b.end_path, image, error)) error = write_record(b, new_record(b, image));
  if (error != 0) {
    image_note(b.run, ImageMessage::CannotWriteRecord, {b.record_path, error_text(error)});
    remove_file(b.record_path);
  }
}

// The whole image into a new file renamed over the old one.
bool full_build(Build &b) {
  ImageRun &run = b.run;
  InterruptWatch watch;  // from here on Ctrl-C ends the build cleanly
  // A symbolic link named as the image stays: the file it leads to is replaced.
  ReplacementFile temporary;
  if (!temporary.create(b.end_path)) {
    image_error(run, ImageMessage::CannotCreateBeside, {b.image, error_text(temporary.error())});
    return false;
  }
  const std::string left = image_text(b.run, ImageMessage::NotWritten, {b.image});
  if (!copy_items(b, {}, temporary.fd(), watch, b.data_bytes, left)) return false;
  if (!temporary.set_length(b.image_size)) {
    image_error(run, ImageMessage::CannotExtend, {b.image, grouped(b.image_size), error_text(temporary.error())});
    return false;
  }
  if (watch.interrupted()) {
    image_error(run, ImageMessage::AndSo, {image_text(run, ImageMessage::InterruptedAlone), left});
    return false;
  }
  if (!temporary.commit()) {
    image_error(run, ImageMessage::CannotWrite, {b.image, error_text(temporary.error())});
    return false;
  }
  record_build(b);
  return true;
}

enum class UpdateResult { Done, Failed, CannotStart };

// The update on a clone of the image renamed over it, so that nothing is
// ever written in place: where the file system shares blocks.
UpdateResult update_on_clone(Build &b, const UpdatePlan &plan, int old_image, InterruptWatch &watch) {
  ReplacementFile clone;
  if (!clone.create(b.end_path) || clone_file(old_image, clone.fd()) != 0) return UpdateResult::CannotStart;
  const std::string left = image_text(b.run, ImageMessage::NotWritten, {b.image});
  if (b.run.before_update_writes) b.run.before_update_writes();
  if (int error = clear_old_ranges(clone.fd(), plan)) {
    image_error(b.run, ImageMessage::AndSo,
                {image_text(b.run, ImageMessage::CannotWrite, {b.image, error_text(error)}), left});
    return UpdateResult::Failed;
  }
  if (!copy_items(b, plan.write, clone.fd(), watch, plan.bytes_written, left)) return UpdateResult::Failed;
  if (watch.interrupted()) {
    image_error(b.run, ImageMessage::AndSo, {image_text(b.run, ImageMessage::InterruptedAlone), left});
    return UpdateResult::Failed;
  }
  if (!clone.commit()) {
    image_error(b.run, ImageMessage::CannotWrite, {b.image, error_text(clone.error())});
    return UpdateResult::Failed;
  }
  return UpdateResult::Done;
}

// The update where the image stands. The record says "updating" (synced)
// before the first byte is written, and only a complete, synced image gets
// a new record: whatever stops it in between leaves an image that the next
// build and `verify` take for incomplete.
UpdateResult update_in_place(Build &b, const UpdatePlan &plan, const FileIdentity &expected, InterruptWatch &watch) {
  int fd = -1;
  FileIdentity now;
  int error = open_for_update(b.end_path, fd);
  // Not an errno value: the image is no longer the one the record describes.
  constexpr int IMAGE_CHANGED = -1;
  if (error == 0 && (!file_identity(fd, now, error) || now != expected)) error = error ? error : IMAGE_CHANGED;
  // Another name of the file (a hard link kept as a copy) would see the
  // update too: a new file renamed over this name leaves it as it was.
  if (error == 0 && now.links > 1) error = EMLINK;
  BuildRecord mark;
  mark.updating = true;
  mark.image_name = file_name_of(b.end_path);
  if (error == 0) error = write_record(b, mark);
  if (error != 0) {
    if (fd >= 0) close_file(fd);
    image_note(b.run, ImageMessage::CannotUpdateInPlace,
               {b.image, error == IMAGE_CHANGED ? image_text(b.run, ImageMessage::ImageChangedMeanwhile)
                         : error == EMLINK      ? image_text(b.run, ImageMessage::ImageHasOtherNames)
                                                : error_text(error)});
    return UpdateResult::CannotStart;
  }
  const std::string left = image_text(b.run, ImageMessage::IncompleteUntilNextBuild, {b.image});
  if (b.run.before_update_writes) b.run.before_update_writes();
  error = clear_old_ranges(fd, plan);
  bool copied = error == 0 && copy_items(b, plan.write, fd, watch, plan.bytes_written, left);
  if (copied && watch.interrupted()) {
    image_error(b.run, ImageMessage::AndSo, {image_text(b.run, ImageMessage::InterruptedAlone), left});
    copied = false;
  }
  if (copied) error = sync_file(fd);
  int closed = close_file(fd);
  if (copied && error == 0) error = closed;
  if (error != 0) {
    image_error(b.run, ImageMessage::AndSo,
                {image_text(b.run, ImageMessage::CannotWrite, {b.image, error_text(error)}), left});
    return UpdateResult::Failed;
  }
  return copied ? UpdateResult::Done : UpdateResult::Failed;
}

std::string seconds_text(double seconds) {
  char timing[64];
  std::snprintf(timing, sizeof timing, "%.2f", seconds);
  return timing;
}

// The record as it stands before the checks, read without the lock: the
// checks need only look up the files it vouches for. Usable only when it is
// a complete record of the image as it is now; what decides the build is
// read under the lock (this one again, if the record is still this file).
struct RecordHint {
  bool usable = false;
  FileIdentity file;  // the record file's own identity when it was read
  BuildRecord record;
};

RecordHint read_record_hint(const Build &b) {
  RecordHint hint;
  FileIdentity image;
  RecordProblem problem;
  int error = 0;
  if (b.end_path.empty() || disc_file_status(b.record_path).kind != DiscFileKind::Regular ||
      !file_identity(b.record_path, hint.file, error) ||
      read_build_record(b.record_path, hint.record, problem) != RecordState::Read || hint.record.updating ||
      !file_identity(b.end_path, image, error) || hint.record.image != image ||
      hint.record.image_name != file_name_of(b.end_path))
    return {};
  hint.usable = true;
  return hint;
}

// Why an update cannot be trusted, or nothing when the record matches the
// image.
std::optional<ImageMessage> full_build_reason(const Build &b, bool locked, RecordState state, const BuildRecord &old,
                                              const FileIdentity &image, bool image_found) {
  if (b.run.options.full) return ImageMessage::BecauseFull;
  if (!image_found) return ImageMessage::BecauseNoImage;
  if (!locked) return ImageMessage::BecauseNoUsableRecord;
  switch (state) {
    case RecordState::Missing: return ImageMessage::BecauseNoRecord;
    case RecordState::Damaged: return ImageMessage::BecauseRecordDamaged;  // the note said how
    case RecordState::OtherVersion: return ImageMessage::BecauseRecordOtherVersion;
    case RecordState::Read: break;
  }
  if (old.image_name != file_name_of(b.end_path)) return ImageMessage::BecauseRecordOtherImage;
  if (old.updating) return ImageMessage::BecauseUpdateInterrupted;
  if (old.image != image) return ImageMessage::BecauseImageChanged;
  return std::nullopt;
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
  Build b{run, run.options.dlf_path, {}, {}, {}, {}, 0, 0, file_clock_now_ns()};
  b.image = run.options.image_path.empty() ? default_image_path(b.dlf) : run.options.image_path;
  std::vector<OutputFile> outputs{output_file(b.image, ImageMessage::TheImage)};
  b.end_path = outputs[0].target.end_path;
  b.record_path = build_record_path(b.end_path);
  if (!b.end_path.empty()) outputs.push_back(output_file(b.record_path, ImageMessage::TheBuildRecord));
  if (!run.options.depfile_path.empty()) outputs.push_back(output_file(run.options.depfile_path, ImageMessage::TheDepfile));
  const bool depfile = !run.options.depfile_path.empty();
  RecordHint hint = read_record_hint(b);
  if (!check_dlf(run, b.dlf, outputs,
                 {.keep_paths = depfile, .identities = true, .recorded = hint.usable ? &hint.record.items : nullptr},
                 b.checked) &&
      b.checked.items.empty())
    return IMAGE_FAILED;
  check_build_target(run, b.dlf, b.checked, outputs);
  if (run.error_count != 0) return IMAGE_FAILED;

  for (const CheckedItem &item : b.checked.items) b.data_bytes += item.size;
  b.image_size = run.options.image_size.value_or(b.checked.closing_offset);

  if (run.after_checks) run.after_checks();
  if (run.options.quiet) run.progress = false;

  // One build of an image at a time: the second waits, then finds the
  // first one's record. The lock is a file of its own: Windows cannot
  // rename a new record over a file that is held open.
  FileLock lock;
  int lock_error = b.end_path.empty() ? ENOENT : lock.acquire(b.record_path + ".lock");
  b.record_usable = lock_error == 0;
  if (lock_error != 0)
    image_note(run, ImageMessage::CannotUseRecord, {b.record_path, open_problem(run, lock_error)});
  BuildRecord old;
  RecordProblem problem;
  int error = 0;
  RecordState state = RecordState::Missing;
  FileIdentity record_now;
  if (lock_error == 0 && hint.usable && file_identity(b.record_path, record_now, error) && record_now == hint.file) {
    old = std::move(hint.record);  // nobody wrote it since: read once
    state = RecordState::Read;
  } else if (lock_error == 0) {
    state = read_build_record(b.record_path, old, problem);
  }
  if (state == RecordState::Damaged || state == RecordState::OtherVersion)
    image_note(run, ImageMessage::RecordIgnored, {b.record_path, image_text(run, problem.id, {problem.detail})});
  FileIdentity found;
  bool image_found = file_identity(b.end_path, found, error);
  std::optional<ImageMessage> reason = full_build_reason(b, lock_error == 0, state, old, found, image_found);

  bool updated = false;
  UpdatePlan plan;
  if (!reason) {
    plan = plan_update(b.checked, old, b.image_size);
    InterruptWatch watch;
    UpdateResult result = UpdateResult::Done;
    if (plan.changes_image()) {
      DiscFileReader current;
      result = current.open(b.end_path) ? update_on_clone(b, plan, current.fd(), watch) : UpdateResult::CannotStart;
      if (result == UpdateResult::CannotStart) result = update_in_place(b, plan, found, watch);
    }
    if (result == UpdateResult::Failed) return IMAGE_FAILED;
    if (result == UpdateResult::Done) {
      // Unchanged bytes keep the image's identity: the record is rewritten
      // only when something it holds changed.
      FileIdentity now;
      BuildRecord fresh = new_record(b, file_identity(b.end_path, now, error) ? now : found);
      if (plan.changes_image() || !fresh.same_contents(old)) record_build(b);
      updated = true;
    } else {
      reason = ImageMessage::BecauseUpdateCannotBegin;
    }
  }
  if (!updated && !full_build(b)) return IMAGE_FAILED;

  if (depfile) {
    std::vector<std::string> inputs{b.dlf};
    if (b.checked.header.zem && !b.checked.header.config_path.empty())
      inputs.push_back(item_host_path(run.options.directory, b.checked.header.config_path));
    inputs.insert(inputs.end(), b.checked.paths.begin(), b.checked.paths.end());
    std::string bad;
    std::optional<std::string> text = depfile_text(b.image, inputs, bad);
    if (!text) {
      image_error(run, ImageMessage::DepfileLineBreak, {run.options.depfile_path, bad});
      return IMAGE_FAILED;
    }
    if (!write_output(run, outputs.back(), *text)) return IMAGE_FAILED;
  }

  double seconds = monotonic_seconds() - start;
  const size_t items = b.checked.items.size();
  if (updated) {
    image_note(run, ImageMessage::Updated,
               {b.image, grouped(plan.items_written), grouped(items), grouped(plan.bytes_written),
                grouped(items - plan.items_written), seconds_text(seconds)});
  } else {
    DiscFileStatus written = disc_file_status(b.image);
    image_note(run, ImageMessage::Built,
               {b.image, grouped(items), grouped(b.data_bytes), grouped(b.image_size), grouped(written.allocated),
                seconds_text(seconds), binary_size(seconds > 0 ? static_cast<double>(b.data_bytes) / seconds : 0),
                image_text(run, *reason)});
  }
  if (b.checked.header.zem)
    image_note(run, ImageMessage::ConfigNotInImage, {item_host_path(run.options.directory, b.checked.header.config_path)});
  return IMAGE_OK;
}

}  // namespace qorv
