#include "core/settings_store.h"

#include <string>

#include <gtest/gtest.h>

namespace qorv {
namespace {

const KeywordRecord &rec(KeyId id) { return *keyword_by_id(id); }

Section &section(Layer &layer, KeyId id) {
  Section *s = nullptr;
  EXPECT_EQ(define_section(layer, rec(id), &s), DefineResult::Defined);
  return *s;
}

TEST(SettingsStore, DefineSection) {
  Layer layer;
  Section *s = nullptr;
  EXPECT_EQ(define_section(layer, rec(key::Input), &s), DefineResult::Defined);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->header->name, "Input");
  Section *again = nullptr;
  EXPECT_EQ(define_section(layer, rec(key::Input), &again), DefineResult::AlreadyDefined);
  EXPECT_EQ(again, nullptr);
  EXPECT_EQ(define_section(layer, rec(key::DvdRoot), &again), DefineResult::NotASection);
  EXPECT_EQ(find_section(layer, key::Input), s);
  EXPECT_EQ(find_section(layer, key::Output), nullptr);
}

TEST(SettingsStore, AdmissionChecksSectionThenKindThenPresence) {
  Layer layer;
  Section &input = section(layer, key::Input);
  // LayoutFileName belongs to Output: not in section, whatever the mask.
  EXPECT_EQ(admit_key(input, key::LayoutFileName, 0), StoreResult::NotInSection);
  EXPECT_EQ(admit_key(input, key::DvdRoot, KIND_NUMBER), StoreResult::WrongKind);
  EXPECT_EQ(admit_key(input, key::DvdRoot, KIND_STRING | KIND_SPECIAL), StoreResult::New);
  // The section header itself is of the section but of no storable kind.
  EXPECT_EQ(admit_key(input, key::Input, 0x5000), StoreResult::WrongKind);
  store_text(input, rec(key::DvdRoot), 2, "a");
  EXPECT_EQ(admit_key(input, key::DvdRoot, 0x5000), StoreResult::Exists);
}

TEST(SettingsStore, RedefinitionReplacesValueButKeepsFirstLine) {
  Layer layer;
  Section &input = section(layer, key::Input);
  EXPECT_EQ(store_text(input, rec(key::DvdRoot), 2, "first"), StoreResult::New);
  EXPECT_EQ(store_text(input, rec(key::DvdRoot), 5, "second"), StoreResult::Exists);
  auto *e = dynamic_cast<StringEntry *>(find_entry(input, key::DvdRoot));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->value, "second");
  EXPECT_EQ(e->line, 2);

  Layer other;
  Section &disk = section(other, key::DiskID);
  EXPECT_EQ(store_number(disk, rec(key::DiskNumber), 3, 1), StoreResult::New);
  EXPECT_EQ(store_number(disk, rec(key::DiskNumber), 4, -7), StoreResult::Exists);
  EXPECT_EQ(dynamic_cast<NumberEntry *>(find_entry(disk, key::DiskNumber))->value, -7);
  // A quoted text for a number key, a number for a text key: wrong kind.
  EXPECT_EQ(store_text(disk, rec(key::DiskNumber), 5, "x"), StoreResult::WrongKind);
  EXPECT_EQ(store_number(disk, rec(key::GameName), 5, 1), StoreResult::WrongKind);
  EXPECT_EQ(find_entry(disk, key::GameName), nullptr);
}

TEST(SettingsStore, TextListReplacedWhole) {
  Layer layer;
  Section &bi2 = section(layer, key::BI2);
  EXPECT_EQ(store_text_list(bi2, rec(key::Arguments), 1, {"a", "b", "c"}), StoreResult::New);
  EXPECT_EQ(store_text_list(bi2, rec(key::Arguments), 2, {"d"}), StoreResult::Exists);
  EXPECT_EQ(dynamic_cast<StringListEntry *>(find_entry(bi2, key::Arguments))->values,
            std::vector<std::string>{"d"});
  EXPECT_EQ(store_text_list(bi2, rec(key::CountryCode), 3, {"x"}), StoreResult::WrongKind);
}

