// Whole runs of the tool inside the test process, with captured streams.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/run_driver.h"
#include "core/run_state.h"

namespace qorv::test {

struct RunResult {
  int status = 0;
  std::string err;  // the diagnostic stream
  std::string out;  // the standard output stream
};

// Runs the program with `args` (without the program name) on a fresh run
// state. `state` is kept so tests can look at what the stages left.
inline RunResult run_tool(const std::vector<std::string> &args, RunState &state,
                          Language language = Language::English) {
  std::ostringstream err, out;
  state.diag_stream = &err;
  state.out_stream = &out;
  state.language = language;
  std::vector<const char *> argv{"QorvMakeDlf"};
  for (const std::string &a : args) argv.push_back(a.c_str());
  RunResult r;
  r.status = run_program(state, static_cast<int>(argv.size()), argv.data());
  r.err = err.str();
  r.out = out.str();
  return r;
}

inline RunResult run_tool(const std::vector<std::string> &args, Language language = Language::English) {
  RunState state;
  return run_tool(args, state, language);
}

}  // namespace qorv::test
