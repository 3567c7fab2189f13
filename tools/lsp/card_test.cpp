#include "tools/lsp/card.h"

#include <gtest/gtest.h>

namespace velumar::lsp {
namespace {

std::string kinds(std::string_view line) {
  std::string out;
  for (const CardSpan& s : card_fields(line)) {
    static constexpr char kLetters[] = "cLOnNlp";
    out += std::to_string(s.first) + "-" + std::to_string(s.last) + kLetters[static_cast<int>(s.kind)] + " ";
  }
  return out;
}

TEST(CardFields, ColumnsAsTheAssemblerReadsThem) {
  // Label, operation, operand tokens, remarks.
  EXPECT_EQ(kinds("     LOOP      A    @1@,N             N = N + 1"),
            "6-9L 16-16O 21-23l 24-24p 25-25n 39-39c 41-41c 43-43c 45-45c 47-47c ");
  // One blank after a comma continues the field; two end it.
  EXPECT_EQ(kinds("               MCW  A, B  C"), "16-18O 21-21n 22-22p 24-24n 27-27c ");
  // A slipped operand is a remark; lower case is read as upper case.
  EXPECT_EQ(kinds("               mcw   msg,211"), "16-18O 22-28c ");
  // A character literal runs to the last @ of the card, blanks included.
  EXPECT_EQ(kinds("               DCW  @A B@ X@"), "16-18O 21-28l ");
  // Comment cards, columns 1-5 and columns past 80.
  EXPECT_EQ(kinds("     * A COMMENT"), "6-6c 8-8c 10-16c ");
  EXPECT_EQ(kinds("12345" + std::string(70, ' ') + "IDENT   TAIL"), "1-5c 76-80c 84-87c ");
  EXPECT_EQ(kinds(""), "");
}

TEST(FormatCard, MovesFieldsIntoTheirColumns) {
  const std::pair<std::string, std::string> cases[] = {
      // Already in columns: untouched, trailing blanks and all.
      {"     LOOP      A    @1@,N             N = N + 1", "     LOOP      A    @1@,N             N = N + 1"},
      {"               H                      STOP  ", "               H                      STOP  "},
      {"     * COMMENT\tTAB", "     * COMMENT  TAB"},
      // TABs as field separators.
      {"LOOP\tA\t@1@,N\tN = N + 1", "     LOOP      A    @1@,N   N = N + 1"},
      {"\tMCW\tMSG,211", "               MCW  MSG,211"},
      {"\tH\t\t\tSTOP", "               H                STOP"},
      {"START\tCS\t332", "     START     CS   332"},
      // Operand one or two columns late, label left of column 6.
      {"               MCW   MSG,211", "               MCW  MSG,211"},
      {"LOOP           B    LOOP", "     LOOP      B    LOOP"},
      // An operation that takes no operand keeps its remark a remark.
      {"\tCC\t1", "               CC   1"},
      {"*\tCOMMENT", "     *  COMMENT"},
      {"  \t* COMMENT", "     * COMMENT"},
      // JOB: the rest of the card is the heading, blanks and all.
      {"\tJOB\tMY  PROGRAM", "               JOB  MY  PROGRAM"},
      // Fields too long to fit are left alone (TABs still expanded).
      {"\tTOOLONGOP\tX", "        TOOLONGOP       X"},
      {"\t", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(format_card(in), out) << in;
}

TEST(FormatCard, IsStable) {
  for (const std::string line : {"LOOP\tA\t@1@,N\tN", "\tMCW\tA,B", "  X  Y  Z", "\t\t\t\t\t\t\t\t\t\t\tX"}) {
    const std::string once = format_card(line);
    EXPECT_EQ(format_card(once), once) << line;
  }
}

}  // namespace
}  // namespace velumar::lsp
