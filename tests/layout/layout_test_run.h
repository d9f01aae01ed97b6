// A run state set up the way the tree scan, the layout requests pass and the
// system layout leave it for the LBA stage: files in FST order, mirror twins
// and copy records, accepted [LbaOrigin] chains with resolved targets.
#pragma once

#include <cstdint>
#include <deque>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/run_state.h"
#include "layout/gap_marker.h"

namespace qorv::test {

struct LayoutRun {
  RunState run;
  std::ostringstream err;
  std::deque<FileEntry> files;           // owns the entries, as the tree does
  std::deque<OriginRequest> origins;     // owns the requests, as the store does

  LayoutRun(int64_t start, int64_t end, TargetMode mode = TargetMode::ZEM) {
    run.diag_stream = &err;
    run.out_stream = &err;
    run.target_mode = mode;
    run.user_area_start = start;
    run.user_area_end = end;
    run.store.layers[0].file_name = "one.ddf";
    run.store.layers[1].file_name = "two.ddf";
    FileEntry &root = files.emplace_back();
    root.kind = FstKind::Directory;
    run.fst_entries.push_back(&root);
  }

  // A file directly under the root, `size` bytes (an empty file reserves 4).
  FileEntry &file(const std::string &name, uint64_t size, int64_t key = 0, uint64_t alignment = 0) {
    FileEntry &f = files.emplace_back();
    f.disc_path = name;
    f.set_host_path("root/" + name);
    f.file_size = size;
    f.extent = size ? size : 4;
    f.layout_key = key;
    f.alignment = alignment;
    run.fst_entries.push_back(&f);
    return f;
  }

  FileEntry &directory(const std::string &name) {
    FileEntry &d = files.emplace_back();
    d.kind = FstKind::Directory;
    d.disc_path = name;
    d.set_host_path("root/" + name);
    run.fst_entries.push_back(&d);
    return d;
  }

  // Gives `f` (just added) a mirror twin, which follows it in FST order.
  FileEntry &mirror(FileEntry &f) {
    f.replica_mode = ReplicaKind::Mirrored;
    FileEntry twin = f;
    twin.kind = FstKind::MirrorTwin;
    f.children.push_back(std::move(twin));
    run.fst_entries.push_back(&f.children.back());
    return f.children.back();
  }

  // Makes `f` a copied file with `count` copy records (record 0 is its own
  // place on the disc).
  std::vector<FileEntry *> copies(FileEntry &f, size_t count) {
    f.replica_mode = ReplicaKind::Copied;
    FileEntry record = f;
    f.children.assign(count, record);
    std::vector<FileEntry *> out;
    for (FileEntry &r : f.children) out.push_back(&r);
    return out;
  }

  // An accepted origin fixing `target` at `lba` (+1 "+", -1 "-").
  OriginRequest &origin(int64_t lba, int32_t direction, FileEntry &target, int32_t line, int32_t layer = 0) {
    OriginRequest &o = origins.emplace_back();
    o.lba = lba;
    o.direction = direction;
    o.line = line;
    o.layer = layer;
    o.file = target.disc_path;
    o.target = &target;
    target.position = static_cast<uint64_t>(lba);
    run.accepted_origins.push_back(&o);
    return o;
  }

  // A follower of `o`; a null target stands for a follower whose file was
  // not found.
  void follow(OriginRequest &o, FileEntry *target, int32_t line) {
    OriginRequest &f = o.followers.emplace_back();
    f.lba = o.lba;
    f.line = line;
    f.layer = o.layer;
    f.target = target;
    if (target) {
      f.file = target->disc_path;
      target->position = static_cast<uint64_t>(o.lba);
    }
  }

  // The queue as (position, disc path) pairs; a gap marker has an empty path.
  std::vector<std::pair<uint64_t, std::string>> queue() const {
    std::vector<std::pair<uint64_t, std::string>> out;
    for (const FileEntry *item : run.layout_queue) out.emplace_back(item->position, item->disc_path);
    return out;
  }
};

using Placed = std::vector<std::pair<uint64_t, std::string>>;

}  // namespace qorv::test
