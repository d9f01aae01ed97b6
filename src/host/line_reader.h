// A text file read line by line as bytes. A line ends at a line feed; a
// carriage return directly before it (or at the end of the file) is dropped,
// a UTF-8 byte-order mark at the very start is skipped, and a line feed at
// the very end does not begin another line. A line longer than the reader's
// limit stops the reading there (an endless source such as /dev/zero must not
// fill the memory).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qorv {

class LineReader {
public:
  explicit LineReader(size_t max_line_length = SIZE_MAX) : max_line_length_(max_line_length) {}
  LineReader(const LineReader &) = delete;
  LineReader &operator=(const LineReader &) = delete;
  ~LineReader();

  // False for a missing or unreadable file and for a directory. A file still
  // open is closed first.
  bool open(const std::string &path);
  void close();
  bool is_open() const { return fd_ >= 0; }

  // The next line without its line end; false at the end of the file (or
  // when reading fails, which `failed` then tells, or when the line is
  // longer than the limit, which `line_too_long` tells: nothing after it is
  // read).
  bool read_line(std::string &line);
  bool failed() const { return failed_; }
  bool line_too_long() const { return too_long_; }
  // True when the file began with a UTF-8 byte-order mark (skipped).
  bool had_byte_order_mark() const { return byte_order_mark_; }

private:
  // Refills `buffer_`; false at the end of the file or on a read error.
  bool fill();

  size_t max_line_length_;
  int fd_ = -1;
  std::vector<char> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  bool at_eof_ = false;
  bool failed_ = false;
  bool too_long_ = false;
  bool byte_order_mark_ = false;
};

}  // namespace qorv
