#include "core/diagnostics.h"
#include "core/run_state.h"
#include "requests/layout_request_passes.h"

namespace qorv {

namespace {

// A replica takes the file's identity and size but none of its placement
// state or its own replicas.
FileEntry replica_of(const FileEntry &file) {
  FileEntry r;
  r.kind = file.kind;
  r.file_size = file.file_size;
  r.extent = file.extent;
  r.host_dir = file.host_dir;
  r.own_host_path = file.own_host_path;
  r.set_disc_path(file.disc_path, file.name_start);
  return r;
}

}  // namespace

bool replica_allowed(RunState &run, const std::string &location, int32_t line, const FileEntry &file,
                     ReplicaKind replica) {
  MessageId refusal;
  if (!run.advanced_fst)
    refusal = MessageId::ReplicaNotAllowed;
  else if (replica == ReplicaKind::Mirrored && file.replica_mode == ReplicaKind::Copied)
    refusal = MessageId::ReplicaMixed;
  else if (replica == ReplicaKind::Mirrored && file.replica_mode == ReplicaKind::Mirrored)
    refusal = MessageId::MirrorRedefined;
  else if (replica == ReplicaKind::Copied && file.replica_mode == ReplicaKind::Mirrored)
    refusal = MessageId::ReplicaMixed;
  else
    return true;
  report_error(run, location, line, refusal);
  return false;
}

size_t add_replica(RunState &run, FileEntry &file, ReplicaKind replica) {
  if (replica == ReplicaKind::Mirrored) {
    FileEntry twin = replica_of(file);
    twin.kind = FstKind::MirrorTwin;
    twin.replica_mode = ReplicaKind::Mirrored;
    file.replica_mode = ReplicaKind::Mirrored;
    file.children.push_back(std::move(twin));
    run.mirror_entries.push_back(&file);
    return 0;
  }
  if (file.replica_mode != ReplicaKind::Copied) {
    // Record 0 stands for the file's own place on the disc.
    FileEntry own = replica_of(file);
    own.replica_mode = ReplicaKind::Copied;
    file.children.push_back(std::move(own));
    file.replica_mode = ReplicaKind::Copied;
    run.copy_entries.push_back(&file);
  }
  FileEntry copy = replica_of(file);
  copy.replica_mode = ReplicaKind::Copied;
  file.children.push_back(std::move(copy));
  return file.children.size() - 1;
}

void report_directory_refused(RunState &run, const std::string &location, int32_t line,
                              const std::string &file) {
  report_error_text(run, location, line, format_text("%s is a directory.", {file}));
}

}  // namespace qorv
