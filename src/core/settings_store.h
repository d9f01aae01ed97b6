// Everything read from the description files: three layers (one per file),
// each a set of sections holding entries keyed by KeyId.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/keyword_table.h"
#include "core/name_positions.h"
#include "disc/fst_format.h"

namespace qorv {

struct FileEntry;

struct Entry {
  const KeywordRecord *record = nullptr;
  int32_t line = 0;  // line of the first definition
  virtual ~Entry() = default;
};

struct NumberEntry final : Entry {
  int64_t value = 0;
};

struct StringEntry final : Entry {
  std::string value;
};

struct StringListEntry final : Entry {
  std::vector<std::string> values;
};

struct LayoutRequest {
  int32_t line = 0;
  int32_t priority = 0;
  std::string file;  // disc path or pattern, backslash-separated
  int64_t value = 0;
  ReplicaKind replica = ReplicaKind::Ordinary;
};

struct LayoutTable final : Entry {
  std::vector<LayoutRequest> items;
};

struct PathMapping {
  int32_t line = 0;  // line of the latest definition of this name
  std::string name;
  std::string fst_dir;
  std::string host_dir;
};

// Items are added only through `add_path_mapping`, which keeps `by_name`
// (name -> index in `items`), so a redefinition is found without a search.
// A deque: a table of hundreds of thousands of items grows without moving them.
struct PathTable final : Entry {
  std::deque<PathMapping> items;
  NamePositions by_name;
};

struct OriginRequest {
  int32_t line = 0;
  int64_t lba = 0;
  std::string file;
  int32_t direction = 0;  // +1 "+", -1 "-", 0 follower
  ReplicaKind replica = ReplicaKind::Ordinary;
  std::vector<OriginRequest> followers;
  // Placement fields, filled by the layout requests pass.
  FileEntry *target = nullptr;
  int32_t layer = -1;
  int32_t replica_index = -1;
};

// Items are added only through `add_origin`, which keeps `by_lba` (LBA ->
// index in `items`) for the redefinition check and the followers.
struct OriginTable final : Entry {
  std::vector<OriginRequest> items;
  std::unordered_map<int64_t, size_t> by_lba;
};

struct Section {
  const KeywordRecord *header = nullptr;
  std::map<KeyId, std::unique_ptr<Entry>> entries;
};

struct Layer {
  std::string file_name;  // as typed on the command line; empty: no file
  std::map<KeyId, Section> sections;
};

struct SettingsStore {
  std::array<Layer, 3> layers;
};

// Result of admitting a definition into a section.
enum class StoreResult { New, Exists, NotInSection, WrongKind };

enum class DefineResult { Defined, AlreadyDefined, NotASection };

// Creates the section `header` in `layer`; on success `*out` is the section.
DefineResult define_section(Layer &layer, const KeywordRecord &header, Section **out);
Section *find_section(Layer &layer, KeyId section);
const Section *find_section(const Layer &layer, KeyId section);
Entry *find_entry(Section &section, KeyId key);
const Entry *find_entry(const Section &section, KeyId key);

StoreResult admit_key(const Section &section, KeyId key, KeyId kind_mask);

// Store operations; each admits first and stores on New or Exists (see the
// individual rules in the implementation).
StoreResult store_text(Section &section, const KeywordRecord &key, int32_t line, std::string value);
StoreResult store_number(Section &section, const KeywordRecord &key, int32_t line, int64_t value);
StoreResult store_text_list(Section &section, const KeywordRecord &key, int32_t line,
                            std::vector<std::string> values);
StoreResult add_layout_request(Section &section, const FormRecord &form, LayoutRequest request);
StoreResult add_path_mapping(Section &section, const FormRecord &form, PathMapping mapping);
StoreResult add_origin(Section &section, const FormRecord &form, OriginRequest origin);
// The origin with `lba` in the section's origin table, or nullptr.
OriginRequest *find_origin(Section &section, int64_t lba);

// A single key, searched in layer 3, 2, then 1 (mask bits 4, 2, 1).
const Entry *find_setting(const SettingsStore &store, KeyId section, KeyId key, unsigned mask = 7);
const std::string *find_text(const SettingsStore &store, KeyId section, KeyId key);
std::optional<int64_t> find_number(const SettingsStore &store, KeyId section, KeyId key);
const std::vector<std::string> *find_text_list(const SettingsStore &store, KeyId section, KeyId key);

// The table of `form` in one layer (0, 1, 2), or nullptr. Table readers walk
// layers 0, 1, 2 and take each table's items in stored order.
template <class Table>
Table *find_table(Layer &layer, KeyId form) {
  Section *section = find_section(layer, section_of(form));
  return section ? dynamic_cast<Table *>(find_entry(*section, form)) : nullptr;
}
template <class Table>
const Table *find_table(const Layer &layer, KeyId form) {
  const Section *section = find_section(layer, section_of(form));
  return section ? dynamic_cast<const Table *>(find_entry(*section, form)) : nullptr;
}

enum class PathField { Name, FstDir, HostDir };
// The first mapping whose selected field equals `text` exactly.
const PathMapping *find_path_mapping(const PathTable &table, std::string_view text, PathField field);

}  // namespace qorv
