#include "ddf/variable_expansion.h"

#include <memory>
#include <vector>

#include "ddf/registry_values.h"
#include "core/text_format.h"
#include "host/environment.h"

namespace qorv {

VariableLookup host_variable_lookup(std::function<void(const RegistryRead &)> on_registry_read) {
  VariableLookup lookup;
  lookup.environment = [](const std::string &name) -> std::optional<std::string> {
    // An empty name, or one the environment cannot hold, is never defined.
    if (name.empty() || name.find('\0') != std::string::npos) return std::nullopt;
    return get_environment(name);
  };
  // Shared by the lookup's copies, so that a copied lookup reads no more often.
  auto values = std::make_shared<std::optional<std::vector<RegistryValue>>>();
  lookup.registry = [values, on_registry_read](const std::string &name) {
    if (!*values) {
      RegistryRead read = read_host_registry();
      if (on_registry_read) on_registry_read(read);
      *values = std::move(read.values);
    }
    return find_registry_value(**values, name);
  };
  return lookup;
}

bool expand_variables(std::string &line, const VariableLookup &lookup, const TextCallback &on_error,
                      const TextCallback &on_warning) {
  int replacements = 0;
  for (size_t p = line.find('$'); p != std::string::npos; p = line.find('$', p)) {
    char open = p + 1 < line.size() ? line[p + 1] : '\0';
    if (open != '(' && open != '{') {
      on_error("description of $ is wrong");
      return false;
    }
    size_t close = line.find(open == '(' ? ')' : '}', p + 2);
    if (close == std::string::npos) {
      on_error("description of $ is wrong");
      return false;
    }
    std::string name = line.substr(p + 2, close - p - 2);
    std::optional<std::string> value = open == '(' ? lookup.environment(name) : lookup.registry(name);
    if (!value) {
      on_warning(format_text("%s undefined.", {name}));
      return false;
    }
    // A value that refers back to itself would be replaced without end.
    if (++replacements > MAX_VARIABLE_REPLACEMENTS) {
      on_error("too many variable references");
      return false;
    }
    line.replace(p, close - p + 1, *value);
  }
  return true;
}

}  // namespace qorv
