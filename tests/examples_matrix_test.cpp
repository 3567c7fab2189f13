// End to end under every loader and transfer option: each sample program is
// assembled with a set of command-line options, and its object deck and its
// tape file run on the SimH 1401, which must print the program's .print
// lines whatever the options. A few marks in the deck prove that an option
// really changed the cards, so that a silently ignored option cannot pass.
#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kVelumar = VELUMAR_EXE;
const fs::path kExamples = fs::path(VELUMAR_SOURCE_DIR) / "examples";

// Card texts that tell which loader and which transfer cards were punched.
const std::string kEx1 = ",015022)024056,029036,040047,0540611001,001008B001";
const std::string kReEx = ",008047/047046" + std::string(32, ' ') + ",054061,068072,0010401040";
const std::string kBootV = ",008047/047046" + std::string(7, ' ') + "/000H025B022100";
const std::string kCsV = ",008015,022026,030040/019,001L020100";
const std::string kCs1x4 = ",008015,019026,030,034041,045,053,0570571026";
const std::string kCs1x6 = ",008015,022026,030037,044,049,053053N000000N00001026";
const std::string kCs2x4 = "L068112,102106,113/101099/I99,";  // clears up to 3999
const std::string kCs2x8 = "L068116,105106,110117B101/I9Z#";  // clears up to 7999
const std::string kCs2x16 = "L068116,105106,110117B101/I9I#";  // clears up to 15999
// A card without data whose load instruction is the empty one but whose
// set-word-mark slots hold program addresses: queued word marks (-X4).
const std::string kQueueCard = std::string(39, ' ') + "L001001,3";
// The END transfer on a card of its own, blank data and "/" in column 40.
const std::string kEndCard = std::string(39, ' ') + "/";

struct Example {
  std::string name;
  bool has_ex;          // resumes loading after an EX
  bool end_slot_free;   // the last data card keeps its third set-word-mark slot
  bool overflows_card;  // some card needs more word marks than its slots
};

const std::vector<Example> kExampleSet = {
    {"hello", false, false, false},   {"literals", false, true, false}, {"area", false, true, false},
    {"exresume", true, true, false},  {"twoprog", true, false, false},  {"swmany", false, true, true},
};

struct Options {
  std::vector<std::string> args;
  char loader;  // I, B or V
  int core;     // for I: 4000, 8000 or 16000
  int extra;    // the -X bits
};

const std::vector<Options> kOptionSets = {
    {{}, 'I', 16000, 0},
    {{"-bB"}, 'B', 0, 0},
    {{"-bV"}, 'V', 0, 0},
    {{"-bI4"}, 'I', 4000, 0},
    {{"-bI8"}, 'I', 8000, 0},
    {{"-X1"}, 'I', 16000, 1},
    {{"-X2"}, 'I', 16000, 2},
    {{"-X4"}, 'I', 16000, 4},
    {{"-X7"}, 'I', 16000, 7},
    {{"-bB", "-X1"}, 'B', 0, 1},
    {{"-bV", "-X1"}, 'V', 0, 1},
    {{"-bV", "-X6"}, 'V', 0, 6},
    {{"-b", "I4", "-X3"}, 'I', 4000, 3},
    {{"-bI8", "-X5"}, 'I', 8000, 5},
    {{"-bB", "-X7"}, 'B', 0, 7},
};

struct Case {
  Example example;
  Options options;
};

