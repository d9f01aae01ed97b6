#include "host/line_reader.h"

#include "host/file_descriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {
constexpr size_t kChunk = 64 * 1024;
}

LineReader::~LineReader() { close(); }

bool LineReader::open(const std::string &path) {
  close();
  struct stat st;
  int fd = open_file_descriptor(path, O_RDONLY, st);
  if (fd < 0) return false;
  fd_ = fd;
  buffer_.assign(kChunk, '\0');
  begin_ = end_ = 0;
  at_eof_ = failed_ = too_long_ = false;

  // Skip a byte-order mark; a file shorter than one keeps its bytes.
  while (end_ < 3 && fill()) {
  }
  byte_order_mark_ = end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0;
  if (byte_order_mark_) begin_ = 3;
  return true;
}

void LineReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
  begin_ = end_ = 0;
}

bool LineReader::fill() {
  if (fd_ < 0 || at_eof_) return false;
  if (begin_ > 0) {  // keep the unread bytes at the front
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() + kChunk);
  ssize_t n;
  do {
    n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) {
    at_eof_ = true;
    failed_ = n < 0;
    return false;
  }
  end_ += static_cast<size_t>(n);
  return true;
}

bool LineReader::read_line(std::string &line) {
  line.clear();
  if (begin_ == end_ && !fill()) return false;
  for (;;) {
    const char *start = buffer_.data() + begin_;
    const void *lf = std::memchr(start, '\n', end_ - begin_);
    size_t length = lf ? static_cast<size_t>(static_cast<const char *>(lf) - start) : end_ - begin_;
    line.append(start, length);
    begin_ += length;
    // Over the limit, unless the one byte over is a carriage return that
    // may still turn out to be part of the line end.
    if (line.size() > max_line_length_ && (line.size() - max_line_length_ > 1 || line.back() != '\r')) {
      too_long_ = at_eof_ = true;  // nothing more is read
      begin_ = end_ = 0;
      line = std::string();  // give the memory back
      return false;
    }
    if (lf) {
      begin_ += 1;
      break;
    }
    if (!fill()) break;  // the last line ends at the end of the file
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace qorv
