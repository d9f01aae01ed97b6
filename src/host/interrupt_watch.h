// Ctrl-C, termination requests and a closed terminal while an image is
// written. While a watch exists SIGINT, SIGTERM and SIGHUP are held back
// (blocked) and only noted, so the writer can stop at a safe point and
// remove its temporary file; SIGXFSZ is ignored, so that a write beyond the
// file-size limit fails with EFBIG instead of ending the process. Nothing
// global is kept: the pending set of the kernel is the flag.
// Windows: a console handler takes Ctrl-C, Ctrl-Break and the closing of the
// console (or the session) the same way; the flag is a named event of the
// process, which the handler finds by the process id.
#pragma once

#include <csignal>

namespace qorv {

class InterruptWatch {
public:
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch &) = delete;
  InterruptWatch &operator=(const InterruptWatch &) = delete;

  // True once SIGINT, SIGTERM or SIGHUP arrived (it stays true).
  bool interrupted();

private:
#ifdef _WIN32
  void *interrupt_ = nullptr;  // the event the console handler sets
  void *finished_ = nullptr;   // set once the watch ends
#else
  sigset_t old_mask_;
  struct sigaction old_xfsz_;
#endif
  bool seen_ = false;
};

// Seconds from a fixed point, never going back.
double monotonic_seconds();

// True when the standard error stream is a terminal. Windows: a console
// that takes the progress line's escape sequences (turned on here).
bool error_stream_is_terminal();

}  // namespace qorv
