// The dependency file of a build, in the form make and ninja read
// ("IMAGE: DLF CONFIG ITEM..."), so that a build system reruns the build
// only when one of those files changed.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qorv {

// `path` escaped for a depfile: blanks and '#' behind a backslash (with the
// backslashes before them doubled), '$' as "$$". Nothing when the path
// cannot be written there at all (a line break).
std::optional<std::string> depfile_escaped(const std::string &path);

// The depfile text: `target` depends on every one of `inputs` (repeats left
// out), one input per continued line. Nothing when a path cannot be
// written, with that path in `bad`.
std::optional<std::string> depfile_text(const std::string &target, const std::vector<std::string> &inputs,
                                        std::string &bad);

}  // namespace qorv
