// QorvMakeDlf: prepares the layout of a game disc image.
#include <cstdlib>
#include <iostream>
#include <new>

#include "app/run_driver.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/environment.h"
#include "host/signals.h"

int main(int argc, char **argv) {
  qorv::ignore_file_size_limit_signal();
  qorv::RunState run;
  run.language = qorv::host_prefers_japanese() ? qorv::Language::Japanese : qorv::Language::English;
  int status;
  try {
    status = qorv::run_program(run, argc, argv);
  } catch (const std::bad_alloc &) {
    // Whatever ran out of memory has been unwound: say so rather than abort.
    qorv::report_out_of_memory(run);
    status = -1;
  }
  // Nothing the run built needs releasing: end the process without tearing
  // down hundreds of thousands of entries one by one. -1 shows as 255.
  std::cout.flush();
  std::cerr.flush();
  std::_Exit(status);
}
