// Common mistakes, each in a small deck: standard error says exactly what
// is listed (where, how severe, the words, the notes, the count line) and
// nothing else, in line and column order.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "tests/support/harness.h"

namespace velumar {
namespace {

using e2e::card;
using e2e::report_headlines;

const std::string kStart = card("START", "CS", "332");
const std::string kEnd = card("", "END", "START");

struct Mistake {
  const char* name;
  std::string deck;
  std::vector<std::string> args;
  std::vector<std::string> reports;
};

const std::vector<Mistake> kMistakes = {
    {"operands_from_column_22", kStart + card("", "MCW", " START,211") + kEnd, {},
     {"<stdin>:2:22: warning: 'START,211' starts in column 22 and is read as a remark: the operands of MCW start in "
      "column 21",
      "<stdin>:2:21: note: move the operands to start in column 21", "<stdin>: 1 warning"}},
    {"single_operand_from_column_23", kStart + card("", "B", "  START") + kEnd, {},
     {"<stdin>:2:23: warning: 'START' starts in column 23 and is read as a remark: the operands of B start in column 21",
      "<stdin>:2:21: note: move the operands to start in column 21", "<stdin>: 1 warning"}},
    {"a_remark_after_a_chained_operation_is_fine", kStart + card("", "CS", " CLEAR") + kEnd, {}, {}},
    {"label_from_column_5", "    START      CS   332\n" + card("", "H") + kEnd, {},
     {"<stdin>:1:5: warning: label 'START' starts in column 5: the label field is columns 6-11, so it defines 'TART'",
      "<stdin>:1:5: note: move the label one column right, to start in column 6",
      "<stdin>:3:21: error: undefined symbol START", "<stdin>:3:21: note: did you mean 'TART'?",
      "<stdin>: 1 error, 1 warning"}},
    {"number_run_into_a_name", kStart + card("", "END", "1START"), {},
     {"<stdin>:2:21: warning: operand '1START' is the number 1 followed by letters, which are not read",
      "<stdin>:2:21: note: a symbol begins with a letter: write 'START' from column 21", "<stdin>: 1 warning"}},
    {"one_operand_too_many", kStart + card("", "MCW", "START,211,S,START") + kEnd, {},
     {"<stdin>:2:32: warning: MCW takes at most 3 operands: 'START' is not assembled",
      "<stdin>:2:32: note: remove the operands after the 3rd one", "<stdin>: 1 warning"}},
    {"literal_closed_in_the_remarks", kStart + card("", "MCW", "@HI,211          SAY @HELLO") + kEnd, {},
     {"<stdin>:2:21: warning: character literal runs past the blank in column 28 to the @ in column 47, which seems to "
      "belong to the remarks",
      "<stdin>:2:28: note: if the literal ends before column 28, close it there with @; a literal that holds blanks "
      "must end in an @ followed by a comma or a blank",
      "<stdin>:2:48: error: Character literals must be last thing in operand",
      "<stdin>: 1 error, 1 warning (standard output says 2 Errors: it counts each message as often as it is raised, "
      "and each statement with an error flag once more)"}},
    {"literal_with_blanks_is_fine", kStart + card("", "MCW", "@HI THERE@,211") + card("M", "DCW", "@A B@") + kEnd,
     {}, {}},
    {"end_without_start", kStart + card("", "END"), {},
     {"<stdin>:2:16: warning: END names no start address: the object deck loads the program but does not start it",
      "<stdin>:2:21: note: write the label of the first instruction to run in column 21, as in 'END  START'",
      "<stdin>: 1 warning"}},
    {"tabs_once_a_card_and_one_note",
     kStart + "\t\tMCW\tSTART,211\n" + "\tH\n" + kEnd, {},
     {"<stdin>:2:1: warning: column 1 holds a tab, which is read as one blank: the columns after it are shifted (the "
      "card holds 3 tabs)",
      "<stdin>:2:1: note: a card's fields stand in fixed columns: expand the tabs to blanks as the editor shows them "
      "(for instance 'expand prog.s > fixed.s')",
      "<stdin>:2:6: error: Invalid label", "<stdin>:2:6: error: Previous OP code not DA",
      "<stdin>:2:7: warning: Junk after the label, or in CC 12-15",
      "<stdin>:3:1: warning: column 1 holds a tab, which is read as one blank: the columns after it are shifted",
      "<stdin>:3: error: Previous OP code not DA",
      "<stdin>: 3 errors, 3 warnings (standard output says 5 Errors: it counts each message as often as it is raised, "
      "and each statement with an error flag once more)"}},
    {"unknown_operation_code_near_a_known_one", kStart + card("", "MVW", "START,211") + kEnd, {},
     {"<stdin>:2:16: error: Unrecognized op code",
      "<stdin>:2:16: note: the operation code in columns 16-20 reads 'MVW', which is not an operation the assembler "
      "knows",
      "<stdin>:2:16: note: did you mean 'MCW'?", "<stdin>: 1 error"}},
    {"undefined_symbol_near_a_defined_one", card("LOOP", "CS", "332") + card("", "B", "LOPO") + card("", "END", "LOOP"),
     {},
     {"<stdin>:2:21: error: undefined symbol LOPO", "<stdin>:2:21: note: did you mean 'LOOP'?", "<stdin>: 1 error"}},
    {"duplicate_label_points_at_the_first_and_does_not_cascade",
     kStart + card("LOOP", "MCW", "START,211") + card("LOOP", "H") + kEnd, {},
     {"<stdin>:3:6: error: Label LOOP is a duplicate", "<stdin>:2:6: note: first defined here",
      "<stdin>: 1 error (standard output says 3 Errors: it counts each message as often as it is raised, and each "
      "statement with an error flag once more)"}},
    {"line_order_whatever_pass_found_them", card("START", "B", "LOOP") + card("", "MCW", "X,211") + card("START", "H") +
         kEnd, {},
     {"<stdin>:1:21: error: undefined symbol LOOP", "<stdin>:2:21: error: undefined symbol X",
      "<stdin>:3:6: error: Label START is a duplicate", "<stdin>:1:6: note: first defined here",
      "<stdin>: 3 errors (standard output says 5 Errors: it counts each message as often as it is raised, and each "
      "statement with an error flag once more)"}},
    {"unterminated_literal", kStart + card("", "MCW", "@HI THERE,211") + kEnd, {},
     {"<stdin>:2:21: error: unterminated character literal in the A operand: no @ closes it",
      "<stdin>:2: note: a character literal ends with an @ followed by a comma or a blank, as in @HI THERE@,211",
      "<stdin>: 1 error (standard output says 2 Errors: it counts each message as often as it is raised, and each "
      "statement with an error flag once more)"}},
    {"missing_operand_after_the_comma", kStart + card("", "MCW", "START,  212") + kEnd, {},
     {"<stdin>:2:27: error: missing B operand: the operand field ends at the blank in column 27",
      "<stdin>:2:27: note: remove the blanks after the comma: the operand field ends at the first blank",
      "<stdin>: 1 error (standard output says 2 Errors: it counts each message as often as it is raised, and each "
      "statement with an error flag once more)"}},
    {"branch_without_its_d_modifier_is_one_mistake", kStart + card("", "BCE", "START,201") + kEnd, {},
     {"<stdin>:2:16: error: D field required: BCE takes a d-modifier, one character, as its last operand",
      "<stdin>: 1 error (standard output says 3 Errors: it counts each message as often as it is raised, and each "
      "statement with an error flag once more)"}},
    {"beyond_storage_names_the_first_statement_past_the_end",
     card("START", "ORG", "15995") + card("", "DCW", "@ABCD@") + card("", "DCW", "@EFGHIJ@") + card("", "DCW", "@XY@") +
         kEnd,
     {},
     {"<stdin>:3:16: error: CORE STORAGE EXCEEDED: this is the first statement to place code or data beyond 15999, "
      "the last position of storage",
      "<stdin>:3: note: storage is positions 0-15999: start the program lower (ORG) or make it shorter",
      "<stdin>:4:21: error: the statement places code or data outside storage, which is positions 0-15999 (flagged "
      "ADDR)",
      "<stdin>: 2 errors (standard output says 3 Errors: it counts each message as often as it is raised, and each "
      "statement with an error flag once more)"}},
    {"binary_input_refused_with_one_error", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\0", 12) + kStart + kEnd, {},
     {"<stdin>: error: the input is not text (it holds NUL bytes): nothing is assembled",
      "<stdin>: note: a program is read as lines of text, one card a line: check the file named on the command line",
      "<stdin>: 1 error"}},
    {"control_bytes_refused_without_a_nul", std::string(300, '\x01') + kStart + kEnd, {},
     {"<stdin>: error: the input is not text (most of its first bytes are not printable characters): nothing is "
      "assembled",
      "<stdin>: note: a program is read as lines of text, one card a line: check the file named on the command line",
      "<stdin>: 1 error"}},
    {"remarks_in_another_script_are_text", card("* \xCE\xA3\xCE\xA4\xCE\xA5 \xCE\xA3\xCE\xA4", "") + kStart + kEnd, {},
     {"<stdin>:1:8: warning: byte 0xCE is not a 1401 character (the card holds 8 such bytes)", "<stdin>: 1 warning"}},
    {"error_limit_ends_with_how_many_more",
     card("START", "NOP", "A1") + card("", "NOP", "A2") + card("", "NOP", "A3") + kEnd, {"--error-limit=2"},
     {"<stdin>:1:21: error: undefined symbol A1", "<stdin>:2:21: error: undefined symbol A2",
      "<stdin>: error limit reached: 1 more error not shown (--error-limit=2; 0 shows all)", "<stdin>: 3 errors"}},
    {"error_limit_0_shows_all",
     card("START", "NOP", "A1") + card("", "NOP", "A2") + kEnd, {"--error-limit", "0"},
     {"<stdin>:1:21: error: undefined symbol A1", "<stdin>:2:21: error: undefined symbol A2", "<stdin>: 2 errors"}},
};

class Mistakes : public ::testing::TestWithParam<Mistake> {};

TEST_P(Mistakes, ExactlyTheExpectedReports) {
  const Mistake& m = GetParam();
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "velumar");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::istringstream in(m.deck);
    std::ostringstream out, err;
    const int status = velumar_main(static_cast<int>(args.size()), argv.data(), in, out, err, false);
    return std::tuple(status, out.str(), err.str());
  };
  const auto [status, out, err] = run(m.args);
  EXPECT_EQ(report_headlines(err), m.reports) << err;
  // Standard output and the exit status are what they are without the report.
  std::vector<std::string> quiet = m.args;
  quiet.insert(quiet.begin(), "--no-diagnostics");
  const auto [quiet_status, quiet_out, quiet_err] = run(quiet);
  EXPECT_EQ(quiet_out, out);
  EXPECT_EQ(quiet_status, status);
  EXPECT_EQ(quiet_err, "");
}

