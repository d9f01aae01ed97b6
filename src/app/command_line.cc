#include "app/command_line.h"

#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "core/run_state.h"
#include "resources/version.h"

namespace qorv {

void print_usage(RunState &run) {
  print_diagnostic(run,
                   "Syntax: QorvMakeDlf [-v] <input file1> [<input file2>] [<input file3>]\n"
                   "Function: Creates disk layout file.\n"
                   "Options:\n"
                   "   -v   Displays version info.\n");
}

void print_version_banner(RunState &run) {
  print_diagnostic(run, "QorvMakeDlf version " + version::number_text() + " " + version::kNotice + "\n");
}

bool parse_command_line(RunState &run, int argc, const char *const *argv) {
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!arg.empty() && arg[0] == '-') {
      // Only the second character counts: -verbose is -v, -abc is -a.
      char option = arg.size() > 1 ? arg[1] : '\0';
      if (option == '?') {
        print_usage(run);
        ++run.error_count;
        return false;
      }
      if (option == 'a')
        run.absolute_root = true;
      else if (option == 'v')
        print_version_banner(run);
      else
        report_error(run, MessageId::IllegalOption, {arg});
      continue;
    }
    names.push_back(std::move(arg));
  }

  if (names.size() >= 1 && names.size() <= 3) {
    for (size_t i = 0; i < names.size(); ++i) run.store.layers[i].file_name = names[i];
  } else {
    print_usage(run);
    ++run.error_count;
  }
  return run.error_count == 0;
}

}  // namespace qorv
