#include "image/dlf_reader.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "disc/dlf_format.h"
#include "host/disc_file.h"
#include "host/host_path.h"
#include "image/image_report.h"

namespace qorv {

namespace {
// Lines of a DLF hold an offset and a host path: far below this. A longer
// line is no DLF's (a binary file), and is not held in memory.
constexpr size_t MAX_LINE = 1 << 16;
constexpr size_t CHUNK = 1 << 16;

// What is wrong with an item line, by parse_dlf_item_line's answer.
constexpr ImageMessage ITEM_PROBLEMS[] = {ImageMessage::ItemLineStart, ImageMessage::OffsetTooLarge,
                                          ImageMessage::OffsetNoDigits, ImageMessage::OffsetNoName,
                                          ImageMessage::NameNoQuote,    ImageMessage::NameZeroByte};
}  // namespace

void DlfStream::error(int32_t line, ImageMessage what, ImageArgs args) {
  ++errors_;
  image_error_at(run_, path_, line, what, args);
}

bool DlfStream::read_line(std::string &line) {
  for (;;) {
    size_t end = buffer_.find('\n', taken_);
    if (end != std::string::npos || (at_end_ && taken_ < buffer_.size())) {
      if (end == std::string::npos) end = buffer_.size();
      line.assign(buffer_, taken_, end - taken_);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      taken_ = end + 1;
      return true;
    }
    if (at_end_) return false;
    if (buffer_.size() - taken_ > MAX_LINE) {
      error(line_number_ + 1 + (has_ahead_ ? 1 : 0),
            ImageMessage::LineTooLong, {grouped(MAX_LINE)});
      at_end_ = true;
      buffer_.clear();
      taken_ = 0;
      return false;
    }
    buffer_.erase(0, taken_);
    taken_ = 0;
    size_t kept = buffer_.size();
    buffer_.resize(kept + CHUNK);
    int64_t n = file_.read_at(file_offset_, buffer_.data() + kept, CHUNK);
    if (n < 0) {
      error(line_number_ + 1, ImageMessage::CannotReadDlfFurther, {error_text(file_.error())});
      n = 0;
      kept = 0;
    }
    buffer_.resize(kept + static_cast<size_t>(n));
    file_offset_ += static_cast<uint64_t>(n);
    at_end_ = n == 0;
  }
}

bool DlfStream::advance() {
  if (has_ahead_) {
    line_.swap(ahead_);
    has_ahead_ = false;
  } else if (!read_line(line_)) {
    return false;
  }
  ++line_number_;
  return true;
}

bool DlfStream::open(DlfHeader &header) {
  // Only a regular file: a device or FIFO would never end.
  if (!file_.open(path_)) {
    ++errors_;
    image_error(run_, ImageMessage::CannotReadDlf, {path_, open_problem(run_, file_.error())});
    return false;
  }
  bool read = advance();
  if (read && line_.starts_with("\xEF\xBB\xBF")) line_.erase(0, 3);  // a byte-order mark an editor added
  if (!read && errors_ > 0) return false;  // reported by read_line
  const std::optional<TargetMode> mode = read ? parse_dlf_version_line(line_) : std::nullopt;
  if (!mode) {
    error(1, line_number_ == 0 ? ImageMessage::DlfEmpty : ImageMessage::NotDlf);
    return false;
  }
  header.zem = mode == TargetMode::ZEM;
  if (header.zem) {
    const std::optional<std::string_view> config =
        advance() ? parse_dlf_config_line(line_) : std::nullopt;
    if (!config) {
      error(2, ImageMessage::NoConfigLine);
    } else {
      header.config_path.assign(*config);
      header.config_line = 2;
    }
  }
  return true;
}

bool DlfStream::next(DlfItem &item) {
  while (run_.error_count < IMAGE_ERROR_LIMIT && advance()) {
    // The last line is the closing line: look one line ahead to know.
    has_ahead_ = read_line(ahead_);
    bool last = !has_ahead_;
    uint64_t offset = 0;
    if (const auto problem = parse_dlf_item_line(line_, offset, item.host_path)) {
      error(line_number_, ITEM_PROBLEMS[static_cast<size_t>(*problem)]);
      if (last) break;
      continue;
    }
    if (offset < previous_)
      error(line_number_, ImageMessage::OffsetBelow, {hex_offset(offset), hex_offset(previous_)});
    previous_ = std::max(previous_, offset);
    if (last) {
      if (!item.host_path.empty())
        error(line_number_, ImageMessage::NoClosingName);
      closing_offset_ = offset;
      closing_line_ = line_number_;
      break;
    }
    if (item.host_path.empty()) continue;  // a gap marker: nothing to place
    if (first_item_ && offset != 0) error(line_number_, ImageMessage::FirstNotSystem);
    first_item_ = false;
    item.offset = offset;
    item.line = line_number_;
    return true;
  }
  if (closing_line_ == 0 && errors_ == 0) error(line_number_, ImageMessage::EndsBeforeClosing);
  if (first_item_ && errors_ == 0) error(line_number_, ImageMessage::NoSystemFile);
  return false;
}

bool read_dlf(ImageRun &run, const std::string &path, DlfLayout &layout) {
  DlfStream stream(run, path);
  if (!stream.open(layout.header)) return false;
  DlfItem item;
  while (stream.next(item)) layout.items.push_back(item);
  layout.closing_offset = stream.closing_offset();
  layout.closing_line = stream.closing_line();
  return stream.good();
}

std::string item_host_path(const std::string &directory, const std::string &host_path) {
  if (directory.empty() || is_rooted_host_path(host_path)) return host_path;
  // A folder that ends in a separator (or a drive) takes the path as it is.
  return host_name_start(directory) == directory.size() ? directory + host_path
                                                         : join_host_path(directory, host_path);
}

}  // namespace qorv
