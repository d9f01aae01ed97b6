// The sections, keys and table forms of the description language, each known
// by a 32-bit KeyId: section bit (31..16), kind bit (15..8), index (7..0).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qorv {

using KeyId = uint32_t;

inline constexpr KeyId SECTION_MASK = 0xFFFF0000;

inline constexpr KeyId KIND_SECTION = 0x8000;
inline constexpr KeyId KIND_STRING = 0x4000;
inline constexpr KeyId KIND_STRING_LIST = 0x2000;
inline constexpr KeyId KIND_SPECIAL = 0x1000;
inline constexpr KeyId KIND_NUMBER = 0x0800;
inline constexpr KeyId KIND_LAYOUT = 0x0400;
inline constexpr KeyId KIND_PATH = 0x0200;
inline constexpr KeyId KIND_ORIGIN = 0x0100;

// Token kinds of keywords as the parser knows them.
inline constexpr int TOKEN_KEYWORD = 268;
inline constexpr int TOKEN_SPECIAL = 272;

struct KeywordRecord {
  std::string_view name;
  KeyId id;
  int token;  // TOKEN_KEYWORD or TOKEN_SPECIAL; 0 for a form record
};
using FormRecord = KeywordRecord;

namespace key {
// Sections.
inline constexpr KeyId Input = 0x80008000;
inline constexpr KeyId Output = 0x40008000;
inline constexpr KeyId DiskID = 0x20008000;
inline constexpr KeyId BB2 = 0x10008000;
inline constexpr KeyId BI2 = 0x08008000;
inline constexpr KeyId LbaAlign = 0x04008000;
inline constexpr KeyId Layout = 0x02008000;
inline constexpr KeyId PathList = 0x01008000;
inline constexpr KeyId LbaOrigin = 0x00808000;
inline constexpr KeyId LayoutOff = 0x00408000;
// [Input]
inline constexpr KeyId DvdRoot = 0x80004001;
inline constexpr KeyId LDRFileName = 0x80004002;
inline constexpr KeyId BI2FileName = 0x80004003;
inline constexpr KeyId BootFileName = 0x80004004;
inline constexpr KeyId ZEMSysFileName = 0x80004005;
// [Output]
inline constexpr KeyId LayoutFileName = 0x40004001;
inline constexpr KeyId SystemFileName = 0x40004002;
inline constexpr KeyId FsInfoFileName = 0x40004003;
inline constexpr KeyId ConfigFileName = 0x40004004;
inline constexpr KeyId Mode = 0x40001005;
inline constexpr KeyId FST = 0x40001006;
// [DiskID]
inline constexpr KeyId GameName = 0x20001001;
inline constexpr KeyId Company = 0x20001002;
inline constexpr KeyId DiskNumber = 0x20000803;
inline constexpr KeyId GameVersion = 0x20000804;
inline constexpr KeyId Streaming = 0x20000805;
inline constexpr KeyId StreamingBufSize = 0x20000806;
inline constexpr KeyId DiskInfo = 0x20004007;
inline constexpr KeyId TotalDisk = 0x20000808;
inline constexpr KeyId Hash = 0x20000809;
inline constexpr KeyId Encryption = 0x2000080A;
// [BB2]
inline constexpr KeyId FSTMaxLength = 0x10000801;
inline constexpr KeyId FSTAddress = 0x10000802;
inline constexpr KeyId FSTEndAddress = 0x10000803;
inline constexpr KeyId FSTuserTop = 0x10000804;
inline constexpr KeyId FSTuserEnd = 0x10000805;
// [BI2]
inline constexpr KeyId DEBUGFLAG = 0x08000801;
inline constexpr KeyId LongFileNameSupport = 0x08000802;
inline constexpr KeyId CountryCode = 0x08001003;
inline constexpr KeyId Arguments = 0x08002004;
// Table forms.
inline constexpr KeyId LbaAlignForm = 0x04000401;
inline constexpr KeyId LayoutForm = 0x02000401;
inline constexpr KeyId PathListForm = 0x01000201;
inline constexpr KeyId OriginForm = 0x00800101;
inline constexpr KeyId FollowerForm = 0x00800102;
inline constexpr KeyId LayoutOffForm = 0x00400401;
}  // namespace key

// Exact, case-sensitive lookup of the 40 keywords; nullptr when none.
const KeywordRecord *lookup_keyword(std::string_view name);
// Keyword or form record by id; nullptr when none.
const KeywordRecord *keyword_by_id(KeyId id);
// The name printed for `id` (empty when unknown).
std::string_view key_name(KeyId id);

inline bool same_section(KeyId a, KeyId b) { return (a & SECTION_MASK) == (b & SECTION_MASK); }
inline KeyId section_of(KeyId id) { return (id & SECTION_MASK) | KIND_SECTION; }

struct RequiredKey {
  KeyId key;
  uint8_t not_in_ht;  // 1: not required in HT mode
};
struct RequiredKeyRow {
  KeyId section;
  std::span<const RequiredKey> keys;
};
// Input, Output, DiskID, BB2, in the order they are checked.
std::span<const RequiredKeyRow> required_key_table();

// "jp", "us", "eu" by index.
inline constexpr std::string_view country_names[3] = {"jp", "us", "eu"};

}  // namespace qorv
