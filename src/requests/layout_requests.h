// [LbaAlign], [Layout] and [LbaOrigin] resolved against the disc tree: mirror
// twins and copy records, fixed origins, alignments and layout keys.
#pragma once

namespace qorv {

struct RunState;

// Runs with `run.fst_entries` in FST order (without twins). On success the
// replicas exist, twins stand after their files in `fst_entries`,
// `copy_entries` lists the copied files, `accepted_origins` holds the chains
// with their targets placed at their LBA, and alignments and layout keys are
// set. Both passes always run, so all their problems are reported together.
bool apply_layout_requests(RunState &run);

}  // namespace qorv
