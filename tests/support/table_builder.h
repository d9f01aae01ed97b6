// Table items of the settings store ([Layout], [LbaAlign], [LayoutOff],
// [PathList], [LbaOrigin]) stored directly, as the parser would. A layer
// that gets an item and has no file name yet is named "fileN.ddf" (N = 1..3),
// the location its messages print.
#pragma once

#include <string>

#include "support/settings_builder.h"

namespace qorv::test {

inline Section &table_section(RunState &run, KeyId form, int layer) {
  Layer &l = run.store.layers[static_cast<size_t>(layer)];
  if (l.file_name.empty()) l.file_name = "file" + std::to_string(layer + 1) + ".ddf";
  return section_for(run, form, layer);
}

// A [Layout], [LbaAlign] or [LayoutOff] item (`form` picks the section).
inline void add_layout(RunState &run, KeyId form, int32_t line, int32_t priority, const std::string &file,
                       int64_t value = 0, ReplicaKind replica = ReplicaKind::Ordinary, int layer = 0) {
  add_layout_request(table_section(run, form, layer), *keyword_by_id(form),
                     LayoutRequest{line, priority, file, value, replica});
}

inline void add_path_list(RunState &run, int32_t line, const std::string &name, const std::string &fst_dir,
                          const std::string &host_dir, int layer = 0) {
  add_path_mapping(table_section(run, key::PathListForm, layer), *keyword_by_id(key::PathListForm),
                   PathMapping{line, name, fst_dir, host_dir});
}

// An [LbaOrigin] origin; returns it so that followers can be appended (until
// the next origin of its layer is added).
inline OriginRequest &add_lba_origin(RunState &run, int32_t line, int64_t lba, const std::string &file,
                                     ReplicaKind replica = ReplicaKind::Ordinary, int layer = 0, int32_t direction = 1) {
  Section &section = table_section(run, key::OriginForm, layer);
  OriginRequest o;
  o.line = line;
  o.lba = lba;
  o.file = file;
  o.direction = direction;
  o.replica = replica;
  add_origin(section, *keyword_by_id(key::OriginForm), std::move(o));
  return *find_origin(section, lba);
}

// The origin at `lba` of a layer (adding origins moves the earlier ones).
inline OriginRequest &lba_origin(RunState &run, int64_t lba, int layer = 0) {
  return *find_origin(table_section(run, key::OriginForm, layer), lba);
}

inline OriginRequest &add_follower(OriginRequest &origin, int32_t line, const std::string &file,
                                   ReplicaKind replica = ReplicaKind::Ordinary) {
  OriginRequest f;
  f.line = line;
  f.lba = origin.lba;
  f.file = file;
  f.replica = replica;
  origin.followers.push_back(std::move(f));
  return origin.followers.back();
}

}  // namespace qorv::test
