#include "host/wide_text.h"

#include <windows.h>

namespace qorv {

std::wstring wide_from_ansi(std::string_view text) {
  if (text.empty()) return {};
  int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
  return out;
}

std::optional<std::string> ansi_from_wide(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  BOOL lacking = FALSE;
  int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &lacking);
  if (length <= 0 || lacking) return std::nullopt;
  std::string out(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), length, nullptr, nullptr);
  // A character without a default-char substitute still might not come back.
  if (wide_from_ansi(out) != text) return std::nullopt;
  return out;
}

std::string ansi_shown(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length > 0 ? length : 0), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

std::string comparable_text(std::wstring text) {
  if (text.empty()) return {};
  ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  const int size = static_cast<int>(text.size());
  int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length > 0 ? length : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

std::wstring full_wide_path(const std::wstring &path) {
  if (path.empty()) return {};
  std::wstring out(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
    if (length == 0) return {};
    if (length < out.size()) {
      out.resize(length);
      return out;
    }
    out.resize(length);  // the size needed, terminator included
  }
}

size_t last_path_separator(std::string_view path) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\' || path[i] == '/') last = i;
    else if (::IsDBCSLeadByte(static_cast<BYTE>(path[i]))) ++i;
  }
  return last;
}

std::wstring wide_host_path(std::string_view path) { return lift_path_limit(wide_from_ansi(path)); }

std::wstring lift_path_limit(std::wstring wide) {
  // Below this length every call takes the path as it is (a directory must
  // leave room for an 8.3 name).
  constexpr size_t kShortEnough = 248;
  if (wide.size() < kShortEnough || wide.starts_with(L"\\\\?\\")) return wide;
  std::wstring full = full_wide_path(wide);
  if (full.empty()) return wide;
  if (full.starts_with(L"\\\\.\\")) return full;  // a device
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace qorv
