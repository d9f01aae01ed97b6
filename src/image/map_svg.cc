// The disc map as an SVG picture: a band from offset 0 to the closing offset,
// the system area and every item as a rectangle at its offset and width,
// coloured by top-level folder, free stretches blank, ticks in MiB. Items too
// narrow to see are merged into runs whose title counts them.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "image/disc_map.h"
#include "image/image_report.h"
#include "image/shown_text.h"

namespace qorv {

namespace {
constexpr double LEFT = 20, BAND_WIDTH = 1160, BAND_TOP = 40, BAND_HEIGHT = 60;
constexpr const char *COLOURS[] = {"#4e79a7", "#f28e2b", "#59a14f", "#e15759", "#76b7b2", "#edc948",
                                   "#b07aa1", "#ff9da7", "#9c755f", "#bab0ac"};
constexpr size_t COLOUR_COUNT = sizeof COLOURS / sizeof COLOURS[0];
// The legend names the folders in disc order up to this many; one line counts
// the rest (a disc of 200,000 top-level folders would otherwise draw a
// picture four million pixels tall).
constexpr size_t LEGEND_LINES = 40;

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

struct Band {
  double scale;
  double x(uint64_t offset) const { return LEFT + static_cast<double>(offset) * scale; }
};

// `title` is XML text already.
std::string rect(double x, double width, const char *fill, const std::string &title) {
  return "<rect x=\"" + number(x) + "\" y=\"" + number(BAND_TOP) + "\" width=\"" + number(width) +
         "\" height=\"" + number(BAND_HEIGHT) + "\" fill=\"" + fill + "\"><title>" + title + "</title></rect>\n";
}

// A tick step of 1, 2 or 5 times a power of ten MiB, for about ten ticks.
double tick_step(double mib) {
  double step = std::pow(10.0, std::floor(std::log10(std::max(mib, 1e-6) / 10)));
  for (double factor : {1.0, 2.0, 5.0, 10.0})
    if (mib / (step * factor) <= 10) return step * factor;
  return step * 10;
}
}  // namespace

std::string map_svg(const DiscMap &map, const std::string &title) {
  uint64_t disc = std::max<uint64_t>(map.closing, 1);
  Band band{BAND_WIDTH / static_cast<double>(disc)};
  const size_t legend = std::min(map.groups.size(), LEGEND_LINES + 1);
  double height = BAND_TOP + BAND_HEIGHT + 40 + 20.0 * static_cast<double>(legend) + 20;
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(LEFT * 2 + BAND_WIDTH) +
                    "\" height=\"" + number(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  svg += "<text x=\"" + number(LEFT) + "\" y=\"20\">" + xml_text(title) + ": " + (map.mode == TargetMode::ZEM ? "ZEM" : "HT") +
         " disc, " + grouped(map.used) + " bytes in " + grouped(map.items.size()) + " items</text>\n";
  svg += "<rect x=\"" + number(LEFT) + "\" y=\"" + number(BAND_TOP) + "\" width=\"" + number(BAND_WIDTH) +
         "\" height=\"" + number(BAND_HEIGHT) + "\" fill=\"white\" stroke=\"#999\"/>\n";
  svg += rect(band.x(0), std::max(1.0, band.x(map.system_end) - band.x(0)), "#555",
              "system area (header, BI2, loader, boot file, FST): " + hex_offset(0) + " - " +
                  hex_offset(map.system_end) + ", " + grouped(map.system_end) + " bytes");

  // Items narrower than a pixel and less than half a pixel apart are drawn
  // as one run, at least a pixel wide: items of one folder however far the
  // run reaches; and, on a disc of more items than four a pixel, items of
  // several folders (grey) within one pixel, so that no pixel draws more
  // than a few rectangles.
  const bool crowded = static_cast<double>(map.items.size()) > 4 * BAND_WIDTH;
  for (size_t i = 0; i < map.items.size();) {
    const MapItem &first = map.items[i];
    size_t j = i + 1;
    uint64_t end = first.offset + first.size;
    bool mixed = false;
    if (band.x(end) - band.x(first.offset) < 1) {
      while (j < map.items.size()) {
        const MapItem &next = map.items[j];
        const uint64_t next_end = next.offset + next.size;
        const bool same = next.group == first.group && !mixed;
        if (band.x(next_end) - band.x(next.offset) >= 1 || band.x(next.offset) - band.x(end) >= 0.5 ||
            (!same && (!crowded || band.x(std::max(end, next_end)) - band.x(first.offset) >= 1)))
          break;
        mixed = mixed || !same;
        end = std::max(end, next_end);
        ++j;
      }
    }
    const char *fill = mixed ? "#888" : COLOURS[first.group % COLOUR_COUNT];
    std::string disc_path = item_disc_path(map, first);
    // Disc paths are in the disc's encoding, host paths in the host's.
    std::string name = disc_path.empty() ? xml_text(first.host_path)
                                         : xml_text(disc_path, map.table.encoding) + " (" + xml_text(first.host_path) + ")";
    std::string text = j == i + 1 ? name + ": " + hex_offset(first.offset) + ", " + grouped(first.size) + " bytes"
                                  : std::to_string(j - i) + " files" + (mixed ? " of several folders" : "") + " from " +
                                        name + " to " + xml_text(map.items[j - 1].host_path) + ": " +
                                        hex_offset(first.offset) + " - " + hex_offset(end);
    svg += rect(band.x(first.offset), std::max(1.0, band.x(end) - band.x(first.offset)), fill, text);
    i = j;
  }

  // Ticks in MiB under the band.
  double mib = static_cast<double>(disc) / (1 << 20), step = tick_step(mib);
  double tick_y = BAND_TOP + BAND_HEIGHT;
  for (int k = 0; k * step <= mib + 1e-9 && k <= 20; ++k) {
    double x = LEFT + k * step / mib * BAND_WIDTH;
    char label[32];
    std::snprintf(label, sizeof label, step < 1 ? "%.2g MiB" : "%.0f MiB", k * step);
    svg += "<line x1=\"" + number(x) + "\" y1=\"" + number(tick_y) + "\" x2=\"" + number(x) + "\" y2=\"" +
           number(tick_y + 6) + "\" stroke=\"black\"/><text x=\"" + number(x) + "\" y=\"" + number(tick_y + 18) +
           "\" text-anchor=\"middle\">" + label + "</text>\n";
  }
  // The legend: one line per top-level folder, then one for the rest.
  double y = tick_y + 40;
  for (size_t g = 0; g < legend; ++g, y += 20) {
    if (g == LEGEND_LINES && map.groups.size() > legend) {
      uint64_t bytes = 0, files = 0;
      for (size_t rest = g; rest < map.groups.size(); ++rest) bytes += map.groups[rest].bytes, files += map.groups[rest].files;
      svg += "<text x=\"" + number(LEFT + 18) + "\" y=\"" + number(y) + "\">" + grouped(map.groups.size() - g) +
             " more folders: " + grouped(bytes) + " bytes in " + grouped(files) + " files</text>\n";
      break;
    }
    const MapGroup &group = map.groups[g];
    svg += "<rect x=\"" + number(LEFT) + "\" y=\"" + number(y - 10) + "\" width=\"12\" height=\"12\" fill=\"" +
           COLOURS[g % COLOUR_COUNT] + "\"/><text x=\"" + number(LEFT + 18) + "\" y=\"" + number(y) + "\">" +
           xml_text(group.name, map.table.encoding) + ": " + grouped(group.bytes) + " bytes in " + grouped(group.files) + " files, " +
           hex_offset(group.start) + " - " + hex_offset(group.end) + "</text>\n";
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace qorv
