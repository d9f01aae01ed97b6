#include "host/host_path.h"

#include <windows.h>

#include "host/wide_text.h"

namespace qorv {

const char HOST_PATH_SEPARATOR = '\\';

std::string host_path_from_description(std::string_view text) { return std::string(text); }

std::string host_path_of(const std::string *text) { return text ? *text : std::string(); }

std::string join_host_path(std::string_view dir, std::string_view name) {
  std::string out;
  out.reserve(dir.size() + 1 + name.size());
  out.append(dir);
  out += '\\';
  out.append(name);
  return out;
}

bool is_rooted_host_path(std::string_view path) {
  return path.starts_with('\\') || path.starts_with('/') || (path.size() >= 2 && path[1] == ':');
}

size_t host_name_start(std::string_view path) {
  size_t cut = last_path_separator(path);
  if (cut != std::string_view::npos) return cut + 1;
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

std::optional<std::string> absolute_path_text(std::string_view value) {
  std::wstring full = full_wide_path(wide_from_ansi(value));
  if (full.empty()) return std::nullopt;
  return ansi_from_wide(full);
}

std::string normal_path_text(std::string_view value) {
  std::wstring full = full_wide_path(wide_from_ansi(value));
  if (full.empty()) full = wide_from_ansi(value);
  // "C:\" and "\\server\share\" keep theirs; other paths lose a trailing one.
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return comparable_text(std::move(full));
}

}  // namespace qorv
