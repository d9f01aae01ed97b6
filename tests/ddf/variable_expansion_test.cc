#include "ddf/variable_expansion.h"

#include <gtest/gtest.h>

#include <map>

#include "support/test_support.h"

namespace qorv {
namespace {

// Expands `line` against two fixed tables; messages are collected as
// "E:text" / "W:text".
struct Expansion {
  std::map<std::string, std::string> environment, registry;
  std::string messages;

  bool run(std::string &line) {
    VariableLookup lookup;
    auto from = [](const std::map<std::string, std::string> &table) {
      return [&table](const std::string &name) -> std::optional<std::string> {
        auto it = table.find(name);
        return it == table.end() ? std::nullopt : std::optional<std::string>(it->second);
      };
    };
    lookup.environment = from(environment);
    lookup.registry = from(registry);
    return expand_variables(
        line, lookup, [this](std::string_view t) { messages += "E:" + std::string(t) + ";"; },
        [this](std::string_view t) { messages += "W:" + std::string(t) + ";"; });
  }
};

TEST(VariableExpansion, LinesAndTheirMessages) {
  Expansion x;
  x.environment = {{"ROOT", "C:\\work"}, {"A", "<$(B)>"}, {"B", "b"}, {"SEMI", ";"}, {"GROW", "a$(GROW)b"}};
  x.registry = {{"Disc", "D1"}, {"LOOP", "${LOOP}"}};
  const struct {
    std::string line;
    const char *expanded;  // nullptr: the line failed
    const char *messages;
  } cases[] = {
      {"DvdRoot = \"$(ROOT)\\disc\\${Disc}\"", "DvdRoot = \"C:\\work\\disc\\D1\"", ""},
      {"$(A)$(SEMI)$(B)", "<b>;b", ""},  // the reference after the inserted ";" is still expanded
      {"$(HOME_X) ${Y}", nullptr, "W:HOME_X undefined.;"},
      {"$( A )", nullptr, "W: A  undefined.;"},  // the name is taken as written, blanks included
      {"${LOOP}", nullptr, "E:too many variable references;"},  // self references stop at the bound
      {"$(GROW)", nullptr, "E:too many variable references;"},
  };
  for (auto c : cases) {
    x.messages.clear();
    EXPECT_EQ(x.run(c.line), c.expanded != nullptr) << c.line;
    if (c.expanded) { EXPECT_EQ(c.line, c.expanded); }
    EXPECT_EQ(x.messages, c.messages) << c.line;
  }
}

TEST(VariableExpansion, MalformedReferences) {
  for (std::string line : {"Hash $x", "Hash $", "Hash $(ROOT", "Hash ${ROOT)", "$(A)$"}) {
    Expansion x;
    x.environment["A"] = "a";
    EXPECT_FALSE(x.run(line)) << line;
    EXPECT_EQ(x.messages, "E:description of $ is wrong;") << line;
  }
}

TEST(VariableExpansion, BoundOnReplacementsInOneLine) {
  Expansion x;
  x.environment["X"] = "x";
  std::string ref = "$(X)";
  std::string line;
  for (int i = 0; i < 256; ++i) line += ref;
  EXPECT_TRUE(x.run(line));
  EXPECT_EQ(line, std::string(256, 'x'));

  line.clear();
  for (int i = 0; i < 257; ++i) line += ref;
  EXPECT_FALSE(x.run(line));
  EXPECT_EQ(x.messages, "E:too many variable references;");
}

TEST(VariableExpansion, A257thReferenceThatFailsGivesItsOwnMessage) {
  Expansion x;
  x.environment["X"] = "x";
  std::string refs;
  for (int i = 0; i < 256; ++i) refs += "$(X)";
  std::string undefined = refs + "$(NONE)";
  EXPECT_FALSE(x.run(undefined));
  std::string malformed = refs + "$x";
  EXPECT_FALSE(x.run(malformed));
  EXPECT_EQ(x.messages, "W:NONE undefined.;E:description of $ is wrong;");
}

TEST(VariableExpansion, HostLookupEnvironment) {
  VariableLookup host = host_variable_lookup();
  test::set_environment("QORV_EXPANSION_TEST", "value");
  EXPECT_EQ(host.environment("QORV_EXPANSION_TEST"), "value");
  test::unset_environment("QORV_EXPANSION_TEST");
  EXPECT_EQ(host.environment("QORV_EXPANSION_TEST"), std::nullopt);
  // $() is undefined, and a name the environment cannot hold too.
  EXPECT_EQ(host.environment(""), std::nullopt);
  EXPECT_EQ(host.environment(std::string("PATH\0X", 6)), std::nullopt);
}

}  // namespace
}  // namespace qorv