TEST(SettingsStore, LayoutRequestsAreNeverRedefinitions) {
  Layer layer;
  Section &layout = section(layer, key::Layout);
  EXPECT_EQ(add_layout_request(layout, rec(key::LayoutForm), {1, 5, "a", 1, {}}), StoreResult::New);
  EXPECT_EQ(add_layout_request(layout, rec(key::LayoutForm), {2, 6, "a", 2, {}}), StoreResult::New);
  auto *t = find_table<LayoutTable>(layer, key::LayoutForm);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->items.size(), 2u);
  EXPECT_EQ(t->items[0].priority, 5);
  EXPECT_EQ(t->items[1].priority, 6);
  // The [LbaAlign] form is refused in [Layout].
  EXPECT_EQ(add_layout_request(layout, rec(key::LbaAlignForm), {3, 0, "b", 0, {}}), StoreResult::NotInSection);
}

TEST(SettingsStore, PathMappingSameNameReplacesInPlace) {
  Layer layer;
  Section &paths = section(layer, key::PathList);
  const FormRecord &form = rec(key::PathListForm);
  EXPECT_EQ(add_path_mapping(paths, form, {2, "a", "x", "hx"}), StoreResult::New);
  EXPECT_EQ(add_path_mapping(paths, form, {3, "b", "y", "hy"}), StoreResult::New);
  EXPECT_EQ(add_path_mapping(paths, form, {4, "a", "z", "hz"}), StoreResult::Exists);
  // Name comparison is case-sensitive.
  EXPECT_EQ(add_path_mapping(paths, form, {5, "A", "w", "hw"}), StoreResult::New);
  auto *t = find_table<PathTable>(layer, key::PathListForm);
  ASSERT_EQ(t->items.size(), 3u);
  EXPECT_EQ(t->items[0].name, "a");  // keeps its first place
  EXPECT_EQ(t->items[0].fst_dir, "z");
  EXPECT_EQ(t->items[0].host_dir, "hz");
  EXPECT_EQ(t->items[0].line, 4);  // the latest definition's line
  EXPECT_EQ(find_path_mapping(*t, "y", PathField::FstDir), &t->items[1]);
  EXPECT_EQ(find_path_mapping(*t, "hw", PathField::HostDir), &t->items[2]);
  EXPECT_EQ(find_path_mapping(*t, "B", PathField::Name), nullptr);
}

// Thousands of names: the index grows many times and still finds every
// earlier name, including names that share a prefix or differ only in length.
TEST(SettingsStore, ManyPathMappingsKeepTheirPlaces) {
  Layer layer;
  Section &paths = section(layer, key::PathList);
  const FormRecord &form = rec(key::PathListForm);
  const int count = 5000;
  auto name = [](int i) { return "G" + std::to_string(i); };  // G1, G10, G100, ...
  for (int i = 0; i < count; ++i)
    ASSERT_EQ(add_path_mapping(paths, form, {i, name(i), "d" + std::to_string(i), "h"}), StoreResult::New);
  for (int i = 0; i < count; i += 7)
    ASSERT_EQ(add_path_mapping(paths, form, {count + i, name(i), "r", "h"}), StoreResult::Exists) << i;
  EXPECT_EQ(add_path_mapping(paths, form, {0, "", "e", "h"}), StoreResult::New);
  EXPECT_EQ(add_path_mapping(paths, form, {0, "", "f", "h"}), StoreResult::Exists);
  auto *t = find_table<PathTable>(layer, key::PathListForm);
  ASSERT_EQ(t->items.size(), static_cast<size_t>(count) + 1);
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(t->items[i].name, name(i));
    EXPECT_EQ(t->items[i].fst_dir, i % 7 == 0 ? "r" : "d" + std::to_string(i));
    EXPECT_EQ(t->items[i].line, i % 7 == 0 ? count + i : i);
  }
  EXPECT_EQ(t->items[count].fst_dir, "f");
}

