#include "tables/dumps.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "driver/context.h"
#include "ir/operand.h"
#include "tables/literals.h"
#include "tables/symtab.h"

namespace velumar {
namespace {

std::string entry(std::string_view label, std::string_view value, std::string_view index = "   ") {
  return " " + std::string(label) + "  " + std::string(value) + std::string(index);
}

TEST(DumpSymtab, UnsortedEntriesAndIndexPrefixes) {
  SymbolTable t;
  t.enter("TAG", 333, 1);
  t.enter("NOWHER", std::nullopt, 3);
  t.enter("TAPE", 0, 2, "%U1");
  t.enter("BIG", 100000, 0);
  for (const char* n : {"E", "F", "G", "H"}) t.enter(n, -5, 0);
  t.enter("I", 9, 0);
  std::ostringstream out;
  dump_symtab(t, out, "After pass 1:  ");
  EXPECT_EQ(out.str(), "\n After pass 1:\n   1:" + entry("TAG   ", "  333", "+X1") + entry("NOWHER", "UNDEF") +
                           entry("TAPE  ", "%U1  ") + entry("BIG   ", "*****") + "\n   5:" + entry("E     ", "   -5") +
                           entry("F     ", "   -5") + entry("G     ", "   -5") + entry("H     ", "   -5") +
                           "\n   9:" + entry("I     ", "    9") + "\n");
}

TEST(DumpSymtab, SortedSevenALineByCharacterCodesOnACopy) {
  SymbolTable t;
  for (const char* n : {"ab", "ABC", "AB", "B", "A1", "9Z", "AB1", "Z", "X"}) t.enter(n, 1, 0);
  std::ostringstream out;
  dump_symtab(t, out, std::nullopt, true);
  std::string one = "    1";
  EXPECT_EQ(out.str(), entry("9Z    ", one) + entry("A1    ", one) + entry("AB    ", one) + entry("AB1   ", one) +
                           entry("ABC   ", one) + entry("B     ", one) + entry("X     ", one) + "\n" +
                           entry("Z     ", one) + entry("ab    ", one) + "\n");
  EXPECT_EQ(t[1].label, "ab    ");  // the table keeps the indexes the records hold
  EXPECT_EQ(t.lookup("X"), 9);
}

TEST(DumpSymtab, EmptyTablePrintsNothing) {
  SymbolTable t;
  std::ostringstream out;
  dump_symtab(t, out, "After pass 2:");
  dump_symtab(t, out, std::nullopt, true);
  EXPECT_EQ(out.str(), "");
}

TEST(DumpLitTable, HeadingAndColumns) {
  std::ostringstream sink;
  Context ctx(sink);
  std::ostringstream empty;
  dump_lit_table(ctx.literals, empty);
  EXPECT_EQ(empty.str(), "KIND        ADDR WIDTH OFFSET X TEXT\n");

  int a = ctx.literals.create_lit(LiteralKind::AddrCon, 3, "&NAME-12&X2", -12, '2', "NAME");
  ctx.literals[a].address = 15999;
  ctx.literals.create_lit(LiteralKind::CharLit, 5, "HI   ");
  std::ostringstream out;
  dump_lit_table(ctx.literals, out);
  EXPECT_EQ(out.str(),
            "KIND        ADDR WIDTH OFFSET X TEXT\n"
            "ADDR_CON   15999     3    -12 2 &NAME-12&X2\n"
            "CHAR_LIT       0     5      0   HI\n");
}

}  // namespace
}  // namespace velumar