// A card's bytes reach the terminal only as text: an escape sequence, a
// bell or a byte above 127 in a label, an operand or the remarks is shown
// as "?" in the card and in a message that quotes it, on standard error
// and in the console lines of standard output.
TEST(MistakesShown, NoControlBytesReachTheTerminal) {
  const std::string deck = card("L\x1B[31M", "B", "Q\x1B]0;X\x07Z") + card("", "MCW", "\x9B" "2J,211") + kStart + kEnd;
  std::istringstream in(deck);
  std::ostringstream out, err;
  char name[] = "velumar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(velumar_main(1, argv, in, out, err, false), 1);
  ASSERT_NE(err.str().find("<stdin>:1:"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("L?[31M"), std::string::npos) << err.str();
  for (const std::string& text : {err.str(), out.str()}) {
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      EXPECT_TRUE(c == '\n' || (byte >= 0x20 && byte < 0x7F)) << "byte " << int{byte} << " in:\n" << text;
    }
  }
  EXPECT_NE(out.str().find("    2: (1) ? must be last thing in operand\n"), std::string::npos) << out.str();
}

// An input that is not text is refused as an input that cannot be read:
// exit status 2, the lines of a read failure on standard output, no job.
TEST(MistakesShown, BinaryInputIsAFileFailure) {
  std::istringstream in(std::string("\x7F" "ELF\0\0\0\0", 8) + kStart + kEnd);
  std::ostringstream out, err;
  char name[] = "velumar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(velumar_main(1, argv, in, out, err, false), 2);
  EXPECT_EQ(out.str(), "While reading input\n\nNot a text file\nError status code = 2\n");
}

INSTANTIATE_TEST_SUITE_P(Decks, Mistakes, ::testing::ValuesIn(kMistakes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velumar
