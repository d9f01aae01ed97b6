// The state of one run: everything the stages share, from the command line
// to the placed layout, and its diagnostics. `main` makes one per run;
// tests make their own.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "core/settings_store.h"
#include "core/message_catalog.h"
#include "core/file_entry.h"
#include "disc/disc_mode.h"
#include "disc/system_area_format.h"
#include "host/disc_code_page.h"
#include "host/host_file.h"

namespace qorv {

struct RunState : Diagnostics {
  // Command line and description files.
  bool absolute_root = false;
  TargetMode target_mode = TargetMode::ZEM;
  bool advanced_fst = true;
  // How names and texts go onto the disc (QORV_DISC_CODE_PAGE).
  const DiscCodePage *disc_code_page = &DiscCodePage::host();
  SettingsStore store;                // layer file names come from the command line
  std::string registry_file;          // the registry export file, once a ${NAME} opened it

  // Disc tree and FST.
  FileEntry root_entry;
  std::vector<FileEntry> path_list_trees;  // filled at once; pointers taken afterwards
  // The host path of every scanned directory, shared by the entries in it
  // (FileEntry::host_dir); a deque, so the entries' pointers stay valid.
  std::deque<std::string> host_directories;
  std::vector<FileEntry *> fst_entries;
  std::vector<FileEntry *> mirror_entries;
  std::vector<FileEntry *> copy_entries;
  uint64_t fst_entries_size = 0;
  uint64_t fst_names_size = 0;
  uint64_t fst_copy_lists_size = 0;

  // Layout.
  std::vector<OriginRequest *> accepted_origins;
  std::vector<FileEntry *> layout_queue;
  std::deque<FileEntry> gap_markers;
  bool end_rounding_taken = false;

  // System area.
  uint64_t ldr_position = LDR_POSITION;
  uint64_t ldr_size = 0;
  uint64_t boot_position = 0;
  uint64_t boot_size = 0;
  uint64_t fst_position = 0;
  uint64_t fst_size = 0;
  uint64_t zem_sys_size = 0;  // ZEM mode: as measured for the user area's end
  int64_t user_area_start = 0;
  int64_t user_area_end = 0;
  std::array<uint8_t, DISC_HEADER_COPY_SIZE> disc_header_copy{};

  // Output.
  HostFile system_file;

  bool is_ht() const { return target_mode == TargetMode::HT; }
};

}  // namespace qorv
