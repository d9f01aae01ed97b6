#include "image/image_lister.h"

#include <cerrno>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "image/image_report.h"
#include "image/shown_text.h"

namespace qorv {

void for_each_list_row(const SystemArea &area, const FstTable &table,
                       const std::function<void(const ListRow &)> &visit) {
  auto system = [&](const char *name, uint64_t offset, uint64_t size) {
    ListRow row;
    row.path = name;
    row.kind = "system";
    row.offset = offset;
    row.size = size;
    visit(row);
  };
  system("header", 0, DISC_HEADER_SIZE);
  system("BI2", BI2_BLOCK_OFFSET, BI2_BLOCK_SIZE);
  system("loader", LDR_POSITION, area.loader_size);
  system("boot file", area.boot_position,
         area.fst_position > area.boot_position ? area.fst_position - area.boot_position : 0);
  system("FST", area.fst_position, area.fst_size);
  for_each_fst_path(table, [&](uint32_t index, const FstEntry &entry, const std::string &path) {
    ListRow row;
    row.path = path;
    row.index = index;
    if (entry.is_directory()) {
      row.kind = "directory";
      row.has_offset = false;
      row.first = index + 1;
      row.end = entry.next;
      visit(row);
      return;
    }
    row.kind = "file";
    row.size = entry.size;
    row.offset = entry.offset;
    if (!entry.is_copied()) {
      row.replica = replica_name(entry);
      visit(row);
      return;
    }
    for (uint32_t copy = 0; copy < entry.copy_count; ++copy) {
      row.replica = "copy";
      row.copy = static_cast<int64_t>(copy);
      row.offset = table.copy(entry, copy);
      visit(row);
    }
  });
}

namespace {
std::string text_line(const ListRow &row, int width, bool long_form, NameEncoding encoding) {
  std::string offset = row.has_offset ? hex_offset(row.offset, width) : "-";
  char head[96];
  std::snprintf(head, sizeof head, "%-*s %12s  ", width + 2, offset.c_str(),
                row.kind == "directory" ? "-" : std::to_string(row.size).c_str());
  std::string line = head;
  if (long_form) {
    char index[48];
    if (row.index < 0)
      std::snprintf(index, sizeof index, "%8s %-17s ", "", "");
    else if (row.kind == "directory")
      std::snprintf(index, sizeof index, "%8lld %-17s ", static_cast<long long>(row.index),
                    row.end > row.first ? ("holds " + std::to_string(row.first) + "-" + std::to_string(row.end - 1)).c_str()
                                        : "holds none");
    else
      std::snprintf(index, sizeof index, "%8lld %-17s ", static_cast<long long>(row.index), "");
    line += index;
  }
  // A name may hold any bytes: a line feed would forge a row, an escape
  // sequence drive the terminal.
  line += row.kind == "system" ? "[" + row.path + "]" : terminal_text(row.path, encoding);
  if (!row.replica.empty())
    line += row.copy >= 0 ? "  (copy " + std::to_string(row.copy) + ")" : "  (" + row.replica + ")";
  return line + "\n";
}

nlohmann::json json_row(const ListRow &row, NameEncoding encoding) {
  nlohmann::json j;
  // Disc names are bytes: what does not decode is replaced rather than refused.
  j["path"] = utf8_text(row.path, encoding);
  j["kind"] = row.kind;
  if (row.has_offset) j["offset"] = row.offset;
  if (row.kind != "directory") j["size"] = row.size;
  if (row.index >= 0) j["index"] = row.index;
  if (row.kind == "directory")
    j["entries"] = row.end > row.first ? nlohmann::json{row.first, row.end - 1} : nlohmann::json::array();
  if (!row.replica.empty()) j["replica"] = row.replica;
  if (row.copy >= 0) j["copy"] = row.copy;
  return j;
}
}  // namespace

int list_image(ImageRun &run) {
  const std::string &name = run.options.image_path;
  DiscFileReader file;
  if (!file.open(name)) {
    image_error(run, ImageMessage::CannotRead, {name, open_problem(run, file.error())});
    return IMAGE_FAILED;
  }
  SystemArea area;
  FstTable table;
  if (!read_system_area(run, file, name, area) || !read_fst(run, file, name, area, table)) return IMAGE_FAILED;
  // Written in pieces of about 64 KiB as the rows come.
  std::string text = run.options.json ? "[" : "";
  bool first = true;
  int width = area.mode == TargetMode::ZEM ? 16 : 8;
  for_each_list_row(area, table, [&](const ListRow &row) {
    if (run.output_error != 0) return;  // the rest would be lost too
    if (run.options.json) {
      text += first ? "\n " : ",\n ";
      text += json_row(row, table.encoding).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    } else {
      text += text_line(row, width, run.options.long_form, table.encoding);
    }
    first = false;
    if (text.size() > (1u << 16)) {
      print_output(run, text);
      text.clear();
    }
  });
  if (run.options.json) text += "\n]\n";
  print_output(run, text);
  return IMAGE_OK;
}

}  // namespace qorv
