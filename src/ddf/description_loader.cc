#include "ddf/description_loader.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "host/name_case.h"
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
      report_warning_text(run, format_text("%s is larger than 64 MiB and is not read.", {read.path}));
  }));
  auto on_error = [&run, &reader](std::string_view text) {
    report_error_text(run, reader.file_name(), reader.line_number(), text);
  };
  auto on_warning = [&run, &reader](std::string_view text) {
    report_warning_text(run, reader.file_name(), reader.line_number(), text);
  };

  reader.read_code_page_932_files(run.disc_code_page->converts());
  Section *current_section = nullptr;  // carries over from one file to the next on purpose
  for (Layer &layer : run.store.layers) {
    if (layer.file_name.empty()) continue;
    if (!reader.open(layer.file_name, on_error, on_warning)) {
      report_error(run, layer.file_name, 0, MessageId::DescriptionOpenError);
      continue;
    }
    parse_description(run, reader, layer, current_section);
    // A file that fails while being read must not pass for a shorter one.
    if (reader.read_failed()) report_error(run, MessageId::ReadError, {layer.file_name});
    reader.close();
  }

  apply_mode_rules(run);
  check_required_keys(run);
  if (run.disc_code_page->converts()) check_disc_texts(run);
}

void check_disc_texts(RunState &run) {
  for (const Layer &layer : run.store.layers) {
    // Reported in line order, whatever the section.
    std::vector<std::pair<int32_t, const std::string *>> texts;
    auto add = [&texts](const std::string &text, int32_t line) { texts.emplace_back(line, &text); };
    for (const auto &[section_id, section] : layer.sections) {
      for (const auto &[key, entry] : section.entries) {
        const Entry *e = entry.get();
        if (auto *text = dynamic_cast<const StringEntry *>(e); text && (key == key::GameName || key == key::Company ||
                                                                       key == key::DiskInfo || key == key::Arguments))
          add(text->value, text->line);
        else if (auto *list = dynamic_cast<const StringListEntry *>(e); list && key == key::Arguments)
          for (const std::string &value : list->values) add(value, list->line);
        else if (auto *layout = dynamic_cast<const LayoutTable *>(e))
          for (const LayoutRequest &item : layout->items) add(item.file, item.line);
        else if (auto *paths = dynamic_cast<const PathTable *>(e))
          for (const PathMapping &item : paths->items) add(item.fst_dir, item.line);
        else if (auto *origins = dynamic_cast<const OriginTable *>(e))
          for (const OriginRequest &origin : origins->items) {
            add(origin.file, origin.line);
            for (const OriginRequest &f : origin.followers) add(f.file, f.line);
          }
      }
    }
    std::stable_sort(texts.begin(), texts.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::string ignored;
    for (const auto &[line, text] : texts)
      if (!run.disc_code_page->to_disc(*text, ignored))
        report_error_text(run, layer.file_name, line,
                          format_text("%s has a character that code page 932 cannot hold.", {*text}));
  }
}


void apply_mode_rules(RunState &run) {
  const std::string *mode = find_text(run.store, key::Output, key::Mode);
  run.target_mode = mode && *mode == "HT" ? TargetMode::HT : TargetMode::ZEM;

  const std::string *fst = find_text(run.store, key::Output, key::FST);
  if (!fst || !ascii_iequals(*fst, "new")) run.advanced_fst = false;

  if (run.is_ht() && run.advanced_fst) {
    report_warning(run, MessageId::AdvancedFstWithHt);
    run.advanced_fst = false;
  }
}

void check_required_keys(RunState &run) {
  for (const RequiredKeyRow &row : required_key_table()) {
    for (const RequiredKey &required : row.keys) {
      if (find_setting(run.store, row.section, required.key, 7)) continue;
      if (run.is_ht() && required.not_in_ht) continue;
      report_error(run, MessageId::KeyUndefined, {key_name(row.section), key_name(required.key)});
    }
  }
}

}  // namespace qorv