std::vector<Case> all_cases() {
  std::vector<Case> cases;
  for (const Example& e : kExampleSet)
    for (const Options& o : kOptionSets) cases.push_back({e, o});
  return cases;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// What the options must have done to the deck of this example.
void expect_deck_marks(const Case& c, const std::string& deck) {
  const std::vector<std::string> cards = lines_of(deck);
  ASSERT_GE(cards.size(), 2u);
  auto starts = [](const std::string& card, const std::string& text) { return card.rfind(text, 0) == 0; };
  switch (c.options.loader) {
    case 'B':
      EXPECT_TRUE(starts(cards[0], kBootV)) << "the one-card boot first";
      break;
    case 'V':
      EXPECT_TRUE(starts(cards[0], kCsV)) << "the two-card boot-and-clear deck first";
      EXPECT_TRUE(starts(cards[1], kBootV));
      break;
    default: {
      EXPECT_TRUE(starts(cards[0], c.options.core <= 4000 ? kCs1x4 : kCs1x6)) << "the IBM loader first";
      const std::string& second = c.options.core == 4000 ? kCs2x4 : c.options.core == 8000 ? kCs2x8 : kCs2x16;
      EXPECT_TRUE(starts(cards[1], second)) << "the core size in the second loader card";
      break;
    }
  }
  const bool quick_ex = (c.options.extra & 1) != 0;
  if (c.example.has_ex) {
    EXPECT_EQ(contains(deck, kReEx), quick_ex) << "quick resume card";
    EXPECT_EQ(contains(deck, kEx1), !quick_ex) << "normal resume cards";
  }
  // Queued word marks drained at END can fill the last card's slots.
  const bool queue_used = (c.options.extra & 4) && c.example.overflows_card;
  if (!(c.options.extra & 2)) {
    EXPECT_TRUE(contains(deck, kEndCard)) << "END on a card of its own";
  } else if (c.example.end_slot_free && !queue_used) {
    EXPECT_FALSE(contains(deck, kEndCard)) << "quick END rides on the last data card";
  }
  if (queue_used) {
    EXPECT_TRUE(contains(deck, kQueueCard)) << "queued word marks on cards of their own";
  }
}

// Shown by the test framework for a failing case: the example and its options.
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.example.name;
  for (const std::string& a : c.options.args) *os << ' ' << a;
}

// exresume_bV_X1; hello_defaults.
std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  std::string id = info.param.example.name;
  if (info.param.options.args.empty()) return id + "_defaults";
  for (const std::string& a : info.param.options.args) {
    if (a.front() == '-') id += '_';
    for (char ch : a)
      if (ch != '-') id += ch;
  }
  return id;
}

class OptionMatrix : public ::testing::TestWithParam<Case> {};

TEST_P(OptionMatrix, PrintsTheSameFromCardsAndTape) {
  if (!simh_available()) GTEST_SKIP() << "i1401 is not installed";
  const Case& c = GetParam();
  const std::string& name = c.example.name;
  const std::vector<std::string> expected = lines_of(read_file(kExamples / (name + ".print")));
  ASSERT_FALSE(expected.empty()) << name << ".print is missing or empty";

  TempDir dir;
  const fs::path deck = dir.path() / (name + ".obj");
  const fs::path tape = dir.path() / (name + ".tape");
  std::string command = shell_quote(kVelumar.string());
  for (const std::string& a : c.options.args) command += " " + shell_quote(a);
  command += " -o " + shell_quote(deck.string()) + " -t " + shell_quote(tape.string()) + " " +
             shell_quote((kExamples / (name + ".s")).string()) + " > " +
             shell_quote((dir.path() / "assembler.txt").string());
  ASSERT_EQ(run_command(command), 0) << read_file(dir.path() / "assembler.txt");

  const std::string deck_text = read_file(deck);
  expect_deck_marks(c, deck_text);

  SimhRun from_cards = boot_deck(deck, dir.path());
  EXPECT_EQ(from_cards.printed, expected) << "cards\n" << from_cards.console << deck_text;

  SimhRun from_tape = boot_tape(tape, dir.path());
  EXPECT_EQ(from_tape.printed, expected) << "tape\n" << from_tape.console << read_file(tape);
}

INSTANTIATE_TEST_SUITE_P(Examples, OptionMatrix, ::testing::ValuesIn(all_cases()), case_name);

}  // namespace
}  // namespace velumar::e2e
