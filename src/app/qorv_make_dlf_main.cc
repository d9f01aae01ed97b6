// QorvMakeDlf: prepares the layout of a game disc image.
#include <cstdlib>
#include <iostream>

#include "app/run_driver.h"
#include "core/run_state.h"
#include "host/environment.h"

int main(int argc, char **argv) {
  qorv::RunState run;
  run.language = qorv::host_prefers_japanese() ? qorv::Language::Japanese : qorv::Language::English;
  int status = qorv::run_program(run, argc, argv);
  // Nothing the run built needs releasing: end the process without tearing
  // down hundreds of thousands of entries one by one. -1 shows as 255.
  std::cout.flush();
  std::cerr.flush();
  std::_Exit(status);
}
