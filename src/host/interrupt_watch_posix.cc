#include "host/interrupt_watch.h"

#include <ctime>
#include <initializer_list>
#include <pthread.h>
#include <unistd.h>

namespace qorv {

namespace {
sigset_t watched_signals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}
}  // namespace

InterruptWatch::InterruptWatch() {
  sigset_t set = watched_signals();
  pthread_sigmask(SIG_BLOCK, &set, &old_mask_);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, &old_xfsz_);
}

InterruptWatch::~InterruptWatch() {
  // Requests that arrived are taken here (the run ends with its own status),
  // except those already held back before the watch began.
  sigset_t pending, take;
  sigpending(&pending);
  sigemptyset(&take);
  for (int sig : {SIGINT, SIGTERM, SIGHUP})
    if (sigismember(&pending, sig) && !sigismember(&old_mask_, sig)) sigaddset(&take, sig);
  struct timespec now {};
  while (sigtimedwait(&take, nullptr, &now) > 0) {
  }
  sigaction(SIGXFSZ, &old_xfsz_, nullptr);
  pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
}

bool InterruptWatch::interrupted() {
  if (!seen_) {
    sigset_t pending;
    sigpending(&pending);
    seen_ = sigismember(&pending, SIGINT) || sigismember(&pending, SIGTERM) || sigismember(&pending, SIGHUP);
  }
  return seen_;
}

double monotonic_seconds() {
  struct timespec t {};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

bool error_stream_is_terminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace qorv
