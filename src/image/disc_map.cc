#include "image/disc_map.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "host/disc_file.h"
#include "image/fst_reader.h"
#include "image/image_report.h"
#include "image/item_check.h"
#include "image/shown_text.h"
#include "image/system_area_reader.h"

namespace qorv {

namespace {
// The FST's files by their disc offset (each copy of a copied file too).
std::vector<MapPlace> fst_places(const FstTable &table) {
  std::vector<MapPlace> places;
  for (uint32_t i = 0; i < table.entries.size(); ++i) {
    const FstEntry &entry = table.entries[i];
    if (entry.is_directory()) continue;
    if (!entry.is_copied()) places.push_back({entry.offset, i, 0});
    for (uint32_t copy = 0; copy < entry.copy_count; ++copy) places.push_back({table.copy(entry, copy), i, copy});
  }
  std::stable_sort(places.begin(), places.end(), [](const MapPlace &a, const MapPlace &b) { return a.offset < b.offset; });
  return places;
}

// For each entry, the entry right below the root that holds it (itself for
// the root's own entries). Parents come before their entries.
std::vector<uint32_t> top_level_entries(const FstTable &table) {
  std::vector<uint32_t> top(table.entries.size(), 0);
  for (uint32_t i = 1; i < table.entries.size(); ++i) {
    uint32_t parent = table.entries[i].parent;
    top[i] = parent == 0 ? i : top[parent];
  }
  return top;
}

bool read_system_file(ImageRun &run, const std::string &path, SystemArea &area, FstTable &table) {
  DiscFileReader file;
  if (!file.open(path)) {
    image_error(run, ImageMessage::CannotReadSystemFile, {path, open_problem(run, file.error())});
    return false;
  }
  return read_system_area(run, file, path, area) && read_fst(run, file, path, area, table);
}

// (a * b) / c without overflow.
uint64_t scaled(uint64_t a, uint64_t b, uint64_t c) {
  __extension__ typedef unsigned __int128 Wide;
  return static_cast<uint64_t>(Wide{a} * b / c);
}
}  // namespace

std::string item_disc_path(const DiscMap &map, const MapItem &item) {
  if (!item.in_fst) return "";
  const FstEntry &entry = map.table.entries[item.place.index];
  std::string path = fst_path(map.table, item.place.index);
  if (entry.is_twin()) return path + " (mirror twin)";
  if (entry.is_copied() && item.place.copy > 0) return path + " (copy " + std::to_string(item.place.copy) + ")";
  return path;
}

bool make_disc_map(ImageRun &run, DiscMap &map, const std::vector<OutputFile> &outputs) {
  const std::string &dlf = run.options.dlf_path;
  CheckedDlf checked;
  if (!check_dlf(run, dlf, outputs, {.keep_paths = true, .open_items = false}, checked)) return false;
  const std::vector<CheckedItem> &items = checked.items;
  SystemArea area;
  if (!read_system_file(run, checked.paths.front(), area, map.table)) return false;
  map.mode = area.mode;
  map.system_path = checked.paths.front();
  map.system_end = items.front().end();
  map.user_start = area.user_area_start;
  map.user_end = area.user_area_start + area.user_area_length;
  map.closing = checked.closing_offset;

  // Items are grouped by the top-level folder of their entry: its index
  // finds the group at once, so that a disc of many folders maps in linear
  // time.
  const std::vector<MapPlace> places = fst_places(map.table);
  const std::vector<uint32_t> top = top_level_entries(map.table);
  constexpr uint32_t NOT_IN_FST = UINT32_MAX;  // the root (0) stands for the files at the root
  std::unordered_map<uint32_t, size_t> group_of;
  map.items.reserve(items.size() - 1);
  map.groups.reserve(std::min<size_t>(items.size(), map.table.entries.size()));  // untouched until used
  for (size_t i = 1; i < items.size(); ++i) {
    MapItem item{items[i].offset, items[i].size, std::move(checked.paths[i]), false, {}, 0};
    auto at = std::lower_bound(places.begin(), places.end(), item.offset,
                               [](const MapPlace &place, uint64_t o) { return place.offset < o; });
    if (at != places.end() && at->offset == item.offset) {
      item.in_fst = true;
      item.place = *at;
    }
    uint32_t key = !item.in_fst ? NOT_IN_FST : map.table.entries[top[item.place.index]].is_directory() ? top[item.place.index] : 0;
    auto [found, added] = group_of.try_emplace(key, map.groups.size());
    if (added) {
      std::string name = key == NOT_IN_FST ? "(not in the FST)"
                         : key == 0        ? "(root files)"
                                           : std::string(map.table.name(map.table.entries[key])) + "/";
      map.groups.push_back({std::move(name)});
    }
    item.group = found->second;
    MapGroup &g = map.groups[item.group];
    g.bytes += item.size;
    g.files += 1;
    g.start = std::min(g.start, item.offset);
    g.end = std::max(g.end, item.offset + item.size);
    map.used += item.size;
    map.items.push_back(std::move(item));
  }
  // Free stretches: what no item covers between the user area's bounds.
  uint64_t at = map.user_start;
  for (const MapItem &item : map.items) {
    if (item.offset > at && item.offset <= map.user_end) map.free.push_back({at, item.offset});
    at = std::max(at, item.offset + item.size);
  }
  if (at < map.user_end) map.free.push_back({at, map.user_end});
  return true;
}

std::string map_text(const DiscMap &map, uint32_t columns) {
  std::string out;
  char line[256];
  auto percent = [](uint64_t part, uint64_t whole) { return whole ? 100.0 * double(part) / double(whole) : 0.0; };
  uint64_t user = map.user_end > map.user_start ? map.user_end - map.user_start : 0;
  std::snprintf(line, sizeof line, "%s disc, closing offset %s\n", map.mode == TargetMode::ZEM ? "ZEM" : "HT",
                hex_offset(map.closing).c_str());
  out += line;
  out += "system area  " + hex_offset(0) + " - " + hex_offset(map.system_end) + "  " + grouped(map.system_end) + " bytes\n";
  out += "user area    " + hex_offset(map.user_start) + " - " + hex_offset(map.user_end) + "  " + grouped(user) + " bytes\n";
  uint64_t free_bytes = 0;
  for (const FreeStretch &f : map.free) free_bytes += f.end - f.start;
  std::snprintf(line, sizeof line, "used         %s bytes (%.1f %%) in %s items\n", grouped(map.used).c_str(),
                percent(map.used, user), grouped(map.items.size()).c_str());
  out += line;
  std::snprintf(line, sizeof line, "free         %s bytes (%.1f %%) in %s stretches", grouped(free_bytes).c_str(),
                percent(free_bytes, user), grouped(map.free.size()).c_str());
  out += line;
  std::vector<FreeStretch> largest = map.free;
  std::stable_sort(largest.begin(), largest.end(),
                   [](const FreeStretch &a, const FreeStretch &b) { return a.end - a.start > b.end - b.start; });
  if (largest.size() > 10) largest.resize(10);
  out += largest.empty() ? "\n" : "; the largest:\n";
  for (const FreeStretch &f : largest)
    out += "  " + hex_offset(f.start) + " - " + hex_offset(f.end) + "  " + grouped(f.end - f.start) + " bytes\n";

  // The bar: each column a stretch of the disc from 0 to the user area's end,
  // marked by how much of it the system area and the items cover.
  uint64_t disc = std::max({map.user_end, map.closing, map.system_end, uint64_t{1}});
  std::vector<uint64_t> covered(columns, 0);
  auto column_start = [&](uint64_t c) { return scaled(disc, c, columns); };
  auto cover = [&](uint64_t begin, uint64_t end) {
    for (uint64_t c = scaled(std::min(begin, disc), columns, disc); c < columns && column_start(c) < end; ++c) {
      uint64_t lo = std::max(begin, column_start(c)), hi = std::min(end, column_start(c + 1));
      if (hi > lo) covered[c] += hi - lo;
    }
  };
  cover(0, map.system_end);
  for (const MapItem &item : map.items) cover(item.offset, item.offset + item.size);
  std::string bar;
  for (uint32_t c = 0; c < columns; ++c) {
    uint64_t width = column_start(uint64_t{c} + 1) - column_start(c);
    double full = width ? double(covered[c]) / double(width) : 0;
    bar += full == 0 ? ' ' : full <= 0.25 ? '.' : full <= 0.5 ? ':' : full <= 0.75 ? '+' : '#';
  }
  out += "fullness of " + hex_offset(0) + " - " + hex_offset(disc) + " in " + std::to_string(columns) +
         " columns of " + binary_size(double(disc) / columns) + " (' ' empty, '.' to 25 %, ':' to 50 %, '+' to 75 %, '#' more):\n";
  out += "|" + bar + "|\n";
  out += "top-level folders:\n";
  for (const MapGroup &g : map.groups) {
    // The name is not cut: a folder's name may be long.
    std::string name = terminal_text(g.name, map.table.encoding);
    if (name.size() < 20) name.resize(20, ' ');
    std::snprintf(line, sizeof line, " %14s bytes %8s files  ", grouped(g.bytes).c_str(), grouped(g.files).c_str());
    out += "  " + name + line + hex_offset(g.start) + " - " + hex_offset(g.end) + "\n";
  }
  return out;
}

int map_disc(ImageRun &run) {
  DiscMap map;
  if (run.options.svg_path.empty()) {
    if (!make_disc_map(run, map)) return IMAGE_FAILED;
    print_output(run, map_text(map, run.options.width));
    return IMAGE_OK;
  }
  // The picture may go to a terminal or /dev/null, but never replaces one
  // of the files the DLF names.
  const OutputFile svg = output_file(run.options.svg_path, ImageMessage::TheMap, DeviceUse::Allowed);
  check_output_place(run, svg);
  if (!make_disc_map(run, map, {svg}) || run.error_count != 0) return IMAGE_FAILED;
  if (!write_output(run, svg, map_svg(map, run.options.dlf_path))) return IMAGE_FAILED;
  image_note(run, ImageMessage::Wrote, {run.options.svg_path, grouped(map.items.size())});
  return IMAGE_OK;
}

}  // namespace qorv
