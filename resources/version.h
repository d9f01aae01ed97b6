// The program's version record, compiled in.
#pragma once

namespace qorv::version {
inline constexpr unsigned kProductMajor = 1;
inline constexpr unsigned kProductMinor = 0;
inline constexpr unsigned kProductBuild = 5;
inline constexpr unsigned kProductRevision = 0;
inline constexpr const char *kFileDescription = "Make disk layout file.";
inline constexpr const char *kNotice = "(c) QorvMakeDlf developers. Disc layout preparation tool.";
}  // namespace qorv::version
