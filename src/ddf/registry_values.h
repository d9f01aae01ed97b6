// The (name, text) pairs behind ${NAME} references, read from a registry
// export file (REGEDIT4 or version 5.00; UTF-8 with or without a byte-order
// mark, or UTF-16LE with one). Only plain text values under
// [HKEY_CURRENT_USER\SOFTWARE\Kelvane\QORV] count.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorv {

struct RegistryValue {
  std::string name;  // empty for the default value (@)
  std::string text;
};

// The plain text values of the export file `bytes`, in file order.
std::vector<RegistryValue> parse_registry_export(std::string_view bytes);

// Tells from the first bytes of a file, as they are read, whether its first
// line is one of the header lines (blanks around it allowed), so that the
// rest is read only when it is. Each call is given the bytes read so far and
// looks only at those it has not seen; the text kept is never longer than a
// header line, whatever the file holds.
class RegistryExportHead {
public:
  enum class Verdict { Undecided, Export, NotExport };
  Verdict look(std::string_view bytes);

private:
  Verdict verdict_ = Verdict::Undecided;
  size_t at_ = 0;     // the next byte to look at
  size_t width_ = 1;  // 2: UTF-16LE
  std::string line_;  // the first line's text so far, from its first word
  std::string blanks_;
};

// An export file larger than this is not read.
inline constexpr size_t REGISTRY_EXPORT_LIMIT = size_t{64} << 20;

struct RegistryRead {
  std::string path;        // where the export file was looked for
  bool opened = false;     // it was there and opened: the run read it
  bool too_large = false;  // over REGISTRY_EXPORT_LIMIT, so no values
  std::vector<RegistryValue> values;
};

// The values of the user's registry key on a host that has a registry (no
// file is opened). Otherwise reads the host's export file, only as far as its
// first line tells that it is one (a device that never ends is left at its
// first bytes), and not beyond REGISTRY_EXPORT_LIMIT.
RegistryRead read_host_registry();

// The values read_host_registry gives.
std::vector<RegistryValue> read_registry_values();

// The text of the first value whose name equals `name` ignoring ASCII case.
std::optional<std::string> find_registry_value(const std::vector<RegistryValue> &values,
                                               std::string_view name);

}  // namespace qorv
