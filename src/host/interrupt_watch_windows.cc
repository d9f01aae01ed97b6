#include "host/interrupt_watch.h"

#include <string>
#include <windows.h>

namespace qorv {

namespace {
std::wstring event_name(const wchar_t *what) {
  return std::wstring(L"Local\\qorv-") + what + L"-" + std::to_wstring(::GetCurrentProcessId());
}

// Runs on a thread of its own, which the console starts for each event.
BOOL WINAPI on_console_event(DWORD type) {
  HANDLE interrupt = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, event_name(L"interrupt").c_str());
  if (interrupt == nullptr) return FALSE;  // the watch has ended: the default handling
  ::SetEvent(interrupt);
  ::CloseHandle(interrupt);
  if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
    // The process ends as soon as this returns: first the writer stops and
    // removes its file, within the few seconds the system grants.
    HANDLE finished = ::OpenEventW(SYNCHRONIZE, FALSE, event_name(L"finished").c_str());
    if (finished != nullptr) {
      ::WaitForSingleObject(finished, 4000);
      ::CloseHandle(finished);
    }
  }
  return TRUE;
}
}  // namespace

InterruptWatch::InterruptWatch() {
  interrupt_ = ::CreateEventW(nullptr, TRUE, FALSE, event_name(L"interrupt").c_str());
  finished_ = ::CreateEventW(nullptr, TRUE, FALSE, event_name(L"finished").c_str());
  ::SetConsoleCtrlHandler(on_console_event, TRUE);
}

InterruptWatch::~InterruptWatch() {
  ::SetConsoleCtrlHandler(on_console_event, FALSE);
  if (finished_ != nullptr) {
    ::SetEvent(finished_);
    ::CloseHandle(finished_);
  }
  if (interrupt_ != nullptr) ::CloseHandle(interrupt_);
}

bool InterruptWatch::interrupted() {
  if (!seen_) seen_ = interrupt_ != nullptr && ::WaitForSingleObject(interrupt_, 0) == WAIT_OBJECT_0;
  return seen_;
}

double monotonic_seconds() {
  LARGE_INTEGER count, frequency;
  ::QueryPerformanceCounter(&count);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool error_stream_is_terminal() {
#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
  constexpr DWORD ENABLE_VIRTUAL_TERMINAL_PROCESSING = 0x0004;
#endif
  HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (err == nullptr || err == INVALID_HANDLE_VALUE || !::GetConsoleMode(err, &mode)) return false;
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
         ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

}  // namespace qorv
