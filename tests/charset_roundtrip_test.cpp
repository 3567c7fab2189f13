// The 64 characters through the whole chain: a program whose constants hold
// every character, written in the table's forms or in the second forms the
// assembler accepts, is assembled, booted on SimH from cards and from tape,
// and must print each character as itself. The deck and the tape file hold
// only the canonical forms, and the listing no byte that is no character.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "core/charset.h"
#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

// Prints the 64 characters, held as two constants of 32, at 201-264.
std::string program(const std::string& chars) {
  return card("START", "CS", "332") + card("", "CS", "") + card("", "MCW", "A1,232") + card("", "MCW", "A2,264") +
         card("", "W", "") + card("", "H", "") + card("A1", "DCW", "@" + chars.substr(0, 32) + "@") +
         card("A2", "DCW", "@" + chars.substr(32) + "@") + card("", "END", "START");
}

// The table's 64 forms with every second form in place of its first, and
// lower-case letters.
std::string second_forms() {
  std::string chars(BCD_TO_ASCII);
  for (char& c : chars) {
    switch (c) {
      case '\'': c = '|'; break;
      case '"': c = '}'; break;
      case '(': c = static_cast<char>(0xAC); break;
      case ')': c = static_cast<char>(0xA4); break;
      default:
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return chars;
}

struct Boot {
  const char* name;
  std::string chars;
  bool tape;
};

class CharacterSet : public ::testing::TestWithParam<Boot> {};

TEST_P(CharacterSet, EveryCharacterComesBackAsItself) {
  const Boot& boot = GetParam();
  TempDir dir;
  std::ofstream(dir.path() / "all.s", std::ios::binary) << program(boot.chars);
  const Outcome r = run_in(dir.path(), shell_quote(VELUMAR_EXE) + " -l all.lst -o all.obj -t all.tape all.s");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* output : {"all.obj", "all.tape"}) {
    const std::string text = read_file(dir.path() / output);
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c == '\n' || is_canonical(c) || c == '}'; }))
        << output;
  }
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  const SimhRun run = boot.tape ? boot_tape(dir.path() / "all.tape", dir.path()) : boot_deck(dir.path() / "all.obj", dir.path());
  std::string expected(BCD_TO_ASCII);
  // The tape's form of the blank is code 16 (the A bit alone): read from a
  // tape, it is a blank in storage.
  if (boot.tape) expected[16] = ' ';
  EXPECT_EQ(run.printed, std::vector<std::string>{expected}) << run.console;
}

INSTANTIATE_TEST_SUITE_P(Forms, CharacterSet,
                         ::testing::Values(Boot{"table_cards", std::string(BCD_TO_ASCII), false},
                                           Boot{"table_tape", std::string(BCD_TO_ASCII), true},
                                           Boot{"second_forms_cards", second_forms(), false},
                                           Boot{"second_forms_tape", second_forms(), true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CharacterSet, ListingShowsNoByteThatIsNoCharacter) {
  TempDir dir;
  const std::string escape = "\x1b[31m\x1b]0;TITLE\x07";
  std::ofstream(dir.path() / "esc.s", std::ios::binary)
      << card("START", "CS", "332") + card("", "MCW", "@A" + escape + "@,211   REMARK" + escape) +
             card("", "H", "") + card("", "END", "START");
  run_in(dir.path(), shell_quote(VELUMAR_EXE) + " -l esc.lst esc.s");
  const std::string listing = read_file(dir.path() / "esc.lst");
  ASSERT_NE(listing.find("REMARK"), std::string::npos) << listing;
  EXPECT_TRUE(std::all_of(listing.begin(), listing.end(), [](char c) { return c == '\n' || bcd_code(c) != 0 || c == ' '; }))
      << listing;
  EXPECT_NE(listing.find("@A?[31M?]0;TITLE?@,211   REMARK?[31M"), std::string::npos) << listing;
}

}  // namespace
}  // namespace velumar::e2e
