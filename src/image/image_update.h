// What an update of an image in place writes: the items whose offset, size
// or source file differ from the build record's, and zeros where an item of
// the record lay and no unchanged item lies now. Everything else already
// holds the bytes a full build would write: the image matched its record.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "image/build_record.h"
#include "image/item_check.h"

namespace qorv {

struct UpdatePlan {
  std::vector<char> write;  // per checked item: 1 when it is copied
  uint64_t items_written = 0;
  uint64_t bytes_written = 0;
  std::vector<std::pair<uint64_t, uint64_t>> zero;  // [begin, end), ascending, apart
  uint64_t old_size = 0, new_size = 0;              // of the image
  // Whether the image's bytes or size change at all.
  bool changes_image() const { return items_written != 0 || !zero.empty() || old_size != new_size; }
};

UpdatePlan plan_update(const CheckedDlf &checked, const BuildRecord &old, uint64_t new_size);

// Zeros the plan's ranges (holes where the file system allows) and sets the
// image's length. 0 or errno's value.
int clear_old_ranges(int image, const UpdatePlan &plan);

}  // namespace qorv
