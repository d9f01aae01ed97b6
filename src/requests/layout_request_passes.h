// The pieces of apply_layout_requests, shared by its passes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/name_positions.h"
#include "host/disc_code_page.h"
#include "core/settings_store.h"
#include "core/file_entry.h"
#include "match/wildcard.h"

namespace qorv {

struct RunState;

// The disc entries that the exact names of [Layout] and [LbaOrigin] refer
// to, found by upper-cased disc path (the disc's lookup ignores case). Only
// the requested names are indexed, so a large tree costs no index of its own.
// Names are given as the description files spell them and looked up in the
// disc's code page.
class NameIndex {
public:
  explicit NameIndex(const DiscCodePage &page) : page_(page) {}
  // Makes room for `count` names of `bytes` bytes in all.
  void reserve(size_t count, size_t bytes);
  void want(std::string_view file);
  // Walks `fst_entries` from index 1; the first entry of a name in FST order wins.
  void fill(const std::vector<FileEntry *> &fst_entries);
  FileEntry *find(std::string_view file) const;

private:
  std::string_view name_at(size_t i) const {
    const size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(names_).substr(begin, ends_[i] - begin);
  }

  // `file` in the disc's code page (in `scratch` when it converts).
  std::string_view on_disc(std::string_view file, std::string &scratch) const;

  const DiscCodePage &page_;
  // The wanted names, upper-cased, one after another in one buffer.
  std::string names_;
  std::vector<size_t> ends_;
  std::vector<FileEntry *> entries_;  // by position of the name; null until found
  NamePositions positions_;
};

// The last of a list of patterns that matches a disc path: the same result as
// testing them all in order with a later match overwriting an earlier one.
// Patterns are matched from the states of the entry's directory on (see
// WildcardSet), from the last one backwards until the first match.
class LastMatch {
public:
  explicit LastMatch(const DiscCodePage &page) : page_(page), wild_(page.double_byte()) {}
  void add(std::string_view pattern);  // as the description files spell it
  void skip();  // a list position that never matches
  // Index (in the order added) of the last pattern that matches `entry`'s
  // disc path, or -1. Entries come in FST order (a directory before its
  // contents); a directory is passed too, so its states serve its contents.
  std::ptrdiff_t visit(const FileEntry &entry);

private:
  struct Level {
    std::string prefix;  // the directory's disc path and a backslash
    WildcardSet::Cursor cursor;
  };

  const DiscCodePage &page_;
  size_t count_ = 0;
  WildcardSet wild_;
  std::vector<size_t> wild_index_;  // list index of each pattern of `wild_`
  std::vector<Level> levels_;       // levels_[0]: the root, empty prefix
  WildcardSet::Rest rest_;
};

// A [Layout] definition that passed the pass, with its layout key.
struct AcceptedLayout {
  const LayoutRequest *request = nullptr;
  int64_t key = 0;
};

// The [Layout] pass: fills `accepted` (keys set, sorted by priority) and
// creates the replicas it asks for. False when it reported an error.
bool run_layout_pass(RunState &run, const NameIndex &names, std::vector<AcceptedLayout> &accepted);

// The [LbaOrigin] pass: fills `run.accepted_origins` and fixes the targets.
// False when it reported an error.
bool run_origin_pass(RunState &run, const NameIndex &names);

// Whether `replica` (mirror or copy) may be applied to `file`; the first
// refusal (1012, 1013, 1014) is reported at the definition.
bool replica_allowed(RunState &run, const std::string &location, int32_t line, const FileEntry &file,
                     ReplicaKind replica);

// Appends a mirror twin or a copy record (record 0 and 1 on the first copy)
// to `file`'s children; returns the new replica's index there.
size_t add_replica(RunState &run, FileEntry &file, ReplicaKind replica);

// "%s is a directory." at the definition: directories are never placed or replicated.
void report_directory_refused(RunState &run, const std::string &location, int32_t line,
                              const std::string &file);

}  // namespace qorv
