#include "tables/symtab.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ir/operand.h"

namespace velumar {
namespace {

TEST(SymbolTable, DefinitionReferenceDuplicateDeviceAndNames) {
  SymbolTable t;
  EXPECT_EQ(t.enter("LOOP  ", std::nullopt, 0).index, 1);
  t.enter("TAPE", 0, 0, "%U1");
  auto def = t.enter("LOOP", 333, 2, "%Y2");
  EXPECT_EQ(def.index, 1);  // the reference's index is kept
  EXPECT_FALSE(def.duplicate);
  EXPECT_EQ(t[1].value, 333);
  EXPECT_EQ(t[1].index_reg, 2);
  EXPECT_EQ(t[1].device, "   ");  // a device is stored only when the record is created
  EXPECT_EQ(t[2].device, "%U1");
  EXPECT_TRUE(t.enter("LOOP", 400, 1).duplicate);
  EXPECT_FALSE(t.enter("LOOP", std::nullopt, 0).duplicate);
  EXPECT_EQ(t[1].value, 333);
  for (std::string_view blank : {"", "      "}) {
    EXPECT_EQ(t.enter(blank, 100, 0).index, -1);
    EXPECT_EQ(t.lookup(blank), -1);
  }
  EXPECT_EQ(t.lookup("NEVER"), -1);
  EXPECT_EQ(t.size(), 2);
  // Names compare blank-padded and case-sensitive; a longer name is cut to
  // the 6 characters stored, so it never makes a second record of one name.
  EXPECT_EQ(t.lookup("LOOP  "), 1);
  EXPECT_EQ(t.lookup("loop"), -1);
  int six = t.enter("ABCDEFG", 3, 0).index;
  EXPECT_EQ(t[six].label, "ABCDEF");
  EXPECT_EQ(t.enter("ABCDEF", std::nullopt, 0).index, six);
}

TEST(SymbolTable, GrowthKeepsIndexesAndContents) {
  SymbolTable t;
  t.init_sym_table();
  auto name = [](int i) { return "S" + std::to_string(i); };
  for (int i = 1; i <= 100; ++i) t.enter(name(i), i, 0);
  EXPECT_EQ(t.capacity(), 100);
  t.enter(name(101), 101, 0);
  EXPECT_EQ(t.capacity(), 200);
  for (int i = 102; i <= 201; ++i) t.enter(name(i), i, 0);
  EXPECT_EQ(t.capacity(), 400);
  for (int i = 1; i <= 201; ++i) {
    ASSERT_EQ(t.lookup(name(i)), i);
    ASSERT_EQ(t[i].value, i);
  }
  t.init_sym_table();
  EXPECT_EQ(t.capacity(), 100);
  EXPECT_EQ(t.lookup(name(1)), -1);
  EXPECT_EQ(t.enter(name(7), 7, 0).index, 1);
}

// The index must give exactly what a scan of the records in table order
// gives, for any mix of definitions, references and look-ups.
TEST(SymbolTable, AgreesWithALinearScan) {
  SymbolTable t;
  std::vector<Symbol> model;
  auto scan = [&model](const std::string& padded) {
    for (std::size_t i = 0; i < model.size(); ++i)
      if (model[i].label == padded) return static_cast<int>(i) + 1;
    return -1;
  };
  std::mt19937 rng(1401);
  const std::string alphabet = "AB1 a";
  for (int step = 0; step < 20000; ++step) {
    std::string name;
    for (int c = 0; c < 3; ++c) name.push_back(alphabet[rng() % alphabet.size()]);
    const bool blank = name == "   ";
    const int expect = blank ? -1 : scan(name + "   ");
    if (rng() % 4 == 0) {
      ASSERT_EQ(t.lookup(name), expect);
      continue;
    }
    const std::optional<int> value =
        (rng() % 3 == 0) ? std::nullopt : std::optional<int>(static_cast<int>(rng() % 16000));
    int num = expect;
    bool dup = false;
    if (!blank && expect < 0) {
      Symbol s;
      s.label = name + "   ";
      if (value) s.define(*value);
      model.push_back(s);
      num = static_cast<int>(model.size());
    } else if (expect > 0 && !model[expect - 1].defined) {
      if (value) model[expect - 1].define(*value);
    } else if (expect > 0) {
      dup = value.has_value();
    }
    auto r = t.enter(name, value, 0);
    ASSERT_EQ(r.index, num);
    ASSERT_EQ(r.duplicate, dup);
  }
  ASSERT_EQ(t.size(), static_cast<int>(model.size()));
  for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(t.symbols()[i].defined_value(), model[i].defined_value());
}

}  // namespace
}  // namespace velumar
