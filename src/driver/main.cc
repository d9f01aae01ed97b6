// QorvMakeDlf: prepares the layout of a game disc image.
#include "driver/run_driver.h"
#include "driver/run_state.h"
#include "host/environment.h"

int main(int argc, char **argv) {
  qorv::RunState run;
  run.language = qorv::host_prefers_japanese() ? qorv::Language::Japanese : qorv::Language::English;
  return qorv::run_program(run, argc, argv);  // -1 shows as 255
}