TEST(SettingsStore, OriginWithSameLbaIsRefused) {
  Layer layer;
  Section &origins = section(layer, key::LbaOrigin);
  const FormRecord &form = rec(key::OriginForm);
  OriginRequest o;
  o.line = 2;
  o.lba = 0x100000;
  o.file = "a";
  o.direction = 1;
  EXPECT_EQ(add_origin(origins, form, o), StoreResult::New);
  o.line = 3;
  o.file = "b";
  EXPECT_EQ(add_origin(origins, form, o), StoreResult::Exists);
  o.lba = 0x200000;
  EXPECT_EQ(add_origin(origins, form, o), StoreResult::New);
  auto *t = find_table<OriginTable>(layer, key::OriginForm);
  ASSERT_EQ(t->items.size(), 2u);
  EXPECT_EQ(t->items[0].file, "a");
  EXPECT_EQ(t->items[0].target, nullptr);
  EXPECT_EQ(t->items[0].layer, -1);
  EXPECT_EQ(t->items[0].replica_index, -1);
  EXPECT_EQ(find_origin(origins, 0x200000), &t->items[1]);
  EXPECT_EQ(find_origin(origins, 0x300000), nullptr);
}

TEST(SettingsStore, FindSettingSearchesNewestLayerFirst) {
  SettingsStore store;
  store_text(section(store.layers[0], key::Input), rec(key::DvdRoot), 1, "one");
  store_text(*find_section(store.layers[0], key::Input), rec(key::LDRFileName), 2, "only-one");
  section(store.layers[1], key::Input);  // file 2 has the section, without the keys
  store_text(section(store.layers[2], key::Input), rec(key::DvdRoot), 1, "three");

  EXPECT_EQ(*find_text(store, key::Input, key::DvdRoot), "three");
  EXPECT_EQ(*find_text(store, key::Input, key::LDRFileName), "only-one");
  EXPECT_EQ(find_text(store, key::Input, key::BootFileName), nullptr);
  // The mask selects layers: bit 1 is layer 1, bit 4 layer 3.
  EXPECT_EQ(dynamic_cast<const StringEntry *>(find_setting(store, key::Input, key::DvdRoot, 1))->value, "one");
  EXPECT_EQ(find_setting(store, key::Input, key::LDRFileName, 6), nullptr);
  // Readers of the wrong kind see nothing.
  EXPECT_FALSE(find_number(store, key::Input, key::DvdRoot).has_value());
  EXPECT_EQ(find_text_list(store, key::Input, key::DvdRoot), nullptr);
}

TEST(SettingsStore, SameSectionInTwoLayersIsKeptInBoth) {
  SettingsStore store;
  Section &a = section(store.layers[0], key::Layout);
  Section &b = section(store.layers[1], key::Layout);
  add_layout_request(a, rec(key::LayoutForm), {1, 1, "first", 0, {}});
  add_layout_request(b, rec(key::LayoutForm), {1, 2, "second", 0, {}});
  // Table readers walk layers 1, 2, 3; find_setting gives the newest table.
  EXPECT_EQ(find_table<LayoutTable>(store.layers[0], key::LayoutForm)->items[0].file, "first");
  EXPECT_EQ(find_table<LayoutTable>(store.layers[1], key::LayoutForm)->items[0].file, "second");
  EXPECT_EQ(find_table<LayoutTable>(store.layers[2], key::LayoutForm), nullptr);
  auto *newest = dynamic_cast<const LayoutTable *>(find_setting(store, key::Layout, key::LayoutForm));
  EXPECT_EQ(newest->items[0].file, "second");
}

}  // namespace
}  // namespace qorv
