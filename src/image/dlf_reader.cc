#include "image/dlf_reader.h"

#include <string_view>

#include "host/disc_file.h"
#include "image/image_report.h"

namespace qorv {

namespace {
// DLFs hold one line per file: far below this. A larger file is no DLF (a
// disc image given in its place), and is not read into memory.
constexpr uint64_t MAX_DLF_SIZE = 1ull << 30;

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "0x<hex>,\"<name>\"": the name runs to the last quote, which ends the line.
// Returns an empty text on success, else what is wrong.
std::string parse_item(std::string_view line, uint64_t &offset, std::string &name) {
  if (line.size() < 2 || line[0] != '0' || line[1] != 'x')
    return "an item line must start with 0x";
  size_t i = 2;
  offset = 0;
  for (; i < line.size() && hex_digit(line[i]) >= 0; ++i) {
    if (offset >> 60) return "the offset does not fit 64 bits";
    offset = offset << 4 | static_cast<uint64_t>(hex_digit(line[i]));
  }
  if (i == 2) return "the offset has no hexadecimal digits";
  if (i + 1 >= line.size() || line[i] != ',' || line[i + 1] != '"')
    return "the offset must be followed by a comma and a quoted name";
  size_t last = line.rfind('"');
  if (last <= i + 1 || last != line.size() - 1) return "the name must end with a quote at the end of the line";
  name.assign(line.substr(i + 2, last - i - 2));
  if (name.find('\0') != std::string::npos) return "the name holds a zero byte";
  return {};
}

bool read_text(ImageRun &run, const std::string &path, std::string &text) {
  DiscFileReader file;
  if (!file.open(path)) {
    image_error(run, "cannot read the DLF " + path + ": " + error_text(file.error()));
    return false;
  }
  if (file.status().size > MAX_DLF_SIZE) {
    image_error(run, path + " is no DLF: it is larger than 1 GiB");
    return false;
  }
  text.resize(file.status().size);
  int64_t n = file.read_at(0, text.data(), text.size());
  if (n < 0) {
    image_error(run, "cannot read the DLF " + path + ": " + error_text(file.error()));
    return false;
  }
  text.resize(static_cast<size_t>(n));
  return true;
}

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return lines;
}
}  // namespace

bool read_dlf(ImageRun &run, const std::string &path, DlfLayout &layout) {
  std::string text;
  if (!read_text(run, path, text)) return false;
  std::vector<std::string_view> lines = split_lines(text);
  int32_t errors_before = run.error_count;
  auto error = [&](size_t index, std::string_view what) {
    image_error_at(run, path, static_cast<int32_t>(index + 1), what);
  };

  if (lines.empty() || (lines[0] != "v2.00" && lines[0] != "v1.00")) {
    error(0, lines.empty() ? "the file is empty; a DLF starts with v1.00 or v2.00"
                           : "not a DLF: the first line must be v1.00 or v2.00");
    return false;
  }
  layout.zem = lines[0] == "v2.00";
  size_t first_item = 1;
  if (layout.zem) {
    constexpr std::string_view key = "ZEM_CONFIG_FILE,\"";
    std::string_view line = lines.size() > 1 ? lines[1] : std::string_view();
    if (!line.starts_with(key) || line.size() <= key.size() || line.back() != '"') {
      error(1, "a v2.00 DLF must name its configuration file on line 2: ZEM_CONFIG_FILE,\"<file>\"");
    } else {
      layout.config_path.assign(line.substr(key.size(), line.size() - key.size() - 1));
      layout.config_line = 2;
    }
    first_item = 2;
  }
  if (lines.size() <= first_item + 1) {
    error(lines.size() - 1, "the DLF ends before its system file and closing lines");
    return false;
  }

  uint64_t previous = 0;
  for (size_t i = first_item; i < lines.size(); ++i) {
    uint64_t offset = 0;
    std::string name;
    std::string problem = parse_item(lines[i], offset, name);
    if (!problem.empty()) {
      error(i, problem);
      continue;
    }
    if (offset < previous)
      error(i, "offset " + hex_offset(offset) + " is below the one before it (" + hex_offset(previous) + ")");
    previous = std::max(previous, offset);
    bool last = i + 1 == lines.size();
    if (last) {
      if (!name.empty()) error(i, "the DLF ends without its closing line (an empty name): it may be cut short");
      layout.closing_offset = offset;
      layout.closing_line = static_cast<int32_t>(i + 1);
    } else if (!name.empty()) {  // an empty name is a gap marker: nothing to place
      layout.items.push_back({offset, std::move(name), static_cast<int32_t>(i + 1)});
    }
  }
  if (run.error_count == errors_before &&
      (layout.items.empty() || layout.items.front().offset != 0))
    error(first_item, "the first item must be the system file at offset 0");
  return run.error_count == errors_before;
}

std::string item_host_path(const std::string &directory, const std::string &host_path) {
  if (directory.empty() || host_path.starts_with('/')) return host_path;
  return directory.ends_with('/') ? directory + host_path : directory + "/" + host_path;
}

}  // namespace qorv
