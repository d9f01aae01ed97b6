#include "app/run_driver.h"

#include "ddf/description_loader.h"
#include "app/command_line.h"
#include "core/diagnostics.h"
#include "core/run_state.h"
#include "host/disc_code_page.h"
#include "tree/fst_builder.h"
#include "layout/lba_assignment.h"
#include "output/dlf_writer.h"
#include "output/system_file_writer.h"
#include "sysarea/system_layout.h"

namespace qorv {

int run_program(RunState &run, int argc, const char *const *argv) {
  if (!parse_command_line(run, argc, argv)) return 1;

  // A setting it cannot use fails the run as a bad description does.
  if (DiscCodePageChoice choice = disc_code_page_from_environment(); choice.page)
    run.disc_code_page = choice.page;
  else
    report_error_text(run, choice.problem);
  load_description_files(run);
  if (run.error_count != 0) return -1;

  print_info(run, run.is_ht() ? "  mode=HT\n" : "  mode=ZEM\n");

  using Stage = bool (*)(RunState &);
  for (Stage stage : {build_fst, compute_system_layout, assign_lbas, write_dlf, write_system_file})
    if (!stage(run)) return -1;
  return write_config_file(run) ? 0 : -1;
}

}  // namespace qorv
