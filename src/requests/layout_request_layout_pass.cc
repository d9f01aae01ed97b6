// The [Layout] pass: where in the disc order a file goes, and its extra copies.
#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "requests/layout_request_passes.h"

namespace qorv {

namespace {

// A wildcard entry is tested against every disc path instead of being
// looked up: its base name (after the last backslash) begins with "*", or
// its extension (from the base name's last ".") begins with ".*". A "?"
// alone does not make one.
bool is_wildcard_entry(std::string_view file) {
  size_t slash = file.rfind('\\');
  std::string_view base = slash == std::string_view::npos ? file : file.substr(slash + 1);
  size_t dot = base.rfind('.');
  std::string_view extension = dot == std::string_view::npos ? std::string_view() : base.substr(dot);
  return base.starts_with('*') || extension.starts_with(".*");
}

struct ReplicaOfRequest {
  FileEntry *file;
  size_t replica_index;  // in the file's children
  size_t request_index;  // in the accepted list, before the priority sort
};

}  // namespace

bool run_layout_pass(RunState &run, const NameIndex &names, std::vector<AcceptedLayout> &accepted) {
  int32_t errors_before = run.error_count;
  std::vector<ReplicaOfRequest> replicas;

  for (const Layer &layer : run.store.layers) {
    const auto *table = find_table<LayoutTable>(layer, key::LayoutForm);
    if (!table) continue;
    for (const LayoutRequest &item : table->items) {
      if (is_wildcard_entry(item.file)) {
        if (item.replica != ReplicaKind::Ordinary)
          report_error(run, layer.file_name, item.line, MessageId::ReplicaWildcard);
        else
          accepted.push_back({&item, item.value});
        continue;
      }
      FileEntry *file = names.find(item.file);
      if (!file) {
        report_warning(run, layer.file_name, item.line, MessageId::CannotFind, {item.file});
        continue;
      }
      if (item.replica != ReplicaKind::Ordinary) {
        if (file->is_directory()) {
          report_directory_refused(run, layer.file_name, item.line, item.file);
          continue;
        }
        if (replica_allowed(run, layer.file_name, item.line, *file, item.replica))
          replicas.push_back({file, add_replica(run, *file, item.replica), accepted.size()});
      }
      accepted.push_back({&item, item.value});
    }
  }
  if (run.error_count != errors_before) return false;

  // Keys: value << 32 plus the number of earlier definitions with the same
  // value, so equal values keep the order in which they were written. The
  // value is 16 bits wide (out of range is an error while loading), and the
  // count cannot reach 2^32: every definition is held in memory, so that
  // many would take hundreds of GiB. (A count of 16 bits would carry into
  // the value after 65,536 lines.)
  std::unordered_map<int64_t, int64_t> seen;
  for (AcceptedLayout &a : accepted) {
    auto shifted = static_cast<int64_t>(static_cast<uint64_t>(a.request->value) << 32);
    a.key = shifted + seen[a.request->value]++;
  }
  for (const ReplicaOfRequest &r : replicas)
    r.file->children[r.replica_index].layout_key = accepted[r.request_index].key;

  std::stable_sort(accepted.begin(), accepted.end(), [](const AcceptedLayout &a, const AcceptedLayout &b) {
    return a.request->priority < b.request->priority;
  });
  return true;
}

}  // namespace qorv
