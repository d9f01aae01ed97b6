#include "ddf/parser_actions.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "host/name_case.h"
#include "ddf/description_reader.h"
#include "core/settings_store.h"
#include "core/diagnostics.h"
#include "core/run_state.h"

namespace qorv {

namespace {

void error(ParserContext &ctx, int32_t line, MessageId id, MessageArgs args = {}) {
  report_error(ctx.run, ctx.reader.file_name(), line, id, args);
}

// The section definitions go to; reports 1000 when no header succeeded yet.
Section *section_or_report(ParserContext &ctx, int32_t line) {
  if (!ctx.current_section) error(ctx, line, MessageId::NoSection);
  return ctx.current_section;
}

// How the store took a definition of `record` into `section`.
void report_store_result(ParserContext &ctx, StoreResult result, const KeywordRecord &record,
                         const Section &section, int32_t line) {
  switch (result) {
  case StoreResult::New: break;
  case StoreResult::Exists:
    report_warning(ctx.run, ctx.reader.file_name(), line, MessageId::Redefined, {record.name});
    break;
  case StoreResult::NotInSection:
    error(ctx, line, MessageId::NotInSection, {record.name, section.header->name});
    break;
  case StoreResult::WrongKind: error(ctx, line, MessageId::SyntaxError); break;
  }
}

void store_single_text(ParserContext &ctx, Section &section, const KeywordRecord &key, std::string text,
                       int32_t line) {
  report_store_result(ctx, store_text(section, key, line, std::move(text)), key, section, line);
}

// Disc paths are written with either slash; the disc uses backslashes.
std::string disc_path(std::string text) {
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// The optional trailing identifier of a table entry: none, mirror or copy.
std::optional<ReplicaKind> decode_replica(const std::string *replica) {
  if (!replica) return ReplicaKind::Ordinary;
  if (ascii_iequals(*replica, "mirror")) return ReplicaKind::Mirrored;
  if (ascii_iequals(*replica, "copy")) return ReplicaKind::Copied;
  return std::nullopt;
}

const FormRecord &form(KeyId id) { return *keyword_by_id(id); }

}  // namespace

void define_section_action(ParserContext &ctx, const KeywordRecord &keyword, int32_t line) {
  Section *section = nullptr;
  switch (define_section(ctx.layer, keyword, &section)) {
  case DefineResult::Defined: ctx.current_section = section; break;
  case DefineResult::AlreadyDefined: error(ctx, line, MessageId::SectionRedefined, {keyword.name}); break;
  case DefineResult::NotASection: error(ctx, line, MessageId::InvalidSectionName, {keyword.name}); break;
  }
}

void begin_value_list(ParserContext &ctx) { ctx.value_list.clear(); }

void begin_pathlist(ParserContext &ctx, const std::string &name) {
  ctx.pathlist_name = name;
  ctx.value_list.clear();
}

void append_value(ParserContext &ctx, const std::string &text) { ctx.value_list.push_back(text); }

void keyword_strings(ParserContext &ctx, const KeywordRecord &key, int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  if (key.id == key::Arguments) {
    // A single quoted text is a list of one: the BI2 reader takes any length.
    report_store_result(ctx, store_text_list(*section, key, line, ctx.value_list), key, *section, line);
  } else if (ctx.value_list.size() >= 2) {
    error(ctx, line, MessageId::SyntaxError);
  } else {
    store_single_text(ctx, *section, key, ctx.value_list.front(), line);
  }
}

void keyword_symbol(ParserContext &ctx, const KeywordRecord &key, const std::string &symbol, int32_t line) {
  if (Section *section = section_or_report(ctx, line)) store_single_text(ctx, *section, key, symbol, line);
}

void keyword_value(ParserContext &ctx, const KeywordRecord &key, int64_t value, int32_t line) {
  if (Section *section = section_or_report(ctx, line))
    report_store_result(ctx, store_number(*section, key, line, value), key, *section, line);
}

void special_symbol(ParserContext &ctx, const KeywordRecord &key, const std::string &symbol, int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  std::string text = symbol;
  if (key.id == key::CountryCode) {
    bool known = std::any_of(std::begin(country_names), std::end(country_names),
                             [&](std::string_view name) { return ascii_iequals(symbol, name); });
    if (!known) return error(ctx, line, MessageId::CountryCodeWord);
  } else if (key.id == key::Mode) {
    if (!ascii_iequals(symbol, "HT") && !ascii_iequals(symbol, "ZEM")) return error(ctx, line, MessageId::ModeWord);
    text = ascii_upper(symbol);
  }
  store_single_text(ctx, *section, key, std::move(text), line);
}

void special_value(ParserContext &ctx, const KeywordRecord &key, const TokenValue &value, int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  std::string text;
  if (key.id == key::CountryCode) {
    if (value.number < 0 || value.number > 2) return error(ctx, line, MessageId::CountryCodeNumber);
    text = country_names[value.number];
  } else {
    text = value.text ? *value.text : std::to_string(value.number);  // the number as written
  }
  store_single_text(ctx, *section, key, std::move(text), line);
}

void special_string(ParserContext &ctx, const KeywordRecord &key, const std::string &text, int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  if (key.id != key::GameName && key.id != key::Company) return error(ctx, line, MessageId::SyntaxError);
  store_single_text(ctx, *section, key, text, line);
}

void old_country_code(ParserContext &ctx, int64_t tag, const TokenValue &value, const std::string &symbol,
                      int32_t line) {
  if (tag != 24 || symbol != "L") return error(ctx, line, MessageId::SyntaxError);
  special_value(ctx, *keyword_by_id(key::CountryCode), value, line);
}

void layout_entry(ParserContext &ctx, int64_t priority, const std::string &file, int64_t value,
                  const std::string *replica, int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  std::optional<ReplicaKind> copies = decode_replica(replica);
  if (!copies) return error(ctx, line, MessageId::SyntaxError);
  KeyId section_id = section->header->id;
  KeyId form_id;
  if (section_id == key::Layout) {
    form_id = key::LayoutForm;
    if (value < -32768 || value > 32767) error(ctx, line, MessageId::LayoutValueRange, {-32768, 32767});
  } else if (section_id == key::LbaAlign) {
    form_id = key::LbaAlignForm;
    if (*copies != ReplicaKind::Ordinary) return error(ctx, line, MessageId::NotInSection, {"mirror|copy", "LbaAlign"});
  } else {
    return error(ctx, line, MessageId::NotInSection, {form(key::LayoutForm).name, section->header->name});
  }
  // The priority keeps the low 32 bits of the number as written.
  LayoutRequest request{line, static_cast<int32_t>(static_cast<uint32_t>(priority)), disc_path(file), value,
                        *copies};
  report_store_result(ctx, add_layout_request(*section, form(form_id), std::move(request)), form(form_id),
                      *section, line);
}

void pathlist_entry(ParserContext &ctx, int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  if (ctx.value_list.size() != 2) return error(ctx, line, MessageId::SyntaxError);
  PathMapping mapping{line, ctx.pathlist_name, disc_path(std::move(ctx.value_list[0])),
                      disc_path(std::move(ctx.value_list[1]))};
  const FormRecord &path_form = form(key::PathListForm);
  report_store_result(ctx, add_path_mapping(*section, path_form, std::move(mapping)), path_form, *section, line);
}

void origin_entry(ParserContext &ctx, int64_t lba, const std::string &file, int32_t direction,
                  const std::string *replica, int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  std::optional<ReplicaKind> copies = decode_replica(replica);
  if (!copies) return error(ctx, line, MessageId::SyntaxError);
  OriginRequest origin{line, lba, disc_path(file), direction, *copies, {}};
  const FormRecord &origin_form = form(key::OriginForm);
  StoreResult result = add_origin(*section, origin_form, std::move(origin));
  if (result == StoreResult::Exists) return error(ctx, line, MessageId::LbaRedefined, {lba});
  report_store_result(ctx, result, origin_form, *section, line);
}

void follower_entry(ParserContext &ctx, int64_t lba, const std::string &file, const std::string *replica,
                    int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  std::optional<ReplicaKind> copies = decode_replica(replica);
  if (!copies) return error(ctx, line, MessageId::SyntaxError);
  OriginRequest *origin = find_origin(*section, lba);
  if (!origin) return error(ctx, line, MessageId::LbaUndefined, {lba});
  origin->followers.push_back(OriginRequest{line, lba, disc_path(file), 0, *copies, {}});
}

void layoutoff_entry(ParserContext &ctx, const std::string &file, int32_t line) {
  Section *section = section_or_report(ctx, line);
  if (!section) return;
  const FormRecord &off_form = form(key::LayoutOffForm);
  LayoutRequest request{line, 0, disc_path(file), 0, ReplicaKind::Ordinary};
  report_store_result(ctx, add_layout_request(*section, off_form, std::move(request)), off_form, *section, line);
}

}  // namespace qorv
