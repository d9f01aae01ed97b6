#include "ddf/description_reader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/run_state.h"
#include "support/test_support.h"

namespace qorv {
namespace {

// Reads a whole file into a readable token list: "KIND:value@line", with the
// reader's messages mixed in as "E@line:text" / "W@line:text".
class Lexer : public ::testing::Test {
protected:
  std::string tokens(const std::string &content, VariableLookup lookup = {}) {
    if (!lookup.environment) lookup.environment = [](const std::string &) { return std::nullopt; };
    if (!lookup.registry) lookup.registry = [](const std::string &) { return std::nullopt; };
    DescriptionReader reader(lookup);
    std::string out;
    auto note = [&](const char *kind) {
      return [&out, &reader, kind](std::string_view text) {
        out += std::string(kind) + "@" + std::to_string(reader.line_number()) + ":" + std::string(text) + " ";
      };
    };
    EXPECT_TRUE(reader.open(dir.write("f.ddf", content), note("E"), note("W")));
    for (int guard = 0; guard < 1000; ++guard) {
      TokenValue v;
      TokenKind k = reader.next_token(v);
      out += describe(k, v) + "@" + std::to_string(reader.line_number()) + " ";
      if (k == EOFD) break;
    }
    if (!out.empty()) out.pop_back();
    return out;
  }

  static std::string describe(TokenKind k, const TokenValue &v) {
    switch (k) {
    case EOFD: return "EOFD";
    case UNKOWN: return "UNKOWN";
    case COMMA: return ",";
    case PLUS: return "+";
    case MINUS: return "-";
    case COLON: return ":";
    case ASSIGN: return "=";
    case AT: return "AT";
    case LBRACE: return "[";
    case RBRACE: return "]";
    case KEYWORD: return "KEYWORD:" + std::string(v.record->name);
    case SPECIAL: return "SPECIAL:" + std::string(v.record->name);
    case STRING: return "STRING:" + *v.text;
    case SYMBOL: return "SYMBOL:" + *v.text;
    case VALUE: return "VALUE:" + std::to_string(v.number) + "(" + *v.text + ")";
    }
    return "?";
  }

