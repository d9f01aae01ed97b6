#include "image/output_file.h"

#include <cerrno>

#include "host/disc_file.h"
#include "host/interrupt_watch.h"
#include "image/image_report.h"

namespace qorv {

OutputFile output_file(const std::string &path, ImageMessage what, DeviceUse devices) {
  return {path, what, devices, find_path_target(path)};
}

void check_output_place(ImageRun &run, const OutputFile &out) {
  auto refuse = [&](ImageMessage why, ImageArgs args = {}) {
    image_error(run, ImageMessage::CannotWrite, {out.path, image_text(run, why, args)});
  };
  const PathTarget &target = out.target;
  if (target.end_path.empty()) {
    refuse(ImageMessage::LinksLoop);
  } else if (target.kind == HostNodeKind::Missing || target.kind == HostNodeKind::File) {
    const std::string folder = folder_of_path(target.end_path);
    DiscFileStatus status = disc_file_status(folder);
    if (status.kind != DiscFileKind::Directory)
      refuse(status.kind == DiscFileKind::Missing ? ImageMessage::FolderMissing : ImageMessage::FolderNotFolder, {folder});
  }
  switch (target.kind) {
    case HostNodeKind::Directory: refuse(ImageMessage::IsFolder); break;
    // A new file is renamed over the old one: over a device or a FIFO that
    // would put a plain file in its place.
    case HostNodeKind::CharacterDevice:
      if (out.devices == DeviceUse::Refused) refuse(ImageMessage::IsDevice);
      break;
    case HostNodeKind::Other:  // a FIFO or pipe, a socket, a block device
      if (out.devices == DeviceUse::Refused) refuse(ImageMessage::IsNotRegular);
      break;
    case HostNodeKind::Missing:
    case HostNodeKind::File: break;
  }
}

bool write_output(ImageRun &run, const OutputFile &out, std::string_view bytes) {
  if (out.target.kind == HostNodeKind::CharacterDevice || out.target.kind == HostNodeKind::Other) {
    int error = write_to_device(out.path, bytes.data(), bytes.size());
    if (error != 0)
      image_error(run, ImageMessage::CannotWrite,
                  {out.path, error == ENODEV  ? image_text(run, ImageMessage::NoDeviceOrPipe)
                             : error == ENXIO ? image_text(run, ImageMessage::NoReader)
                                              : error_text(error)});
    return error == 0;
  }
  InterruptWatch watch;  // Ctrl-C leaves no part of the file behind
  ReplacementFile file;
  if (!file.create(out.target.end_path)) {
    image_error(run, ImageMessage::CannotCreateBeside, {out.path, error_text(file.error())});
    return false;
  }
  if (!file.write(bytes.data(), bytes.size())) {
    image_error(run, ImageMessage::CannotWrite, {out.path, error_text(file.error())});
    return false;
  }
  if (watch.interrupted()) {
    image_error(run, ImageMessage::Interrupted, {out.path});
    return false;
  }
  if (!file.commit()) {
    image_error(run, ImageMessage::CannotWrite, {out.path, error_text(file.error())});
    return false;
  }
  return true;
}

}  // namespace qorv
