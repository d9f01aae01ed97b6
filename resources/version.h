// The program's version record, compiled in. This is the one place that holds
// the version: CMake reads the four numbers from here for the packages.
#pragma once

#include <string>

namespace qorv::version {
inline constexpr unsigned kProductMajor = 1;
inline constexpr unsigned kProductMinor = 0;
inline constexpr unsigned kProductBuild = 5;
inline constexpr unsigned kProductRevision = 0;
inline constexpr const char *kFileDescription = "Make disk layout file.";
// Who holds the copyright and under which licence (the LICENSE file).
inline constexpr const char *kNotice = "Copyright (c) the QorvMakeDlf developers. MIT License.";

// The four numbers as the programs print them: "1.0.5.0".
inline std::string number_text() {
  return std::to_string(kProductMajor) + "." + std::to_string(kProductMinor) + "." +
         std::to_string(kProductBuild) + "." + std::to_string(kProductRevision);
}
}  // namespace qorv::version
