#include "core/settings_store.h"

namespace qorv {

DefineResult define_section(Layer &layer, const KeywordRecord &header, Section **out) {
  if (layer.sections.contains(header.id)) return DefineResult::AlreadyDefined;
  if (!(header.id & KIND_SECTION)) return DefineResult::NotASection;
  Section &section = layer.sections[header.id];
  section.header = &header;
  *out = &section;
  return DefineResult::Defined;
}

Section *find_section(Layer &layer, KeyId section) {
  auto it = layer.sections.find(section);
  return it == layer.sections.end() ? nullptr : &it->second;
}

const Section *find_section(const Layer &layer, KeyId section) {
  auto it = layer.sections.find(section);
  return it == layer.sections.end() ? nullptr : &it->second;
}

Entry *find_entry(Section &section, KeyId key) {
  auto it = section.entries.find(key);
  return it == section.entries.end() ? nullptr : it->second.get();
}

const Entry *find_entry(const Section &section, KeyId key) {
  auto it = section.entries.find(key);
  return it == section.entries.end() ? nullptr : it->second.get();
}

StoreResult admit_key(const Section &section, KeyId key, KeyId kind_mask) {
  if (!same_section(key, section.header->id)) return StoreResult::NotInSection;
  if ((key & kind_mask & 0xFF00) == 0) return StoreResult::WrongKind;
  return section.entries.contains(key) ? StoreResult::Exists : StoreResult::New;
}

namespace {
// The entry of `key`, created with `record` and `line` when it is new.
template <class T>
T &entry_for(Section &section, const KeywordRecord &record, int32_t line) {
  std::unique_ptr<Entry> &slot = section.entries[record.id];
  if (!slot) {
    auto entry = std::make_unique<T>();
    entry->record = &record;
    entry->line = line;
    slot = std::move(entry);
  }
  return static_cast<T &>(*slot);
}
}  // namespace

StoreResult store_text(Section &section, const KeywordRecord &key, int32_t line, std::string value) {
  StoreResult r = admit_key(section, key.id, KIND_STRING | KIND_SPECIAL);
  if (r == StoreResult::New || r == StoreResult::Exists)
    entry_for<StringEntry>(section, key, line).value = std::move(value);
  return r;
}

StoreResult store_number(Section &section, const KeywordRecord &key, int32_t line, int64_t value) {
  StoreResult r = admit_key(section, key.id, KIND_NUMBER);
  if (r == StoreResult::New || r == StoreResult::Exists) entry_for<NumberEntry>(section, key, line).value = value;
  return r;
}

StoreResult store_text_list(Section &section, const KeywordRecord &key, int32_t line,
                            std::vector<std::string> values) {
  StoreResult r = admit_key(section, key.id, KIND_STRING_LIST);
  if (r == StoreResult::New || r == StoreResult::Exists)
    entry_for<StringListEntry>(section, key, line).values = std::move(values);
  return r;
}

StoreResult add_layout_request(Section &section, const FormRecord &form, LayoutRequest request) {
  StoreResult r = admit_key(section, form.id, form.id);
  if (r != StoreResult::New && r != StoreResult::Exists) return r;
  entry_for<LayoutTable>(section, form, request.line).items.push_back(std::move(request));
  return StoreResult::New;  // a table entry is never a redefinition
}

StoreResult add_path_mapping(Section &section, const FormRecord &form, PathMapping mapping) {
  StoreResult r = admit_key(section, form.id, form.id);
  if (r != StoreResult::New && r != StoreResult::Exists) return r;
  auto &table = entry_for<PathTable>(section, form, mapping.line);
  auto [at, added] = table.by_name.insert(mapping.name, table.items.size(),
                                          [&](size_t i) -> std::string_view { return table.items[i].name; });
  if (added) {
    table.items.push_back(std::move(mapping));
    return StoreResult::New;
  }
  PathMapping &m = table.items[at];  // keeps its place in the list
  m.line = mapping.line;
  m.fst_dir = std::move(mapping.fst_dir);
  m.host_dir = std::move(mapping.host_dir);
  return StoreResult::Exists;
}

StoreResult add_origin(Section &section, const FormRecord &form, OriginRequest origin) {
  StoreResult r = admit_key(section, form.id, form.id);
  if (r != StoreResult::New && r != StoreResult::Exists) return r;
  if (find_origin(section, origin.lba)) return StoreResult::Exists;
  auto &table = entry_for<OriginTable>(section, form, origin.line);
  table.by_lba.emplace(origin.lba, table.items.size());
  table.items.push_back(std::move(origin));
  return StoreResult::New;
}

OriginRequest *find_origin(Section &section, int64_t lba) {
  auto *table = dynamic_cast<OriginTable *>(find_entry(section, key::OriginForm));
  if (!table) return nullptr;
  auto it = table->by_lba.find(lba);
  return it == table->by_lba.end() ? nullptr : &table->items[it->second];
}

const Entry *find_setting(const SettingsStore &store, KeyId section, KeyId key, unsigned mask) {
  for (int layer = 2; layer >= 0; --layer) {
    if (!(mask & (1u << layer))) continue;
    if (const Section *s = find_section(store.layers[layer], section))
      if (const Entry *e = find_entry(*s, key)) return e;
  }
  return nullptr;
}

const std::string *find_text(const SettingsStore &store, KeyId section, KeyId key) {
  auto *e = dynamic_cast<const StringEntry *>(find_setting(store, section, key));
  return e ? &e->value : nullptr;
}

std::optional<int64_t> find_number(const SettingsStore &store, KeyId section, KeyId key) {
  auto *e = dynamic_cast<const NumberEntry *>(find_setting(store, section, key));
  return e ? std::optional<int64_t>(e->value) : std::nullopt;
}

const std::vector<std::string> *find_text_list(const SettingsStore &store, KeyId section, KeyId key) {
  auto *e = dynamic_cast<const StringListEntry *>(find_setting(store, section, key));
  return e ? &e->values : nullptr;
}

const PathMapping *find_path_mapping(const PathTable &table, std::string_view text, PathField field) {
  for (const PathMapping &m : table.items) {
    const std::string &v = field == PathField::Name ? m.name : field == PathField::FstDir ? m.fst_dir : m.host_dir;
    if (v == text) return &m;
  }
  return nullptr;
}

}  // namespace qorv
