#include "image/disc_map.h"

#include <algorithm>
#include <cstdio>

#include "host/disc_file.h"
#include "host/host_file.h"
#include "image/fst_reader.h"
#include "image/image_report.h"
#include "image/item_check.h"
#include "image/system_area_reader.h"

namespace qorv {

namespace {
// The FST's files by their disc offset (each copy of a copied file too).
std::vector<std::pair<uint64_t, std::string>> fst_places(const FstTable &table) {
  std::vector<std::pair<uint64_t, std::string>> places;
  for_each_fst_path(table, [&](uint32_t, const FstEntry &entry, const std::string &path) {
    if (entry.directory) return;
    if (entry.copies.empty())
      places.emplace_back(entry.offset, entry.replica == ReplicaKind::MirrorTwin ? path + " (mirror twin)" : path);
    for (size_t copy = 0; copy < entry.copies.size(); ++copy)
      places.emplace_back(entry.copies[copy], copy == 0 ? path : path + " (copy " + std::to_string(copy) + ")");
  });
  std::stable_sort(places.begin(), places.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  return places;
}

std::string top_level(const std::string &disc_path) {
  if (disc_path.empty()) return "(not in the FST)";
  size_t slash = disc_path.find('/', 1);
  return slash == std::string::npos ? "(root files)" : disc_path.substr(1, slash);
}

bool read_system_file(ImageRun &run, const std::string &path, SystemArea &area, FstTable &table) {
  DiscFileReader file;
  if (!file.open(path)) {
    image_error(run, "cannot read the system file " + path + ": " + open_problem(file.error()));
    return false;
  }
  return read_system_area(run, file, path, area) && read_fst(run, file, path, area, table);
}
}  // namespace

bool make_disc_map(ImageRun &run, DiscMap &map) {
  const std::string &dlf = run.options.dlf_path;
  CheckedDlf checked;
  if (!check_dlf(run, dlf, {}, true, checked)) return false;
  const std::vector<CheckedItem> &items = checked.items;
  SystemArea area;
  FstTable table;
  if (!read_system_file(run, checked.paths.front(), area, table)) return false;
  map.zem = area.zem;
  map.system_path = checked.paths.front();
  map.system_end = items.front().end();
  map.user_start = area.user_area_start;
  map.user_end = area.user_area_start + area.user_area_length;
  map.closing = checked.closing_offset;

  auto places = fst_places(table);
  for (size_t i = 1; i < items.size(); ++i) {
    MapItem item{items[i].offset, items[i].size, checked.paths[i], "", 0};
    auto at = std::lower_bound(places.begin(), places.end(), item.offset,
                               [](const auto &place, uint64_t o) { return place.first < o; });
    if (at != places.end() && at->first == item.offset) item.disc_path = at->second;
    std::string group = top_level(item.disc_path);
    auto found = std::find_if(map.groups.begin(), map.groups.end(), [&](const MapGroup &g) { return g.name == group; });
    item.group = static_cast<size_t>(found - map.groups.begin());
    if (found == map.groups.end()) map.groups.push_back({group});
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
  std::snprintf(line, sizeof line, "%s disc, closing offset %s\n", map.zem ? "ZEM" : "HT", hex_offset(map.closing).c_str());
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
  auto cover = [&](uint64_t begin, uint64_t end) {
    for (uint64_t c = begin * columns / disc; c < columns && c * disc / columns < end; ++c) {
      uint64_t lo = std::max(begin, c * disc / columns), hi = std::min(end, (c + 1) * disc / columns);
      if (hi > lo) covered[c] += hi - lo;
    }
  };
  cover(0, map.system_end);
  for (const MapItem &item : map.items) cover(item.offset, item.offset + item.size);
  std::string bar;
  for (uint32_t c = 0; c < columns; ++c) {
    uint64_t width = (uint64_t(c) + 1) * disc / columns - uint64_t(c) * disc / columns;
    double full = width ? double(covered[c]) / double(width) : 0;
    bar += full == 0 ? ' ' : full <= 0.25 ? '.' : full <= 0.5 ? ':' : full <= 0.75 ? '+' : '#';
  }
  out += "fullness of " + hex_offset(0) + " - " + hex_offset(disc) + " in " + std::to_string(columns) +
         " columns of " + binary_size(double(disc) / columns) + " (' ' empty, '.' to 25 %, ':' to 50 %, '+' to 75 %, '#' more):\n";
  out += "|" + bar + "|\n";
  out += "top-level folders:\n";
  for (const MapGroup &g : map.groups) {
    std::snprintf(line, sizeof line, "  %-20s %14s bytes %8s files  ", g.name.c_str(), grouped(g.bytes).c_str(),
                  grouped(g.files).c_str());
    out += line + hex_offset(g.start) + " - " + hex_offset(g.end) + "\n";
  }
  return out;
}

int map_disc(ImageRun &run) {
  DiscMap map;
  if (!make_disc_map(run, map)) return IMAGE_FAILED;
  if (run.options.svg_path.empty()) {
    image_output(run, map_text(map, run.options.width));
    return IMAGE_OK;
  }
  // The picture must not replace one of the files it shows.
  DiscFileStatus target = disc_file_status(run.options.svg_path);
  bool input = false;
  if (target.kind != DiscFileKind::Missing) {
    input = target.same_file(disc_file_status(run.options.dlf_path)) ||
            target.same_file(disc_file_status(map.system_path));
    for (const MapItem &item : map.items) input = input || target.same_file(disc_file_status(item.host_path));
  }
  if (input) {
    image_error(run, "cannot write " + run.options.svg_path + ": it is the DLF or one of its files");
    return IMAGE_FAILED;
  }
  std::string text = map_svg(map, run.options.dlf_path);
  HostFile svg;
  if (!svg.open(run.options.svg_path, FileAccess::Write) ||
      !svg.write(text.data(), static_cast<uint32_t>(text.size())) || !svg.close()) {
    image_error(run, "cannot write " + run.options.svg_path);
    return IMAGE_FAILED;
  }
  image_note(run, "Wrote " + run.options.svg_path + ": " + grouped(map.items.size()) + " items");
  return IMAGE_OK;
}

}  // namespace qorv
