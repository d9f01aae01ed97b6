#include "core/keyword_table.h"

#include <algorithm>
#include <array>

namespace qorv {

namespace {
constexpr KeywordRecord kKeywordTable[] = {
    {"Input", key::Input, TOKEN_KEYWORD},
    {"Output", key::Output, TOKEN_KEYWORD},
    {"DiskID", key::DiskID, TOKEN_KEYWORD},
    {"BB2", key::BB2, TOKEN_KEYWORD},
    {"BI2", key::BI2, TOKEN_KEYWORD},
    {"LbaAlign", key::LbaAlign, TOKEN_KEYWORD},
    {"Layout", key::Layout, TOKEN_KEYWORD},
    {"PathList", key::PathList, TOKEN_KEYWORD},
    {"LbaOrigin", key::LbaOrigin, TOKEN_KEYWORD},
    {"LayoutOff", key::LayoutOff, TOKEN_KEYWORD},
    {"DvdRoot", key::DvdRoot, TOKEN_KEYWORD},
    {"LDRFileName", key::LDRFileName, TOKEN_KEYWORD},
    {"BI2FileName", key::BI2FileName, TOKEN_KEYWORD},
    {"BootFileName", key::BootFileName, TOKEN_KEYWORD},
    {"ZEMSysFileName", key::ZEMSysFileName, TOKEN_KEYWORD},
    {"LayoutFileName", key::LayoutFileName, TOKEN_KEYWORD},
    {"SystemFileName", key::SystemFileName, TOKEN_KEYWORD},
    {"FsInfoFileName", key::FsInfoFileName, TOKEN_KEYWORD},
    {"ConfigFileName", key::ConfigFileName, TOKEN_KEYWORD},
    {"Mode", key::Mode, TOKEN_SPECIAL},
    {"FST", key::FST, TOKEN_KEYWORD},
    {"GameName", key::GameName, TOKEN_SPECIAL},
    {"Company", key::Company, TOKEN_SPECIAL},
    {"DiskNumber", key::DiskNumber, TOKEN_KEYWORD},
    {"GameVersion", key::GameVersion, TOKEN_KEYWORD},
    {"Streaming", key::Streaming, TOKEN_KEYWORD},
    {"StreamingBufSize", key::StreamingBufSize, TOKEN_KEYWORD},
    {"DiskInfo", key::DiskInfo, TOKEN_KEYWORD},
    {"TotalDisk", key::TotalDisk, TOKEN_KEYWORD},
    {"Hash", key::Hash, TOKEN_KEYWORD},
    {"Encryption", key::Encryption, TOKEN_KEYWORD},
    {"FSTMaxLength", key::FSTMaxLength, TOKEN_KEYWORD},
    {"FSTAddress", key::FSTAddress, TOKEN_KEYWORD},
    {"FSTEndAddress", key::FSTEndAddress, TOKEN_KEYWORD},
    {"FSTuserTop", key::FSTuserTop, TOKEN_KEYWORD},
    {"FSTuserEnd", key::FSTuserEnd, TOKEN_KEYWORD},
    {"DEBUGFLAG", key::DEBUGFLAG, TOKEN_KEYWORD},
    {"LongFileNameSupport", key::LongFileNameSupport, TOKEN_KEYWORD},
    {"CountryCode", key::CountryCode, TOKEN_SPECIAL},
    {"Arguments", key::Arguments, TOKEN_KEYWORD},
};

constexpr FormRecord kFormRecords[] = {
    {"priority=\"filename\",value", key::LbaAlignForm, 0},
    {"priority=\"filename\",value", key::LayoutForm, 0},
    {"name=\"FST dir\",\"Windows dir\"", key::PathListForm, 0},
    {"LBA=\"filename\",layout", key::OriginForm, 0},
    {"@LBA=\"filename\"", key::FollowerForm, 0},
    {"\"filename\"", key::LayoutOffForm, 0},
};

// The two lookup maps are sorted arrays built once; the tables are static.
struct Maps {
  std::array<const KeywordRecord *, std::size(kKeywordTable)> by_name;
  std::array<const KeywordRecord *, std::size(kKeywordTable) + std::size(kFormRecords)> by_id;
  Maps() {
    size_t n = 0, m = 0;
    for (const KeywordRecord &r : kKeywordTable) by_name[n++] = by_id[m++] = &r;
    for (const FormRecord &r : kFormRecords) by_id[m++] = &r;
    std::sort(by_name.begin(), by_name.end(),
              [](auto *a, auto *b) { return a->name < b->name; });
    std::sort(by_id.begin(), by_id.end(), [](auto *a, auto *b) { return a->id < b->id; });
  }
};

const Maps &maps() {
  static const Maps instance;
  return instance;
}

constexpr RequiredKey kInputKeys[] = {{key::DvdRoot, 0}, {key::LDRFileName, 0}, {key::BI2FileName, 0},
                                      {key::BootFileName, 0}, {key::ZEMSysFileName, 1}};
constexpr RequiredKey kOutputKeys[] = {
    {key::LayoutFileName, 0}, {key::SystemFileName, 0}, {key::ConfigFileName, 1}};
constexpr RequiredKey kDiskIdKeys[] = {{key::GameName, 0},    {key::Company, 0},  {key::DiskNumber, 0},
                                       {key::GameVersion, 0}, {key::DiskInfo, 0}, {key::TotalDisk, 0}};
constexpr RequiredKey kBb2Keys[] = {{key::FSTEndAddress, 0}, {key::FSTuserEnd, 0}};
constexpr RequiredKeyRow kRequiredKeys[] = {
    {key::Input, kInputKeys}, {key::Output, kOutputKeys}, {key::DiskID, kDiskIdKeys}, {key::BB2, kBb2Keys}};
}  // namespace

const KeywordRecord *lookup_keyword(std::string_view name) {
  const auto &v = maps().by_name;
  auto it = std::lower_bound(v.begin(), v.end(), name, [](auto *r, std::string_view n) { return r->name < n; });
  return it != v.end() && (*it)->name == name ? *it : nullptr;
}

const KeywordRecord *keyword_by_id(KeyId id) {
  const auto &v = maps().by_id;
  auto it = std::lower_bound(v.begin(), v.end(), id, [](auto *r, KeyId k) { return r->id < k; });
  return it != v.end() && (*it)->id == id ? *it : nullptr;
}

std::string_view key_name(KeyId id) {
  const KeywordRecord *r = keyword_by_id(id);
  return r ? r->name : std::string_view();
}

std::span<const RequiredKeyRow> required_key_table() { return kRequiredKeys; }

}  // namespace qorv
