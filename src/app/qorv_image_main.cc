// QorvImage: builds, verifies, lists and maps disc images from a DLF.
#include <iostream>
#include <new>
#include <string>

#include "app/image_command_line.h"
#include "host/environment.h"
#include "host/interrupt_watch.h"
#include "host/standard_streams.h"
#include "image/image_report.h"
#include "image/image_run.h"

int main(int argc, char **argv) {
  qorv::hold_closed_standard_streams();
  qorv::ImageRun run;
  run.progress = qorv::error_stream_is_terminal();
  run.language = qorv::host_prefers_japanese() ? qorv::Language::Japanese : qorv::Language::English;
  // Made now: once memory ran out, building the text could fail too.
  const std::string out_of_memory = qorv::image_text(run, qorv::ImageMessage::OutOfMemory);
  int status;
  try {
    status = qorv::run_image_program(run, argc, argv);
  } catch (const std::bad_alloc &) {
    // Whatever ran out of memory has been unwound: say so rather than abort.
    qorv::report_out_of_memory(run, out_of_memory);
    status = qorv::IMAGE_FAILED;
  }
  std::cout.flush();
  return status;
}
