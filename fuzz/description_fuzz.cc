// The whole front end from bytes: the input is one description file, read
// by the loader into a fresh run state (lexer, variable references, parser,
// settings store, mode rules, required keys). Messages go nowhere.
#include <cstdint>
#include <ostream>
#include <string>

#include "ddf/description_loader.h"
#include "core/run_state.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string path = [] {
    qorv::fuzz::fix_variable_sources();
    return qorv::fuzz::scratch_dir() + "/input.ddf";
  }();
  qorv::fuzz::write_bytes(path, data, size);

  std::ostream discard(nullptr);  // writes fail silently
  qorv::RunState run;
  run.diag_stream = &discard;
  run.out_stream = &discard;
  run.store.layers[0].file_name = path;
  qorv::load_description_files(run);
  return 0;
}
