#include "image/item_check.h"

#include <algorithm>
#include <cerrno>

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

bool is_output(const OutputFile &out, const DiscFileStatus &file) {
  return out.target.kind != HostNodeKind::Missing && file.kind != DiscFileKind::Missing &&
         out.target.id == HostNodeId{file.device, file.inode};
}
}  // namespace

bool check_dlf(ImageRun &run, const std::string &dlf, const std::vector<OutputFile> &outputs, DlfCheck how,
               CheckedDlf &checked) {
  int32_t errors_before = run.error_count;
  const DiscFileStatus dlf_file = disc_file_status(dlf);
  const PathTarget dlf_target = find_path_target(dlf);
  for (const OutputFile &out : outputs)
    if (same_target(out.target, dlf_target))
      image_error(run, ImageMessage::OutputIsDlf, {image_text(run, out.what), out.path});

  DlfStream stream(run, dlf);
  if (!stream.open(checked.header)) return false;
  const DlfHeader &header = checked.header;
  if (header.zem && !header.config_path.empty()) {
    const std::string config = item_host_path(run.options.directory, header.config_path);
    const PathTarget config_target = find_path_target(config);
    for (const OutputFile &out : outputs)
      if (same_target(out.target, config_target))
        image_error_at(run, dlf, header.config_line, ImageMessage::OutputIsConfig,
                       {image_text(run, out.what), out.path, config});
  }

  DlfItem item;
  Furthest furthest;
  while (stream.next(item)) {
    CheckedItem c;
    c.offset = item.offset;
    c.line = item.line;
    std::string path = item_host_path(run.options.directory, item.host_path);
    DiscFileStatus status;
    int problem = 0;
    const size_t index = checked.items.size();
    FileIdentity known;
    int error = 0;
    if (how.recorded && index < how.recorded->size() && (*how.recorded)[index].offset == item.offset &&
        file_identity(path, known, error) && known == (*how.recorded)[index].source) {
      status.kind = DiscFileKind::Regular;
      status.size = known.size;
      status.device = known.device;
      status.inode = known.inode;
      c.modified_ns = known.modified_ns;
      c.changed_ns = known.changed_ns;
    } else if (how.open_items) {
      DiscFileReader file;  // opening proves that it can be read
      if (!file.open(path)) problem = file.error();
      status = file.status();
      FileIdentity identity;
      if (problem == 0 && how.identities && file_identity(file.fd(), identity, error) && identity.size == status.size) {
        c.modified_ns = identity.modified_ns;
        c.changed_ns = identity.changed_ns;
      }
    } else {
      status = disc_file_status(path);
      problem = status.kind == DiscFileKind::Regular ? 0
                : status.kind == DiscFileKind::Missing ? status.error
                : status.kind == DiscFileKind::Directory ? EISDIR
                                                         : ENODEV;
    }
    if (problem != 0) {
      image_error_at(run, dlf, item.line, ImageMessage::CannotUse, {path, open_problem(run, problem)});
    } else if (item.offset > LARGEST_FILE_SIZE || status.size > LARGEST_FILE_SIZE - item.offset) {
      // Its end would wrap round or lie past any file's end: no check of
      // overlaps or of the closing offset could hold.
      image_error_at(run, dlf, item.line, ImageMessage::EndsPastLargest,
                     {path, hex_offset(item.offset), grouped(status.size), hex_offset(LARGEST_FILE_SIZE)});
    } else {
      c.usable = true;
      c.size = status.size;
      c.device = status.device;
      c.inode = status.inode;
      if (c.same_file(dlf_file)) image_error_at(run, dlf, item.line, ImageMessage::ItemIsDlf, {path});
      for (const OutputFile &out : outputs)
        if (is_output(out, status))
          image_error_at(run, dlf, item.line, ImageMessage::ItemIsOutput, {path, image_text(run, out.what), out.path});
    }
    // Each item against the one reaching furthest before it, so an item that
    // covers several others is caught with each of them.
    if (c.usable) {
      if (furthest.any && furthest.end > c.offset)
        image_error_at(run, dlf, item.line, ImageMessage::Overlaps,
                       {path, range_text(c.offset, c.end()), furthest.path, std::to_string(furthest.line),
                        range_text(furthest.offset, furthest.end),
                        range_text(c.offset, std::max(c.offset, std::min(furthest.end, c.end())))});
      if (!furthest.any || c.end() > furthest.end) furthest = {true, c.offset, c.end(), c.line, path};
    }
    if (how.keep_paths) checked.paths.push_back(std::move(path));
    checked.items.push_back(std::move(c));
  }
  checked.closing_offset = stream.closing_offset();
  checked.closing_line = stream.closing_line();
  if (stream.good() && checked.closing_offset > LARGEST_FILE_SIZE)
    image_error_at(run, dlf, checked.closing_line, ImageMessage::ClosingPastLargest,
                   {hex_offset(checked.closing_offset), hex_offset(LARGEST_FILE_SIZE)});
  if (stream.good() && furthest.any && furthest.end > checked.closing_offset)
    image_error_at(run, dlf, furthest.line, ImageMessage::RunsPastClosing,
                   {furthest.path, range_text(furthest.offset, furthest.end), hex_offset(checked.closing_offset),
                    std::to_string(checked.closing_line), grouped(furthest.end - checked.closing_offset)});
  return run.error_count == errors_before;
}

}  // namespace qorv
