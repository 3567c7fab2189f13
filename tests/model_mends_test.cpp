// Results that values used as markers once made wrong, and trace lines the
// lexer owes: each case assembles a small deck in memory and checks what
// the fault changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/harness.h"

namespace velumar {
namespace {

using e2e::card;

// A run in memory and the listing it wrote.
struct Result : e2e::Outcome {
  std::string listing;
};

Result assemble(const std::string& deck, std::vector<std::string> options = {}) {
  const e2e::TempDir dir;
  const std::filesystem::path listing = dir.path() / "deck.lst";
  options.insert(options.end(), {"-l", listing.string()});
  return {e2e::assemble(options, deck), e2e::read_file(listing)};
}

// The listing line that holds `text`.
std::string line_with(const std::string& listing, const std::string& text) {
  std::istringstream in(listing);
  for (std::string l; std::getline(in, l);)
    if (l.find(text) != std::string::npos) return l;
  return {};
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string saturated_deck() {
  std::string deck;
  for (int i = 0; i < 1001; ++i) deck += card("", "DS", "999999");
  return deck + card("", "DCW", "#20") + card("", "END");
}

struct Case {
  const char* name;
  std::string deck;
  std::vector<std::string> options;
  std::function<void(const Result&)> check;
};

TEST(ModelMends, EachFaultStaysMended) {
  const std::vector<Case> cases = {
      {"an offset of 100000 is an offset, not the X00 rounding",
       card("", "ORG", "450&100000") + card("A", "DCW", "@X@") + card("", "END"),
       {},
       [](const Result& o) {
         EXPECT_NE(line_with(o.listing, "DCW   @X@").find("100450"), std::string::npos) << o.listing;
         EXPECT_NE(o.out.find("CORE STORAGE EXCEEDED"), std::string::npos);
       }},
      {"a value far below storage is defined, not undefined",
       card("NEG", "EQU", "5-30010") + card("", "B", "NEG") + card("", "END"),
       {},
       [](const Result& o) {
         EXPECT_NE(o.err.find("address -30005 of operand 1 cannot be represented"), std::string::npos) << o.err;
         EXPECT_EQ(o.err.find("undefined symbol"), std::string::npos) << o.err;
         EXPECT_EQ(o.out.find("Undefined or unresolvable"), std::string::npos);
       }},
      {"the passes agree where locations saturate", saturated_deck(), {},
       [](const Result& o) { EXPECT_EQ(o.disagreement, ""); }},
      {"a duplicate label on an EQU of an undefined symbol lists no location",
       card("A", "NOP") + card("A", "EQU", "B") + card("", "END"),
       {},
       [](const Result& o) {
         const std::string equ = line_with(o.listing, "EQU   B");
         ASSERT_FALSE(equ.empty()) << o.listing;
         EXPECT_EQ(equ.find("333"), std::string::npos) << equ;
       }},
      {"a pool lexes the name of each address constant, in pass 1 and in pass 2",
       card("", "MCW", "&A,B") + card("A", "DCW", "1") + card("B", "DCW", "2") + card("", "END"),
       {"-Tl"},
       [](const Result& o) { EXPECT_EQ(count(o.out, "Lexer: token = A = NAME"), 4u) << o.out; }},
      {"a missing operand ends the operand list after the token that shows it",
       card("", "C", ",47,X") + card("", "END"),
       {"-Tl"},
       [](const Result& o) {
         EXPECT_NE(o.out.find("Operand missing"), std::string::npos);
         EXPECT_EQ(o.out.find("Lexer: token = 47 = NUMBER\n"
                              "Lexer: token = , = COMMA"),
                   std::string::npos)
             << o.out;
         EXPECT_EQ(count(o.out, "Lexer: token = , = COMMA"), 1u) << o.out;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.check(assemble(c.deck, c.options));
  }
}

}  // namespace
}  // namespace velumar
