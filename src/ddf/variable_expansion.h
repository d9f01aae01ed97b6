// Variable references in description lines: $(NAME) is the environment
// variable NAME, ${NAME} the registry value NAME. They are replaced
// textually before the lexer sees the line.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ddf/registry_values.h"

namespace qorv {

// Reports a text at the reader's current file and line.
using TextCallback = std::function<void(std::string_view text)>;

// Where the values of references come from; nothing means undefined.
struct VariableLookup {
  std::function<std::optional<std::string>(const std::string &name)> environment;
  std::function<std::optional<std::string>(const std::string &name)> registry;
};

// The process environment and the host's registry export file. The file is
// read at the first ${NAME} and its values kept for the lookup's life (a
// run); `on_registry_read`, when given, is told what that one read found.
VariableLookup host_variable_lookup(std::function<void(const RegistryRead &)> on_registry_read = {});

// A value may itself hold references, which are expanded in turn; this many
// replacements in one line are allowed, the next one drops the line.
inline constexpr int MAX_VARIABLE_REPLACEMENTS = 256;

// Replaces every reference in `line`, from its first "$" on. False when the
// line must be dropped: a malformed reference ("description of $ is wrong",
// error), an undefined variable ("NAME undefined.", warning) or too many
// replacements ("too many variable references", error).
bool expand_variables(std::string &line, const VariableLookup &lookup, const TextCallback &on_error,
                      const TextCallback &on_warning);

}  // namespace qorv
