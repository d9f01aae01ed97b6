// A text file read line by line as bytes. A line ends at a line feed; a
// carriage return directly before it (or at the end of the file) is dropped,
// a UTF-8 byte-order mark at the very start is skipped, and a line feed at
// the very end does not begin another line. Lines have no length limit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qorv {

class LineReader {
public:
  LineReader() = default;
  LineReader(const LineReader &) = delete;
  LineReader &operator=(const LineReader &) = delete;
  ~LineReader();

  // False for a missing or unreadable file and for a directory. A file still
  // open is closed first.
  bool open(const std::string &path);
  void close();
  bool is_open() const { return fd_ >= 0; }

  // The next line without its line end; false at the end of the file (or
  // when reading fails, which `failed` then tells).
  bool read_line(std::string &line);
  bool failed() const { return failed_; }

private:
  // Refills `buffer_`; false at the end of the file or on a read error.
  bool fill();

  int fd_ = -1;
  std::vector<char> buffer_;
  size_t begin_ = 0;
  size_t end_ = 0;
  bool at_eof_ = false;
  bool failed_ = false;
};

}  // namespace qorv
