#include "image/image_update.h"

#include <algorithm>

#include "host/file_update.h"
#include "host/sparse_file.h"

namespace qorv {

namespace {
// The allocation unit of the usual file systems.
constexpr uint64_t BLOCK = 4096;
}  // namespace

UpdatePlan plan_update(const CheckedDlf &checked, const BuildRecord &old, uint64_t new_size) {
  UpdatePlan plan;
  plan.old_size = old.image.size;
  plan.new_size = new_size;
  plan.write.assign(checked.items.size(), 1);
  std::vector<char> kept(old.items.size(), 0);
  // Both lists ascend by offset; only items of equal offset are compared.
  size_t j = 0;
  for (size_t i = 0; i < checked.items.size(); ++i) {
    const CheckedItem &item = checked.items[i];
    while (j < old.items.size() && old.items[j].offset < item.offset) ++j;
    for (size_t k = j; k < old.items.size() && old.items[k].offset == item.offset; ++k)
      if (!kept[k] && item.changed_ns != UNTRUSTED_TIME && old.items[k].source == item.identity()) {
        kept[k] = 1;
        plan.write[i] = 0;
        break;
      }
    if (plan.write[i]) {
      ++plan.items_written;
      plan.bytes_written += item.size;
    }
  }
  // An unchanged item is one old item, range and all: the old items that are
  // not kept are what must become zero (within the new size). Each range
  // reaches out to whole blocks up to the nearest kept item, so that no
  // block is left allocated to hold only zeros.
  const uint64_t limit = std::min(plan.old_size, new_size);
  std::vector<uint64_t> next_kept(old.items.size() + 1, limit);
  for (size_t k = old.items.size(); k-- > 0;) next_kept[k] = kept[k] ? old.items[k].offset : next_kept[k + 1];
  uint64_t kept_end = 0;
  for (size_t k = 0; k < old.items.size(); ++k) {
    const uint64_t offset = old.items[k].offset, end = offset + old.items[k].source.size;
    if (kept[k]) {
      kept_end = end;
      continue;
    }
    if (offset == end) continue;
    uint64_t begin = std::max(offset / BLOCK * BLOCK, kept_end);
    uint64_t stop = std::min({(end + BLOCK - 1) / BLOCK * BLOCK, next_kept[k + 1], limit});
    if (begin >= stop) continue;
    if (!plan.zero.empty() && plan.zero.back().second >= begin) plan.zero.back().second = std::max(plan.zero.back().second, stop);
    else plan.zero.emplace_back(begin, stop);
  }
  return plan;
}

int clear_old_ranges(int image, const UpdatePlan &plan) {
  for (const auto &[begin, end] : plan.zero)
    if (int error = zero_range(image, begin, end - begin)) return error;
  return plan.old_size == plan.new_size ? 0 : set_file_length(image, plan.new_size);
}

}  // namespace qorv
