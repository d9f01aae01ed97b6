#include "ddf/description_loader.h"

#include "ddf/ascii_case.h"
#include "ddf/description_parser.h"
#include "ddf/description_reader.h"
#include "core/diagnostics.h"
#include "core/run_state.h"

namespace qorv {

void load_description_files(RunState &run) {
  // One reader, reused for each file; its callbacks report at its position.
  // The registry export file is read once for all of them.
  DescriptionReader reader(host_variable_lookup([&run](const RegistryRead &read) {
    if (read.opened) run.registry_file = read.path;  // an input: no output may replace it
    if (read.too_large)
      report_warning_text(run, "", 0, format_text("%s is larger than 64 MiB and is not read.", {read.path}));
  }));
  auto on_error = [&run, &reader](std::string_view text) {
    report_error_text(run, reader.file_name(), reader.line_number(), text);
  };
  auto on_warning = [&run, &reader](std::string_view text) {
    report_warning_text(run, reader.file_name(), reader.line_number(), text);
  };

  for (Layer &layer : run.store.layers) {
    if (layer.file_name.empty()) continue;
    if (!reader.open(layer.file_name, on_error, on_warning)) {
      report_error(run, layer.file_name, 0, MessageId::DescriptionOpenError);
      continue;
    }
    // current_section carries over from the previous file on purpose.
    parse_description(run, reader, layer);
    // A file that fails while being read must not pass for a shorter one.
    if (reader.read_failed()) report_error(run, "", 0, MessageId::ReadError, {layer.file_name});
    reader.close();
  }

  apply_mode_rules(run);
  check_required_keys(run);
}

void apply_mode_rules(RunState &run) {
  const std::string *mode = find_text(run.store, key::Output, key::Mode);
  run.target_mode = mode && *mode == "HT" ? TargetMode::HT : TargetMode::ZEM;

  const std::string *fst = find_text(run.store, key::Output, key::FST);
  if (!fst || !ascii_iequals(*fst, "new")) run.advanced_fst = false;

  if (run.is_ht() && run.advanced_fst) {
    report_warning(run, "", 0, MessageId::AdvancedFstWithHt);
    run.advanced_fst = false;
  }
}

void check_required_keys(RunState &run) {
  for (const RequiredKeyRow &row : required_key_table()) {
    for (const RequiredKey &required : row.keys) {
      if (find_setting(run.store, row.section, required.key, 7)) continue;
      if (run.is_ht() && required.not_in_ht) continue;
      report_error(run, "", 0, MessageId::KeyUndefined, {key_name(row.section), key_name(required.key)});
    }
  }
}

}  // namespace qorv
