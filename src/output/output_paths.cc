#include "output/output_paths.h"

#include <string>
#include <vector>

#include "core/host_setting.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/directory_listing.h"
#include "host/host_path.h"
#include "host/path_target.h"

namespace qorv {

namespace {

struct NamedFile {
  std::string path;  // as the tool opens and prints it
  std::string normal;
  PathTarget target;
};

// An empty name is left out: nothing can be opened under it, and the open
// reports that itself.
void add_file(std::vector<NamedFile> &files, std::string path) {
  if (path.empty()) return;
  std::string normal = normal_path_text(path);
  PathTarget target = find_path_target(path);
  files.push_back({std::move(path), std::move(normal), std::move(target)});
}

bool same_file(const NamedFile &a, const NamedFile &b) {
  return a.normal == b.normal || same_target(a.target, b.target);
}

// Whether `output` is a regular file the scan put on the disc (writing to a
// device changes no file). Such a file has the size the scan listed, so only
// the files of that size are looked up.
bool is_disc_file(const RunState &run, const PathTarget &output) {
  if (output.kind != HostNodeKind::File) return false;
  for (const FileEntry *entry : run.fst_entries) {
    if (entry->kind != FstKind::File || entry->file_size != output.size) continue;
    const HostPathInfo info = look_up_path(entry->host_path());
    if (info.exists && info.id == output.id) return true;
  }
  return false;
}

// The DLF holds one item per line, and lists the system and configuration
// files by the names the description files give (the tree's paths are
// checked by the scan).
bool check_dlf_names(RunState &run) {
  std::vector<std::string> paths;
  if (!run.is_ht()) paths.push_back(find_host_path(run.store, key::Output, key::ConfigFileName));
  paths.push_back(find_host_path(run.store, key::Output, key::SystemFileName));
  bool ok = true;
  for (const std::string &path : paths) {
    if (path.find_first_of("\r\n") == std::string::npos) continue;
    report_error_text(run, format_text("%s has a line break in its name.", {path}));
    ok = false;
  }
  return ok;
}

}  // namespace

bool check_output_paths(RunState &run) {
  bool ok = check_dlf_names(run);

  const bool zem = !run.is_ht();
  std::vector<NamedFile> outputs;
  add_file(outputs, find_host_path(run.store, key::Output, key::LayoutFileName));
  add_file(outputs, find_host_path(run.store, key::Output, key::SystemFileName));
  if (zem) add_file(outputs, find_host_path(run.store, key::Output, key::ConfigFileName));

  std::vector<NamedFile> inputs;
  for (KeyId key : {key::LDRFileName, key::BootFileName, key::BI2FileName})
    add_file(inputs, find_host_path(run.store, key::Input, key));
  if (zem) add_file(inputs, find_host_path(run.store, key::Input, key::ZEMSysFileName));
  for (const Layer &layer : run.store.layers) add_file(inputs, layer.file_name);
  add_file(inputs, run.registry_file);

  for (size_t i = 0; i < outputs.size(); ++i) {
    const NamedFile &output = outputs[i];
    // Writing to anything else (a FIFO, a block device) would block or
    // destroy what it holds; a folder fails when it is opened.
    if (output.target.kind == HostNodeKind::Other) {
      report_error_text(run, format_text("%s is not a file.", {output.path}));
      ok = false;
      continue;
    }
    for (size_t j = 0; j < i; ++j) {
      if (!same_file(output, outputs[j])) continue;
      report_error_text(run, format_text("%s is used for more than one output file.", {output.path}));
      ok = false;
      break;
    }
    bool is_input = is_disc_file(run, output.target);
    for (size_t j = 0; j < inputs.size() && !is_input; ++j) is_input = same_file(output, inputs[j]);
    if (is_input) {
      report_error_text(run, format_text("%s is both an input and an output file.", {output.path}));
      ok = false;
    }
  }
  return ok;
}

}  // namespace qorv
