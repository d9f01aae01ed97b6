// Whole runs of either program inside the test process, with captured
// streams: the entry point each main calls, on a run object the test keeps.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/image_command_line.h"
#include "app/run_driver.h"
#include "core/run_state.h"

namespace qorv::test {

struct RunResult {
  int status = 0;
  std::string err;  // the diagnostic stream
  std::string out;  // the standard output stream
};

// Runs `entry` with `args` (without the program name) on `run`, which keeps
// what the run left for the test to look at.
template <class Run, class Entry>
RunResult run_in_process(Run &run, Entry entry, const char *program, const std::vector<std::string> &args) {
  std::ostringstream err, out;
  run.diag_stream = &err;
  run.out_stream = &out;
  std::vector<const char *> argv{program};
  for (const std::string &a : args) argv.push_back(a.c_str());
  const int status = entry(run, static_cast<int>(argv.size()), argv.data());
  return {status, err.str(), out.str()};
}

inline RunResult run_tool(const std::vector<std::string> &args, RunState &state,
                          Language language = Language::English) {
  state.language = language;
  return run_in_process(state, run_program, "QorvMakeDlf", args);
}

inline RunResult run_tool(const std::vector<std::string> &args, Language language = Language::English) {
  RunState state;
  return run_tool(args, state, language);
}

inline RunResult run_image(const std::vector<std::string> &args, ImageRun &run) {
  return run_in_process(run, run_image_program, "QorvImage", args);
}

inline RunResult run_image(const std::vector<std::string> &args) {
  ImageRun run;
  return run_image(args, run);
}

}  // namespace qorv::test
