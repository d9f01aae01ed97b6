#include "core/keyword_table.h"

#include <gtest/gtest.h>

namespace qorv {
namespace {

TEST(KeywordTable, LookupIsExactAndCaseSensitive) {
  const KeywordRecord *input = lookup_keyword("Input");
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->id, 0x80008000u);
  EXPECT_EQ(input->token, 268);
  EXPECT_EQ(lookup_keyword("INPUT"), nullptr);
  EXPECT_EQ(lookup_keyword("input"), nullptr);
  EXPECT_EQ(lookup_keyword(""), nullptr);
  // Form names are not keywords, not even their first word.
  EXPECT_EQ(lookup_keyword("priority"), nullptr);
  EXPECT_EQ(lookup_keyword("priority=\"filename\",value"), nullptr);
}

TEST(KeywordTable, SpecialKeysHaveTheirToken) {
  // Mode, GameName, Company and CountryCode are written with their own syntax;
  // FST is special in kind but written like an ordinary key.
  for (const char *name : {"Mode", "GameName", "Company", "CountryCode"})
    EXPECT_EQ(lookup_keyword(name)->token, 272) << name;
  EXPECT_EQ(lookup_keyword("FST")->token, 268);
  EXPECT_EQ(lookup_keyword("FST")->id, 0x40001006u);
}

TEST(KeywordTable, FormRecordsAreFoundByIdOnly) {
  ASSERT_NE(keyword_by_id(0x02000401), nullptr);
  EXPECT_EQ(keyword_by_id(0x02000401)->name, "priority=\"filename\",value");
  EXPECT_EQ(keyword_by_id(0x04000401)->name, "priority=\"filename\",value");
  EXPECT_EQ(keyword_by_id(0x00400401)->name, "\"filename\"");
  EXPECT_EQ(key_name(0x01000201), "name=\"FST dir\",\"Windows dir\"");
  EXPECT_EQ(key_name(0x00800101), "LBA=\"filename\",layout");
  EXPECT_EQ(key_name(0x00800102), "@LBA=\"filename\"");
  EXPECT_EQ(keyword_by_id(0x02000401)->token, 0);
  // The terminator row is not entered.
  EXPECT_EQ(keyword_by_id(0xFFFFFFFF), nullptr);
  EXPECT_EQ(key_name(0x12345678), "");
}

TEST(KeywordTable, SectionAndKindBits) {
  EXPECT_TRUE(same_section(key::DvdRoot, key::Input));
  EXPECT_FALSE(same_section(key::DvdRoot, key::LayoutFileName));
  EXPECT_EQ(section_of(key::LayoutForm), key::Layout);
  EXPECT_EQ(section_of(key::Arguments), key::BI2);
  // The single-text mask 0x5000 admits FST (special) but not DiskNumber (number).
  EXPECT_NE(key::FST & 0x5000 & 0xFF00, 0u);
  EXPECT_EQ(key::DiskNumber & 0x5000 & 0xFF00, 0u);
}

}  // namespace
}  // namespace qorv
