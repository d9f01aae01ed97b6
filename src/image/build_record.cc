#include "image/build_record.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "disc/dlf_format.h"
#include "disc/hex_digits.h"
#include "host/host_path.h"
#include "host/line_reader.h"
#include "image/image_report.h"

namespace qorv {

namespace {
// A record's lines hold a name and a few numbers.
constexpr size_t MAX_LINE = 4096;
constexpr std::string_view HEADER = "QorvImage build record ";

// Names are written with every byte that could split a field or a line
// (blanks, controls, '%', DEL) as %XX.
std::string escaped(std::string_view name) {
  std::string out;
  for (unsigned char c : name) {
    if (c <= ' ' || c == '%' || c == 0x7F) {
      out += '%';
      append_hex(out, c, 2, HexCase::Upper);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool unescaped(std::string_view text, std::string &name) {
  name.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      name += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size() ||
        std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr != text.data() + i + 3)
      return false;
    name += static_cast<char>(value);
    i += 2;
  }
  return true;
}

// The blank-separated fields of a line, read one by one.
class Fields {
public:
  explicit Fields(std::string_view line) : rest_(line) {}
  std::string_view word() {
    size_t blank = rest_.find(' ');
    std::string_view w = rest_.substr(0, blank);
    rest_ = blank == std::string_view::npos ? std::string_view() : rest_.substr(blank + 1);
    return w;
  }
  template <typename T> bool number(T &value) {
    std::string_view w = word();
    bool hex = w.starts_with("0x");
    if (hex) w.remove_prefix(2);
    auto [end, error] = std::from_chars(w.data(), w.data() + w.size(), value, hex ? 16 : 10);
    return !w.empty() && error == std::errc() && end == w.data() + w.size();
  }
  bool identity(FileIdentity &id) {
    return number(id.device) && number(id.inode) && number(id.size) && number(id.modified_ns) &&
           number(id.changed_ns);
  }
  bool done() const { return rest_.empty(); }

private:
  std::string_view rest_;
};

void put_identity(std::string &out, const FileIdentity &id) {
  out += ' ' + std::to_string(id.device) + ' ' + std::to_string(id.inode) + ' ' + std::to_string(id.size) + ' ' +
         std::to_string(id.modified_ns) + ' ' + std::to_string(id.changed_ns);
}

}  // namespace

std::string build_record_path(const std::string &image_end_path) { return image_end_path + BUILD_RECORD_SUFFIX; }

std::string file_name_of(const std::string &path) { return path.substr(host_name_start(path)); }

RecordState read_build_record(const std::string &path, BuildRecord &record, RecordProblem &problem) {
  LineReader reader(MAX_LINE);
  if (!reader.open(path)) return RecordState::Missing;
  std::string line;
  if (!reader.read_line(line)) {
    if (reader.failed() || reader.line_too_long()) {
      problem = {ImageMessage::RecordNotRecord, {}};
      return RecordState::Damaged;
    }
    return RecordState::Missing;  // empty: a lock file that no build has filled
  }
  if (!line.starts_with(HEADER)) {
    problem = {ImageMessage::RecordNotRecord, {}};
    return RecordState::Damaged;
  }
  int version = 0;
  if (!Fields(std::string_view(line).substr(HEADER.size())).number(version) || version != BUILD_RECORD_VERSION) {
    problem = {ImageMessage::RecordOtherVersion, line.substr(HEADER.size(), 20)};
    return RecordState::OtherVersion;
  }
  auto damaged = [&](ImageMessage why) {
    problem = {why, {}};
    return RecordState::Damaged;
  };
  // The fixed lines, in their order.
  if (!reader.read_line(line) || (line != "state complete" && line != "state updating"))
    return damaged(ImageMessage::RecordNoState);
  record.updating = line == "state updating";
  if (!reader.read_line(line) || !line.starts_with("image ") ||
      !unescaped(std::string_view(line).substr(6), record.image_name))
    return damaged(ImageMessage::RecordNoImageLine);
  if (record.updating) return RecordState::Read;  // nothing more was written
  {
    if (!reader.read_line(line)) return damaged(ImageMessage::RecordCutShort);
    Fields f(line);
    if (f.word() != "image-identity" || !f.identity(record.image) || !f.done())
      return damaged(ImageMessage::RecordImageIdentityDamaged);
  }
  {
    if (!reader.read_line(line)) return damaged(ImageMessage::RecordCutShort);
    Fields f(line);
    std::string_view key = f.word();
    const std::optional<TargetMode> mode = parse_dlf_version_line(f.word());
    if (key != "layout" || !mode || !f.number(record.closing_offset) || !f.number(record.image_size) || !f.done())
      return damaged(ImageMessage::RecordLayoutDamaged);
    record.zem = mode == TargetMode::ZEM;
  }
  {
    if (!reader.read_line(line)) return damaged(ImageMessage::RecordCutShort);
    Fields f(line);
    if (f.word() != "config") return damaged(ImageMessage::RecordConfigDamaged);
    record.has_config = line != "config none";
    if (record.has_config && (!f.identity(record.config) || !f.done())) return damaged(ImageMessage::RecordConfigDamaged);
  }
  uint64_t count = 0, reached = 0;
  while (reader.read_line(line)) {
    Fields f(line);
    std::string_view key = f.word();
    if (key == "end") {
      if (!f.number(count) || !f.done() || count != record.items.size())
        return damaged(ImageMessage::RecordEndMiscounts);
      if (reader.read_line(line) || reader.line_too_long() || reader.failed())
        return damaged(ImageMessage::RecordPastEnd);
      return RecordState::Read;
    }
    RecordItem item;
    if (key != "item" || !f.number(item.offset) || !f.identity(item.source) || !f.done())
      return damaged(ImageMessage::RecordItemDamaged);
    // Items lie in ascending order, each after the one before, within the image.
    if (item.offset > record.image_size || item.source.size > record.image_size - item.offset ||
        item.offset < reached)
      return damaged(ImageMessage::RecordItemsDoNotFit);
    reached = item.offset + item.source.size;
    record.items.push_back(item);
  }
  return damaged(ImageMessage::RecordCutShort);
}

bool write_build_record(ReplacementFile &file, const BuildRecord &record) {
  std::string out = std::string(HEADER) + std::to_string(BUILD_RECORD_VERSION) + "\n";
  out += record.updating ? "state updating\n" : "state complete\n";
  out += "image " + escaped(record.image_name) + "\n";
  if (!record.updating) {
    out += "image-identity";
    put_identity(out, record.image);
    out += "\nlayout " + std::string(record.zem ? DLF_ZEM_VERSION : DLF_HT_VERSION) + " " +
           hex_offset(record.closing_offset) + " " +
           std::to_string(record.image_size) + "\nconfig";
    if (record.has_config) put_identity(out, record.config);
    else out += " none";
    out += "\n";
    // Written in pieces: a record of 200,000 items is some 15 MB.
    for (const RecordItem &item : record.items) {
      out += "item " + hex_offset(item.offset);
      put_identity(out, item.source);
      out += "\n";
      if (out.size() >= (1u << 16)) {
        if (!file.write(out.data(), out.size())) return false;
        out.clear();
      }
    }
    out += "end " + std::to_string(record.items.size()) + "\n";
  }
  return file.write(out.data(), out.size());
}

}  // namespace qorv
