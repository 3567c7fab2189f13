// End to end: the SimH harness on a hand-made deck, and the sample programs
// assembled and run from cards and from tape through velumar-run: the SimH
// 1401 must print what each program's .print file says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(VELUMAR_SOURCE_DIR) / "examples";

std::string card(std::string_view text, int seq) {
  std::string c(text);
  c.resize(71, ' ');
  std::string num = std::to_string(seq);
  return c + std::string(4 - num.size(), '0') + num + "     \n";
}

// The harness itself, proved on a deck made by hand: the loader cards of a
// 16000-position machine (clear storage 1 and 2 with I9I, the bootstrap),
// one self-loading card that puts M346205 (move HELLO to the print area),
// W, H and the DCW HELLO at 333-346 with word marks at 340, 341 and 342,
// and the transfer card that clears 080 downward and branches to 333.
TEST(SimhHarness, HandMadeDeckPrintsHello) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  TempDir dir;
  std::string deck;
  deck += card(",008015,022026,030037,044,049,053053N000000N00001026", 1);
  deck += card("L068116,105106,110117B101/I9I#071029C029056B026/B001/0991,001/001117I0?", 2);
  deck += card(",008015,022029,036040,047054,061068,072/061039              ,0010011040", 3);
  deck += card("M3462052.HELLO                         L014346,340341,342040,0400401040", 4);
  deck += card("                                       /333080", 5);
  std::ofstream(dir.path() / "hand.obj") << deck;

  SimhRun run = boot_deck(dir.path() / "hand.obj", dir.path());
  EXPECT_EQ(run.printed, std::vector<std::string>{"HELLO"}) << run.console;
  EXPECT_NE(run.console.find("HALT instruction"), std::string::npos) << run.console;
}

TEST(SimhHarness, TapeImageFraming) {
  // "ABC" is 3 characters: length, codes 49 50 51, a pad byte, length; then
  // the next record, and the closing tape mark.
  std::string image = tape_image("  3 61ABC\n  2 61=}\n");
  const std::string expected = std::string("\3\0\0\0", 4) + "\x31\x32\x33" + std::string(1, '\0') +
                               std::string("\3\0\0\0", 4) + std::string("\2\0\0\0", 4) + "\x1d\x3f" +
                               std::string("\2\0\0\0", 4) + std::string(4, '\0');
  EXPECT_EQ(image, expected);
}

std::vector<std::string> example_names() {
  std::vector<std::string> names = stems(kExamples, ".s");
  std::erase_if(names, [](const std::string& n) { return !fs::exists(kExamples / (n + ".print")); });
  return names;
}

class Example : public ::testing::TestWithParam<std::string> {};

// Through velumar-run, which also puts the data cards NAME.dat, when there
// are some, behind the deck in the card reader.
TEST_P(Example, PrintsWhatItShouldFromCardsAndTape) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  const std::string name = GetParam();
  const fs::path data = kExamples / (name + ".dat");
  std::string args = fs::exists(data) ? " -d " + shell_quote(data.string()) : "";
  args += " " + shell_quote((kExamples / (name + ".s")).string());
  TempDir dir;
  const fs::path out = dir.path() / "out.txt", err = dir.path() / "err.txt";
  for (const std::string boot : {"", " --tape"}) {
    EXPECT_EQ(run_command(shell_quote(VELUMAR_RUN) + boot + args + " >" + shell_quote(out.string()) + " 2>" +
                          shell_quote(err.string())),
              0)
        << boot << read_file(err);
    EXPECT_EQ(read_file(out), read_file(kExamples / (name + ".print"))) << boot << read_file(err);
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, Example, ::testing::ValuesIn(example_names()), test_name);

}  // namespace
}  // namespace velumar::e2e
