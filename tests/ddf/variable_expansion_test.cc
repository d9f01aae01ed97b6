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

TEST(VariableExpansion, EnvironmentAndRegistryReferences) {
  Expansion x;
  x.environment["ROOT"] = "C:\\work";
  x.registry["Disc"] = "D1";
  std::string line = "DvdRoot = \"$(ROOT)\\disc\\${Disc}\"";
  EXPECT_TRUE(x.run(line));
  EXPECT_EQ(line, "DvdRoot = \"C:\\work\\disc\\D1\"");
  EXPECT_EQ(x.messages, "");
}

TEST(VariableExpansion, ValuesAreExpandedInTurn) {
  Expansion x;
  x.environment["A"] = "<$(B)>";
  x.environment["B"] = "b";
  x.environment["SEMI"] = ";";
  std::string line = "$(A)$(SEMI)$(B)";
  EXPECT_TRUE(x.run(line));
  // The reference after the inserted ";" is still expanded.
  EXPECT_EQ(line, "<b>;b");
}

TEST(VariableExpansion, MalformedReferences) {
  for (std::string line : {"Hash $x", "Hash $", "Hash $(ROOT", "Hash ${ROOT)", "$(A)$"}) {
    Expansion x;
    x.environment["A"] = "a";
    EXPECT_FALSE(x.run(line)) << line;
    EXPECT_EQ(x.messages, "E:description of $ is wrong;") << line;
  }
}

TEST(VariableExpansion, UndefinedNamesWarn) {
  Expansion x;
  std::string line = "$(HOME_X) ${Y}";
  EXPECT_FALSE(x.run(line));
  EXPECT_EQ(x.messages, "W:HOME_X undefined.;");
  // The name is taken as written, blanks included.
  Expansion y;
  std::string spaced = "$( A )";
  EXPECT_FALSE(y.run(spaced));
  EXPECT_EQ(y.messages, "W: A  undefined.;");
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

TEST(VariableExpansion, SelfReferenceStopsAtTheBound) {
  Expansion x;
  x.registry["LOOP"] = "${LOOP}";
  x.environment["GROW"] = "a$(GROW)b";
  std::string line = "${LOOP}";
  EXPECT_FALSE(x.run(line));
  EXPECT_EQ(x.messages, "E:too many variable references;");
  Expansion y;
  y.environment["GROW"] = "a$(GROW)b";
  line = "$(GROW)";
  EXPECT_FALSE(y.run(line));
  EXPECT_EQ(y.messages, "E:too many variable references;");
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
