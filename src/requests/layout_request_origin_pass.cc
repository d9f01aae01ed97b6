// The [LbaOrigin] pass: files fixed at an LBA, alone or as a chain.
#include <unordered_map>
#include <unordered_set>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "requests/layout_request_passes.h"

namespace qorv {

namespace {

enum class TargetKind { File, Twin, CopyRecord };

// A request whose target is known; pointers into a file's copy records are
// taken only at the end of the pass, when no record is added any more.
struct Resolution {
  OriginRequest *request;
  FileEntry *file;
  TargetKind kind;
  size_t replica_index;
  int64_t lba;  // the chain's LBA
};

class OriginPass {
public:
  OriginPass(RunState &run, const NameIndex &names) : run_(run), names_(names) {}

  void origin(int32_t layer_index, const Layer &layer, OriginRequest &origin);
  void finish();

private:
  void follower(int32_t layer_index, const Layer &layer, OriginRequest &follower, int64_t lba);
  bool resolve(int32_t layer_index, const Layer &layer, OriginRequest &request, FileEntry &file,
               int64_t lba);
  void not_laid_out(const Layer &layer, const OriginRequest &origin);
  bool fixed_before(const Layer &layer, const OriginRequest &request, const FileEntry &file);

  RunState &run_;
  const NameIndex &names_;
  std::unordered_map<const FileEntry *, int64_t> fixed_files_;  // plain targets and their LBA
  std::unordered_set<int64_t> lbas_;
  std::vector<Resolution> resolved_;
};

void OriginPass::not_laid_out(const Layer &layer, const OriginRequest &origin) {
  for (const OriginRequest &f : origin.followers)
    report_warning(run_, layer.file_name, f.line, MessageId::NotLaidOut, {f.file});
}

// A file can be fixed at one place only; a second plain request would list
// it twice in the layout.
bool OriginPass::fixed_before(const Layer &layer, const OriginRequest &request, const FileEntry &file) {
  if (request.replica != ReplicaKind::Ordinary) return false;
  auto it = fixed_files_.find(&file);
  if (it == fixed_files_.end()) return false;
  report_error_text(run_, layer.file_name, request.line,
                    format_text("%s is already laid out at LBA(%016I64X).", {request.file, it->second}));
  return true;
}

// Applies the request's replica when allowed and records the target. False
// when the replica was refused (the file itself is then the target).
bool OriginPass::resolve(int32_t layer_index, const Layer &layer, OriginRequest &request, FileEntry &file,
                         int64_t lba) {
  bool allowed = true;
  Resolution r{&request, &file, TargetKind::File, 0, lba};
  if (request.replica != ReplicaKind::Ordinary) {
    allowed = replica_allowed(run_, layer.file_name, request.line, file, request.replica);
    if (allowed) {
      r.replica_index = add_replica(run_, file, request.replica);
      r.kind = request.replica == ReplicaKind::Mirrored ? TargetKind::Twin : TargetKind::CopyRecord;
    }
  }
  if (r.kind == TargetKind::File) fixed_files_.try_emplace(&file, lba);
  request.layer = layer_index;
  resolved_.push_back(r);
  return allowed;
}

void OriginPass::origin(int32_t layer_index, const Layer &layer, OriginRequest &origin) {
  FileEntry *file = names_.find(origin.file);
  if (!file) {
    report_warning(run_, layer.file_name, origin.line, MessageId::CannotFind, {origin.file});
    not_laid_out(layer, origin);
    return;
  }
  if (file->is_directory()) {
    report_directory_refused(run_, layer.file_name, origin.line, origin.file);
    not_laid_out(layer, origin);
    return;
  }
  if (fixed_before(layer, origin, *file)) {
    not_laid_out(layer, origin);
    return;
  }
  if (lbas_.contains(origin.lba)) {
    report_error(run_, layer.file_name, origin.line, MessageId::LbaRedefined, {origin.lba});
    not_laid_out(layer, origin);
    return;
  }
  if (!resolve(layer_index, layer, origin, *file, origin.lba)) not_laid_out(layer, origin);
  for (OriginRequest &f : origin.followers) follower(layer_index, layer, f, origin.lba);
  lbas_.insert(origin.lba);
  run_.accepted_origins.push_back(&origin);
}

void OriginPass::follower(int32_t layer_index, const Layer &layer, OriginRequest &follower, int64_t lba) {
  FileEntry *file = names_.find(follower.file);
  if (!file) {
    report_warning(run_, layer.file_name, follower.line, MessageId::CannotFind, {follower.file});
    return;
  }
  if (file->is_directory()) {
    report_directory_refused(run_, layer.file_name, follower.line, follower.file);
    return;
  }
  if (fixed_before(layer, follower, *file)) return;
  resolve(layer_index, layer, follower, *file, lba);
}

// Targets become entries and take their LBA. A plain request on a copied
// file fixes its copy record 0 (the file's own place on the disc): the
// copied file's own entry is never placed, its position holds the copy list.
void OriginPass::finish() {
  for (const Resolution &r : resolved_) {
    FileEntry *target = r.file;
    if (r.kind == TargetKind::Twin || r.kind == TargetKind::CopyRecord) {
      target = &r.file->children[r.replica_index];
    } else if (r.file->replica_mode == ReplicaKind::Copied) {
      target = &r.file->children[0];
    }
    if (r.kind == TargetKind::CopyRecord) r.request->replica_index = static_cast<int32_t>(r.replica_index);
    r.request->target = target;
    target->position = static_cast<uint64_t>(r.lba);
  }
}

}  // namespace

bool run_origin_pass(RunState &run, const NameIndex &names) {
  int32_t errors_before = run.error_count;
  OriginPass pass(run, names);
  for (int32_t l = 0; l < 3; ++l) {
    Layer &layer = run.store.layers[l];
    auto *table = find_table<OriginTable>(layer, key::OriginForm);
    if (!table) continue;
    for (OriginRequest &origin : table->items) pass.origin(l, layer, origin);
  }
  pass.finish();
  return run.error_count == errors_before;
}

}  // namespace qorv
