// The storage reports, one rule each: CORE STORAGE EXCEEDED once a job at
// the first statement past 15999, whatever was reported before it; a
// location counter below storage once, at the origin that takes it there;
// the first flag of a statement stays, whichever path finds a storage fault
// later; one message for one fault. Each deck's standard output is given
// whole, and its report on standard error by its headlines.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "driver/run.h"
#include "tests/support/harness.h"

namespace velumar {
namespace {

using e2e::card;
using e2e::report_headlines;

struct StorageCase {
  const char* name;
  std::string deck;
  std::string out;               ///< standard output, whole
  std::vector<std::string> err;  ///< the headlines on standard error
};

// "    N: text" and its 109-column record, as standard output gives a
// message of pass 3 when there is no listing.
std::string console(int statement, std::string_view text) {
  std::string number = std::to_string(statement);
  std::string line = std::string(5 - number.size(), ' ') + number + ": " + std::string(text) + "\n";
  std::string record = "ERROR******* " + std::string(text);
  record.resize(90, ' ');
  return line + record + "0" + std::string(6 - number.size(), ' ') + number + "     0     0\n";
}

const std::string kNoStart =
    "<stdin>:{}:16: warning: END names no start address: the object deck loads the program but does not start it";

std::string no_start(int line) {
  std::string t = kNoStart;
  t.replace(t.find("{}"), 2, std::to_string(line));
  return t;
}

const std::vector<StorageCase> kCases = {
    // The counter below storage no longer stands for the storage limit:
    // the constant cut at 15999 has its own report, on both outputs.
    {"counter_below_storage_does_not_hide_the_storage_limit",
     card("", "ORG", "0-5") + card("", "ORG", "F") + card("", "DCW", "@AB@") + card("F", "EQU", "15999") +
         card("", "END"),
     console(5, "Location counter -5 is outside storage") + console(5, "CORE STORAGE EXCEEDED") +
         console(5, "    4 Errors"),
     {"<stdin>:1:16: error: Location counter -5 is outside storage",
      "<stdin>:3:16: error: CORE STORAGE EXCEEDED: this is the first statement to place code or data beyond 15999, "
      "the last position of storage",
      "<stdin>:3: note: storage is positions 0-15999: start the program lower (ORG) or make it shorter", no_start(5),
      "<stdin>:5:21: note: write the label of the first instruction to run in column 21, as in 'END  START'",
      "<stdin>: 2 errors, 1 warning (standard output says 4 Errors: it counts each message as often as it is raised, "
      "and each statement with an error flag once more)"}},
    // Where an undefined origin left the counter, an origin relative to it
    // moves nothing into storage: the undefined origin is the one fault.
    {"no_report_where_an_undefined_origin_left_the_counter",
     card("", "ORG", "UND") + card("", "NOP") + card("", "ORG", "*&5") + card("", "END"),
     console(4, "Undefined or unresolvable symbols") + console(4, "    2 Errors"),
     {"<stdin>:1:21: error: origin UND is undefined", no_start(4),
      "<stdin>:4:21: note: write the label of the first instruction to run in column 21, as in 'END  START'",
      "<stdin>: error: Undefined or unresolvable symbols: UND", "<stdin>: 2 errors, 1 warning"}},
    {"counter_below_storage_once_until_it_comes_back",
     card("START", "ORG", "0-5") + card("", "ORG", "0-8") + card("", "ORG", "500") + card("", "ORG", "*-600") +
         card("", "END", "START"),
     console(5, "Location counter -5 is outside storage") + console(5, "Location counter -100 is outside storage") +
         console(5, "    4 Errors"),
     {"<stdin>:1:6: error: Location counter -5 is outside storage",
      "<stdin>:4:16: error: Location counter -100 is outside storage",
      "<stdin>: 2 errors (standard output says 4 Errors: it counts each message as often as it is raised, and each "
      "statement with an error flag once more)"}},
    // The first flag of a statement stays: an undefined symbol in the read
    // area, a duplicate label on an origin below storage.
    {"first_flag_stays_on_every_path",
     card("START", "ORG", "40") + card("", "B", "NOWHERE") + card("START", "ORG", "0-5") + card("", "ORG", "15997") +
         card("", "B", "NOWHERE") + card("", "END", "START"),
     "    3: Label START is a duplicate\n" "    6: CORE STORAGE EXCEEDED\n" +
         console(6, "Location counter -5 is outside storage") + console(6, "    6 Errors"),
     {"<stdin>:2:21: error: undefined symbol NOWHER", "<stdin>:3:6: error: Label START is a duplicate",
      "<stdin>:1:6: note: first defined here", "<stdin>:3:6: error: Location counter -5 is outside storage",
      "<stdin>:5:16: error: CORE STORAGE EXCEEDED: this is the first statement to place code or data beyond 15999, "
      "the last position of storage",
      "<stdin>:5: note: storage is positions 0-15999: start the program lower (ORG) or make it shorter",
      "<stdin>:5:21: error: undefined symbol NOWHER",
      "<stdin>: 5 errors (standard output says 6 Errors: it counts each message as often as it is raised, and each "
      "statement with an error flag once more)"}},
    // The token after the adjustment is read twice; its fault is counted once.
    {"empty_literal_after_an_adjustment_once", card("A", "DSA", "*-2@@") + card("", "END"),
     "    1: Zero-length character literal\n    1: Junk after the operand for DSA\n" + console(2, "    3 Errors"),
     {"<stdin>:1:6: error: Junk after the operand for DSA", "<stdin>:1:24: error: Zero-length character literal",
      no_start(2), "<stdin>:2:21: note: write the label of the first instruction to run in column 21, as in 'END  START'",
      "<stdin>: 2 errors, 1 warning (standard output says 3 Errors: it counts each message as often as it is raised, "
      "and each statement with an error flag once more)"}},
    // An origin relative to a counter below storage, or to a symbol defined
    // below it, leaves nothing to resolve: no symbol heading that names none.
    {"no_symbol_heading_for_a_counter_below_storage", card("", "ORG", "0-5") + card("", "ORG", "*-3") + card("", "END"),
     console(3, "Location counter -5 is outside storage") + console(3, "    2 Errors"),
     {"<stdin>:1:16: error: Location counter -5 is outside storage", no_start(3),
      "<stdin>:3:21: note: write the label of the first instruction to run in column 21, as in 'END  START'",
      "<stdin>: 1 error, 1 warning (standard output says 2 Errors: it counts each message as often as it is raised, "
      "and each statement with an error flag once more)"}},
    {"no_symbol_heading_for_an_origin_defined_below_storage",
     card("F", "EQU", "0-5") + card("", "ORG", "F") + card("", "END"), console(3, "    1 Errors"),
     {"<stdin>:2:21: error: origin F is undefined", no_start(3),
      "<stdin>:3:21: note: write the label of the first instruction to run in column 21, as in 'END  START'",
      "<stdin>: 1 error, 1 warning"}},
};

class StorageReports : public ::testing::TestWithParam<StorageCase> {};

TEST_P(StorageReports, OneReportPerFault) {
  const StorageCase& c = GetParam();
  std::istringstream in(c.deck);
  std::ostringstream out, err;
  char name[] = "velumar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(velumar_main(1, argv, in, out, err, false), 1);
  EXPECT_EQ(out.str(), c.out);
  EXPECT_EQ(report_headlines(err.str()), c.err) << err.str();
}

INSTANTIATE_TEST_SUITE_P(Decks, StorageReports, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The listing names the first flag: SYM in the read area and past 15999,
// LABEL on the origin below storage.
TEST(StorageFlags, ListingKeepsTheFirstFlag) {
  e2e::TempDir dir;
  const std::string listing = (dir.path() / "out.lst").string();
  std::istringstream in(kCases[3].deck);
  std::ostringstream out, err;
  std::vector<std::string> args = {"velumar", "-l", listing};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ASSERT_EQ(velumar_main(3, argv.data(), in, out, err, false), 1);
  std::vector<std::string> words;
  std::istringstream lines(e2e::read_file(listing));
  for (std::string l; std::getline(lines, l);)
    if (l.size() > 100 && (l.starts_with("  102") || l.starts_with("  103") || l.starts_with("  105")))
      words.push_back(std::string(rtrim(std::string_view(l).substr(117))));
  EXPECT_EQ(words, (std::vector<std::string>{"SYM", "LABEL", "SYM"}));
}

}  // namespace
}  // namespace velumar
