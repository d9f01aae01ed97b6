#include "output/output_paths.h"

#include <optional>
#include <string>
#include <vector>

#include "core/host_setting.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/directory_listing.h"
#include "host/host_path.h"

namespace qorv {

namespace {

struct NamedFile {
  std::string path;  // as the tool opens and prints it
  std::string normal;
  std::optional<HostNodeId> identity;
};

// An empty name is left out: nothing can be opened under it, and the open
// reports that itself.
void add_file(std::vector<NamedFile> &files, std::string path) {
  if (path.empty()) return;
  std::string normal = normal_path_text(path);
  const HostPathInfo info = look_up_path(path);
  std::optional<HostNodeId> identity;
  if (info.exists) identity = info.id;
  files.push_back({std::move(path), std::move(normal), identity});
}

bool same_file(const NamedFile &a, const NamedFile &b) {
  return a.normal == b.normal || (a.identity && b.identity && *a.identity == *b.identity);
}

}  // namespace

bool check_output_paths(RunState &run) {
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

  bool ok = true;
  for (size_t i = 0; i < outputs.size(); ++i) {
    const NamedFile &output = outputs[i];
    for (size_t j = 0; j < i; ++j) {
      if (!same_file(output, outputs[j])) continue;
      report_error_text(run, "", 0, format_text("%s is used for more than one output file.", {output.path}));
      ok = false;
      break;
    }
    for (const NamedFile &input : inputs) {
      if (!same_file(output, input)) continue;
      report_error_text(run, "", 0, format_text("%s is both an input and an output file.", {output.path}));
      ok = false;
      break;
    }
  }
  return ok;
}

}  // namespace qorv