  test::TempDir dir;
};

TEST_F(Lexer, EmptyAndCommentOnlyFilesGiveEofdAtOnce) {
  EXPECT_EQ(tokens(""), "EOFD@0");
  // Line numbers count blank and comment lines; a final line feed adds none.
  EXPECT_EQ(tokens("\n; remark\n   \n"), "EOFD@3");
  EXPECT_EQ(tokens("; a\n; b"), "EOFD@2");
}

TEST_F(Lexer, KeyAssignString) {
  EXPECT_EQ(tokens("DvdRoot = \"C:\\root\""), "KEYWORD:DvdRoot@1 =@1 STRING:C:\\root@1 EOFD@1");
  // Definitions may run over lines; the token stream ignores line ends.
  EXPECT_EQ(tokens("DvdRoot =\n\"C:\\root\"\n"), "KEYWORD:DvdRoot@1 =@1 STRING:C:\\root@2 EOFD@2");
  EXPECT_EQ(tokens("\"\""), "STRING:@1 EOFD@1");
}

TEST_F(Lexer, CommentRule) {
  // A ";" before any "$" drops the whole line, definition included.
  EXPECT_EQ(tokens("; DvdRoot\nHash = 1 ; remark\nTotalDisk"), "KEYWORD:TotalDisk@3 EOFD@3");
  // A ";" inside quotes counts too: the line holds a ";" before any "$".
  EXPECT_EQ(tokens("GameName = \"a;b\"\n"), "EOFD@1");
  // With a "$" first, the line is expanded and the text from ";" is skipped.
  VariableLookup env;
  env.environment = [](const std::string &n) { return n == "V" ? std::optional<std::string>("1") : std::nullopt; };
  EXPECT_EQ(tokens("Hash = $(V) ; Hash\nTotalDisk", env), "KEYWORD:Hash@1 =@1 VALUE:1(1)@1 KEYWORD:TotalDisk@2 EOFD@2");
}

TEST_F(Lexer, SignsAndNumbers) {
  EXPECT_EQ(tokens("-12"), "VALUE:-12(-12)@1 EOFD@1");
  EXPECT_EQ(tokens("- 12"), "-@1 VALUE:12(12)@1 EOFD@1");
  EXPECT_EQ(tokens("+12"), "+@1 VALUE:12(12)@1 EOFD@1");
  EXPECT_EQ(tokens("-\n3"), "-@1 VALUE:3(3)@2 EOFD@2");
  // 0x1F = 31 in every spelling; leading zeros stay decimal (010 = ten).
  EXPECT_EQ(tokens("0x1F 0X1f 0x1f 010"),
            "VALUE:31(0x1F)@1 VALUE:31(0X1f)@1 VALUE:31(0x1f)@1 VALUE:10(010)@1 EOFD@1");
  // A hexadecimal number has no sign: -0x10 is -0 then the identifier x10.
  EXPECT_EQ(tokens("-0x10"), "VALUE:0(-0)@1 SYMBOL:x10@1 EOFD@1");
  // Beyond the 64-bit range the conversion saturates.
  EXPECT_EQ(tokens("99999999999999999999 -99999999999999999999 0x10000000000000000"),
            "VALUE:9223372036854775807(99999999999999999999)@1 "
            "VALUE:-9223372036854775808(-99999999999999999999)@1 "
            "VALUE:9223372036854775807(0x10000000000000000)@1 EOFD@1");
}

TEST_F(Lexer, TokenStreams) {
  const std::pair<std::string, const char *> cases[] = {
      // Hex prefix without digits: the error comes first, then a VALUE 0
      // written "0x"; the "g" is left.
      {"0xg", "E@1:syntax error VALUE:0(0x)@1 SYMBOL:g@1 EOFD@1"},
      {"0x", "E@1:syntax error VALUE:0(0x)@1 EOFD@1"},
      // Identifiers.
      {"mode Mode FST Input x_1", "SYMBOL:mode@1 SPECIAL:Mode@1 KEYWORD:FST@1 KEYWORD:Input@1 SYMBOL:x_1@1 EOFD@1"},
      {"_abc", "UNKOWN@1 SYMBOL:abc@1 EOFD@1"},
      {"DvdRoot2", "SYMBOL:DvdRoot2@1 EOFD@1"},
      // Punctuation.
      {"[Input]@,:=", "[@1 KEYWORD:Input@1 ]@1 AT@1 ,@1 :@1 =@1 EOFD@1"},
      {"!", "UNKOWN@1 EOFD@1"},
      // An unterminated string. No escapes: a backslash before the quote
      // does not hide it.
      {"DvdRoot = \"abc\nHash",
       "KEYWORD:DvdRoot@1 =@1 E@1:string must be enclosed within \" STRING:abc@1 KEYWORD:Hash@2 EOFD@2"},
      {"\"a\\\"b", "STRING:a\\@1 SYMBOL:b@1 EOFD@1"},
      // High bytes are not the end of the file: 0xFF starts no token; the
      // definitions after it are still read. Inside a string every byte is
      // kept, up to a NUL byte: that ends the text like the line's end (no
      // host call could take a name holding it), and the rest of the line
      // goes with it.
      {"\xFF Hash\n\xC3\xA9", "UNKOWN@1 KEYWORD:Hash@1 UNKOWN@2 UNKOWN@2 EOFD@2"},
      {std::string("\"a\xFF\0b\" Hash\nTotalDisk", 21),
       "E@1:string must be enclosed within \" STRING:a\xFF@1 KEYWORD:TotalDisk@2 EOFD@2"},
      // Host line rules: CR before LF dropped, leading UTF-8 byte-order mark
      // skipped; a byte-order mark later in the file is not skipped.
      {"\xEF\xBB\xBFHash\r\n=\r\n1\r\n", "KEYWORD:Hash@1 =@2 VALUE:1(1)@3 EOFD@3"},
      {"\n\xEF\xBB\xBFHash", "UNKOWN@2 UNKOWN@2 UNKOWN@2 KEYWORD:Hash@2 EOFD@2"},
      // Expansion failures drop the line.
      {"Hash $x\nTotalDisk", "E@1:description of $ is wrong KEYWORD:TotalDisk@2 EOFD@2"},
      {"Hash $(NOPE)\nTotalDisk", "W@1:NOPE undefined. KEYWORD:TotalDisk@2 EOFD@2"},
  };
  for (const auto &[text, expected] : cases) EXPECT_EQ(tokens(text), expected);
}

TEST_F(Lexer, LongLinesAreNotCut) {
  std::string name(1 << 20, 'a');
  std::string text = "\"" + std::string(1 << 20, 'b') + "\" " + name;
  DescriptionReader reader;
  ASSERT_TRUE(reader.open(dir.write("long.ddf", text), {}, {}));
  TokenValue v;
  ASSERT_EQ(reader.next_token(v), STRING);
  EXPECT_EQ(v.text->size(), size_t{1} << 20);
  ASSERT_EQ(reader.next_token(v), SYMBOL);
  EXPECT_EQ(*v.text, name);
  EXPECT_EQ(reader.next_token(v), EOFD);
}

TEST_F(Lexer, OpenFailsForMissingFileAndDirectory) {
  DescriptionReader reader;
  EXPECT_FALSE(reader.open(dir.at("missing.ddf"), {}, {}));
  EXPECT_FALSE(reader.open(dir.mkdir("sub"), {}, {}));
  EXPECT_EQ(reader.file_name(), dir.at("sub"));
  TokenValue v;
  EXPECT_EQ(reader.next_token(v), EOFD);
}

TEST(ReportParseError, UsesTheReaderPosition) {
  test::TempDir dir;
  RunState run;
  std::ostringstream err;
  run.diag_stream = &err;
  DescriptionReader reader;
  std::string path = dir.write("p.ddf", "\n\nHash");
  ASSERT_TRUE(reader.open(path, {}, {}));
  TokenValue v;
  reader.next_token(v);  // Hash, on line 3
  report_parse_error(run, reader, MessageId::SectionRedefined, {"Input"});
  EXPECT_EQ(err.str(), "Error:" + path + ", 3: [Input] section is redefined.\n");
  EXPECT_EQ(run.error_count, 1);
}

}  // namespace
}  // namespace qorv
