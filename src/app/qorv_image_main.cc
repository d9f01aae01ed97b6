// QorvImage: builds, verifies, lists and maps disc images from a DLF.
#include <iostream>

#include "app/image_command_line.h"
#include "host/interrupt_watch.h"
#include "image/image_run.h"

int main(int argc, char **argv) {
  qorv::ImageRun run;
  run.progress = qorv::error_stream_is_terminal();
  int status = qorv::run_image_program(run, argc, argv);
  std::cout.flush();
  return status;
}
