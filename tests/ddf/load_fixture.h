// Loads description files written into a scratch directory through
// load_description_files, with the diagnostic stream captured.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "ddf/description_loader.h"
#include "core/run_state.h"
#include "support/description_texts.h"
#include "support/test_support.h"

namespace qorv::test {

class DescriptionFiles {
public:
  DescriptionFiles() : path(dir.at("test.ddf")) {
    run.diag_stream = &err_;
    run.out_stream = &out_;
  }

  std::string write(const std::string &name, const std::string &content) { return dir.write(name, content); }

  // Loads up to three files (empty: no file for that layer); returns stderr.
  std::string load(const std::vector<std::string> &paths) {
    for (size_t i = 0; i < paths.size() && i < 3; ++i) run.store.layers[i].file_name = paths[i];
    load_description_files(run);
    return err_.str();
  }

  // Loads `content` as file 1 with the required keys as file 3, so only the
  // messages about `content` remain.
  std::string load_text(const std::string &content) {
    write("test.ddf", content);
    return load({path, "", write("required.ddf", kRequiredKeys)});
  }

  // "Error:<path>, <line>: <text>\n"
  std::string error_at(int line, const std::string &text) const {
    return "Error:" + path + ", " + std::to_string(line) + ": " + text + "\n";
  }
  std::string warning_at(int line, const std::string &text) const {
    return "Warning:" + path + ", " + std::to_string(line) + ": " + text + "\n";
  }

  // The entry of `key` in `section` of one layer (0..2; nullptr when absent).
  const Entry *layer_entry(int layer, KeyId section, KeyId key) {
    Section *s = find_section(run.store.layers[layer], section);
    return s ? find_entry(*s, key) : nullptr;
  }
  const std::string *layer_text(int layer, KeyId section, KeyId key) {
    auto *e = dynamic_cast<const StringEntry *>(layer_entry(layer, section, key));
    return e ? &e->value : nullptr;
  }

  TempDir dir;
  std::string path;  // the file of load_text
  RunState run;

private:
  std::ostringstream err_, out_;
};

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
  ScopedEnvironment(const char *name, const std::string &value) : name_(name) {
    const char *old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    set_environment(name, value);
  }
  ~ScopedEnvironment() {
    if (had_) set_environment(name_, old_);
    else unset_environment(name_);
  }

private:
  const char *name_;
  bool had_ = false;
  std::string old_;
};

}  // namespace qorv::test
