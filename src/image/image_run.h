// The state of one QorvImage command: its options, its streams and what it
// counted. `main` makes one per run; tests make their own.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/diagnostics.h"
#include "image/shown_text.h"

namespace qorv {

enum class ImageCommand { None, Build, Verify, List, Map };

struct ImageOptions {
  ImageCommand command = ImageCommand::None;
  std::string dlf_path;
  std::string image_path;              // build: "" = the DLF's name with ".img"
  std::string directory;               // -C: host paths of the DLF are relative to it
  std::optional<uint64_t> image_size;  // build --size
  bool quiet = false;                  // build -q: no progress line
  bool full = false;                   // build --full: no update in place
  std::string depfile_path;            // build --depfile: the dependencies for make and ninja
  bool json = false;                   // list --json
  bool long_form = false;              // list --long
  std::string svg_path;                // map --svg
  uint32_t width = 80;                 // map --width
  std::optional<NameEncoding> code_page;  // list, map, verify --code-page; none: detected from the names
};

// A run reports at most this many errors; then one line says it stopped
// (a binary file given as a DLF would otherwise print one per line).
inline constexpr int32_t IMAGE_ERROR_LIMIT = 100;

struct ImageRun : Diagnostics {
  ImageRun() { error_limit = IMAGE_ERROR_LIMIT; }
  ImageOptions options;
  bool progress = false;  // draw the progress line (set when stderr is a terminal)
  // Called by `build` once every check passed, before the image file is
  // created (tests change the files here).
  std::function<void()> after_checks;
  // Called by an update once the image is about to be written (in place,
  // after the record says so, or on its clone): tests interrupt it here.
  std::function<void()> before_update_writes;
};

// Exit statuses of QorvImage.
inline constexpr int IMAGE_OK = 0;
inline constexpr int IMAGE_USAGE = 1;
inline constexpr int IMAGE_FAILED = 2;

}  // namespace qorv
