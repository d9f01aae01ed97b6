#include "tree/fst_writer.h"

#include <vector>

#include "core/run_state.h"
#include "core/system_file_channel.h"
#include "disc/byte_packing.h"
#include "tree/fst_record.h"

namespace qorv {

bool write_fst_region(RunState &run) {
  std::vector<FileEntry *> &entries = run.fst_entries;

  // Name table; a mirror twin shares its file's name.
  std::vector<uint8_t> names(run.fst_names_size, 0);
  uint64_t offset = 0;
  for (size_t i = 1; i < entries.size(); ++i) {
    FileEntry &entry = *entries[i];
    entry.name_offset = static_cast<uint32_t>(offset);
    std::copy(entry.name().begin(), entry.name().end(), names.begin() + static_cast<ptrdiff_t>(offset));
    if (entry.replica_mode == ReplicaKind::Mirrored && i + 1 < entries.size()) entries[++i]->name_offset = entry.name_offset;
    offset += entry.name().size() + 1;
  }

  std::vector<uint8_t> records;
  records.reserve(entries.size() * FST_RECORD_SIZE);
  const FstFormat format = fst_format(run.target_mode, run.advanced_fst);
  for (FileEntry *entry : entries) {
    auto bytes = encode_fst_record(*entry, run.target_mode, format);
    records.insert(records.end(), bytes.begin(), bytes.end());
  }
  if (!write_region(run, records.data(), records.size()) || !write_region(run, names.data(), names.size())) return false;

  if (!run.advanced_fst) return true;
  std::vector<uint8_t> copy_lists(run.fst_copy_lists_size, 0);
  size_t at = 0;
  for (const FileEntry *file : run.copy_entries) {
    for (const FileEntry &record : file->children) {
      put_be32(copy_lists, at, copy_list_word(record.position));
      at += 4;
    }
    put_be32(copy_lists, at, COPY_LIST_END);
    at += 4;
  }
  return write_region(run, copy_lists.data(), copy_lists.size());
}

}  // namespace qorv
