#include "sysarea/header_words.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "layout/offset_math.h"
#include "sysarea/header_blocks.h"

namespace qorv {

bool check_header_words(RunState &run) {
  const TargetMode mode = run.target_mode;
  const uint64_t unit = offset_unit(mode);
  const WideOffset limit = stored_offset_limit(mode);
  bool ok = true;
  // A value is named by the key that gave it, or else by its field.
  auto fail = [&](std::string_view name, WideOffset shown, std::string_view problem) {
    report_error_text(run, format_text("%s(%016I64X) %s", {name, static_cast<int64_t>(shown), problem}));
    ok = false;
  };
  auto check = [&](std::string_view name, WideOffset value) {
    const OffsetFit fit = value < 0 || value >= limit ? OffsetFit::OutOfRange
                                                     : offset_fit(mode, static_cast<uint64_t>(value));
    if (fit == OffsetFit::OutOfRange)
      fail(name, value, "is out of the disc format.");
    else if (fit == OffsetFit::NotAligned)
      fail(name, value, "is not a multiple of 4.");
  };

  check("Boot file position", run.boot_position);
  check("FST position", run.fst_position);
  check("FST size", run.fst_size);
  if (std::optional<uint64_t> max = given_fst_max_length(run)) check("FSTMaxLength", *max);
  const WideOffset start = run.user_area_start;
  const bool top_given = find_number(run.store, key::BB2, key::FSTuserTop).has_value();
  check(top_given ? "FSTuserTop" : "User area start", start);

  // The length is set by FSTuserEnd (less the ZEM system file and the
  // configuration file's fixed part in ZEM mode). An end below the start
  // leaves no room, which the placement reports (1021); a start that is off
  // already drew its own message.
  const int64_t user_end = find_number(run.store, key::BB2, key::FSTuserEnd).value_or(0);
  const WideOffset length = WideOffset{run.user_area_end} - start;
  if (length >= limit) {
    fail("FSTuserEnd", user_end, "is out of the disc format.");
  } else if (length >= 0 && length % unit != 0 && start % unit == 0) {
    if (user_end % unit != 0)
      fail("FSTuserEnd", user_end, "is not a multiple of 4.");
    else  // the ZEM system file's size is what is off
      fail("User area length", length, "is not a multiple of 4.");
  }
  return ok;
}

}  // namespace qorv
