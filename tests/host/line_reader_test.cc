#include "host/line_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_support.h"

namespace qorv {
namespace {

std::vector<std::string> lines_of(const std::string &content) {
  test::TempDir dir;
  LineReader reader;
  EXPECT_TRUE(reader.open(dir.write("f.txt", content)));
  std::vector<std::string> lines;
  std::string line;
  while (reader.read_line(line)) lines.push_back(line);
  EXPECT_FALSE(reader.failed());
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, FinalLineFeedStartsNoLine) {
  EXPECT_EQ(lines_of("A\nB\n"), (Lines{"A", "B"}));
  EXPECT_EQ(lines_of("A\nB"), (Lines{"A", "B"}));
  EXPECT_EQ(lines_of(""), Lines{});
  EXPECT_EQ(lines_of("\n"), Lines{""});
  EXPECT_EQ(lines_of("\n\n"), (Lines{"", ""}));
}

TEST(LineReader, CarriageReturnBeforeLineFeedOrAtEndIsDropped) {
  EXPECT_EQ(lines_of("A\r\nB\r"), (Lines{"A", "B"}));
  // Only the one directly before the line end; others are kept.
  EXPECT_EQ(lines_of("A\r\r\nB\rC\n"), (Lines{"A\r", "B\rC"}));
}

TEST(LineReader, ByteOrderMarkOnlyAtTheStart) {
  EXPECT_EQ(lines_of("\xEF\xBB\xBF" "A\n\xEF\xBB\xBF"), (Lines{"A", "\xEF\xBB\xBF"}));
  EXPECT_EQ(lines_of("\xEF\xBB\xBF"), Lines{});
  // A partial mark is ordinary text.
  EXPECT_EQ(lines_of("\xEF\xBB"), Lines{"\xEF\xBB"});
}

TEST(LineReader, LinesLongerThanTheBufferAndBinaryBytes) {
  std::string big(300 * 1024, 'x');
  big[150 * 1024] = '\0';
  EXPECT_EQ(lines_of(big + "\nend"), (Lines{big, "end"}));
  // A line end exactly at a buffer boundary (64 KiB) splits nothing.
  std::string edge(64 * 1024 - 1, 'y');
  EXPECT_EQ(lines_of(edge + "\n" + edge + "\r\n"), (Lines{edge, edge}));
}

TEST(LineReader, OpenRefusesMissingFilesAndDirectories) {
  test::TempDir dir;
  LineReader reader;
  EXPECT_FALSE(reader.open(dir.at("none")));
  EXPECT_FALSE(reader.open(dir.path()));
  EXPECT_FALSE(reader.is_open());
  std::string line;
  EXPECT_FALSE(reader.read_line(line));
}

}  // namespace
}  // namespace qorv
