#include "host/host_path.h"

#include <vector>

#include "host/environment.h"

namespace qorv {

const char HOST_PATH_SEPARATOR = '/';

std::string host_path_from_description(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string host_path_of(const std::string *text) {
  return text ? host_path_from_description(*text) : std::string();
}

std::string join_host_path(std::string_view dir, std::string_view name) {
  std::string out;
  out.reserve(dir.size() + 1 + name.size());
  out.append(dir);
  out += '/';
  out.append(name);
  return out;
}

bool is_rooted_host_path(std::string_view path) { return path.starts_with('/'); }

size_t host_name_start(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

namespace {

// `value` resolved as text against the directory `current` (used when
// `value` is relative).
std::string resolve_path_text(std::string_view current, std::string_view value) {
  std::string full;
  if (value.empty() || value.front() != '/') {
    full = current;
    full += '/';
  }
  full.append(value);

  std::vector<std::string_view> parts;
  std::string_view rest(full);
  while (!rest.empty()) {
    size_t slash = rest.find('/');
    std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }

  std::string out;
  for (std::string_view part : parts) {
    out += '/';
    out.append(part);
  }
  if (out.empty() || (!value.empty() && value.back() == '/')) out += '/';
  return out;
}

}  // namespace

std::optional<std::string> absolute_path_text(std::string_view value) {
  if (!value.empty() && value.front() == '/') return resolve_path_text("", value);
  std::string current = current_directory();
  if (current.empty()) return std::nullopt;
  return resolve_path_text(current, value);
}

std::string normal_path_text(std::string_view value) {
  std::string out = resolve_path_text(current_directory(), value);
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

}  // namespace qorv
