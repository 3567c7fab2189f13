// The listing: statement lines in their print positions, pages and their
// carriage control, comment and diagnostic lines, error words, the object
// card column, and the symbol table at the end.
#include <gtest/gtest.h>

#include "pass3/test_support.h"

namespace velumar {
namespace {

using p3test::at;
using p3test::card;
using p3test::end_record;
using p3test::instr;
using p3test::Job;

using p3test::record;

bool is_page_line(const std::string& l) { return at(l, 107, 110) == "PAGE"; }

const std::string kColumnHeading =
    "0 SEQ PG LIN  LABEL  OP    OPERANDS" + std::string(44, ' ') + "SFX CT  LOCN  INSTRUCTION TYPE  CARD";

TEST(Pass3Listing, PageLineAndStatementLineLayout) {
  Job job;
  const int out = job.sym("OUT", 700);
  const int data = job.sym("DATA", 600);
  const int start = job.sym("START", 333);
  std::string job_card = card("", "JOB", "PAYROLL");
  job_card.replace(75, 5, "PAY01");
  job.add(record(job_card, 0));
  for (int i = 0; i < 3; ++i) job.add(record(card("*", "", "NOTE"), 0));
  job.add(record(card("", "SFX", "A"), 0));
  std::string line = card("START", "MCW", "DATA,OUT");
  line.replace(0, 5, "01020");
  job.add(record(line, 7, {opnd(OperandKind::Symbolic, data), opnd(OperandKind::Symbolic, out)}, start));
  job.add(end_record());
  job.run();

  const auto list = job.listing();
  EXPECT_EQ(list[0], std::string(27, ' ') + pad("PAYROLL", 52) + std::string(7, ' ') + "PAY01" +
                         std::string(15, ' ') + "PAGE    1");
  EXPECT_EQ(list[1], kColumnHeading);
  EXPECT_EQ(list[2], "");
  EXPECT_EQ(at(list[3], 1, 26), "  101" + std::string(16, ' ') + "JOB  ");  // no second page for JOB
  EXPECT_EQ(list[4], "  102" + std::string(9, ' ') + "*" + std::string(14, ' ') + "NOTE");
  EXPECT_EQ(list[8], "  106 01 020  START  MCW   " + pad("DATA,OUT", 52) + " A" + "   7  0333  M 600 700   " +
                         std::string(5, ' ') + "    1");
}

TEST(Pass3Listing, PagesHoldMaxLineLinesWithCarriageControl) {
  for (char loader : {'N', 'I'}) {
    Job job;
    job.ctx.settings.boot_loader = loader;
    job.ctx.settings.max_line = 10;
    for (int i = 0; i < 16; ++i) job.add(instr("A"));
    job.add(end_record());
    job.run();

    std::vector<int> per_page;
    std::vector<char> control;
    for (const std::string& l : job.listing()) {
      if (is_page_line(l)) {
        per_page.push_back(0);
        control.push_back(l[0]);
      } else if (!per_page.empty() && at(l, 5, 5)[0] >= '0' && at(l, 5, 5)[0] <= '9') {
        ++per_page.back();
      }
    }
    ASSERT_GE(per_page.size(), 3u);
    EXPECT_EQ(control[0], loader == 'N' ? ' ' : '0');
    EXPECT_EQ(control[1], '1');
    if (loader == 'N') {
      EXPECT_EQ(per_page[0], 7);  // 3 heading lines + 7 = 10
      EXPECT_EQ(per_page[1], 7);
    }
  }
}

TEST(Pass3Listing, CardColumnNamesTheCardThatHoldsTheStatement) {
  auto program = [](Job& job) {
    const int x = job.sym("X", 600);
    for (int i = 0; i < 5; ++i)
      job.add(record(card("", "MCW", "X,X"), 7, {opnd(OperandKind::Symbolic, x), opnd(OperandKind::Symbolic, x)}));
    job.add(record(card("", "B", "X"), 4, {opnd(OperandKind::Symbolic, x)}));  // 39 characters: the card is full
    job.add(instr("A"));
    job.add(end_record());
  };
  Job with_deck;
  program(with_deck);
  with_deck.run();
  EXPECT_EQ(at(with_deck.line_of("", "B"), 111, 115), "    1");
  EXPECT_EQ(at(with_deck.line_of("", "A"), 111, 115), "    2");

  Job without;
  program(without);
  without.run(true, false);
  EXPECT_TRUE(is_blank(at(without.line_of("", "B"), 111, 115)));
  EXPECT_EQ(at(without.line_of("", "B"), 86, 91), "  0368");
}

TEST(Pass3Listing, ErrorWordsAndNoTrailingBlanks) {
  Job job;
  const std::string codes = "123456789X";
  for (char c : codes) job.add(record(card("", "A", ""), 1, {}, 0, "     ", c));
  job.add(end_record());
  job.run();

  const std::vector<std::string> words = {"ADDR", "LABEL", "MACRO ERROR", "NO BXL",    "OP",
                                          "",     "SYM",   "UNDEF ORG",   "BAD STATEMENT", ""};
  const auto list = job.listing();
  for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(at(list[3 + i], 116, 130), "  " + pad(words[i], 13));
  for (const std::string& l : list) EXPECT_TRUE(l.empty() || l.back() != ' ') << '"' << l << '"';
  EXPECT_EQ(job.ctx.diag.errors_in_job(), 10);  // a code without a word still counts
}

TEST(Pass3Listing, WideValuesKeepTheirColumns) {
  Job job;
  const int here = job.sym("HERE", 333);
  job.add(record(card("HERE", "ORG", "12345"), 0, {opnd(OperandKind::Actual, 12345)}, here));
  job.add(record(card("", "DCW", "#9999"), 9999, {opnd(OperandKind::BlankCon, 9999)}));
  job.add(record(card("", "DC", "#10000"), 10000, {opnd(OperandKind::BlankCon, 10000)}, -100));
  job.add(record(card("", "ORG", "50"), 0, {opnd(OperandKind::Actual, 50)}));
  job.add(record(card("", "A", ""), 1));
  job.add(end_record());
  job.ctx.diag.set_storage_reported();  // by pass 1, which these records skip
  job.run(true, false);

  const auto list = job.listing();
  // Positions 82-98: count in 4, location in 6 and new location in 7
  // columns, at least 4 digits each.
  EXPECT_EQ(at(list[3], 82, 98), "      0333  12345");
  EXPECT_EQ(at(list[4], 82, 91), "9999 22343");
  EXPECT_EQ(at(list[5], 82, 91), "**** 10099");  // a count that does not fit
  EXPECT_EQ(at(list[6], 86, 98), "         0050");
  EXPECT_EQ(at(list[7], 82, 96), "   1  0050  A  ");
}

TEST(Pass3Listing, CommentsDiagnosticsAndTheSymbolTable) {
  Job job;
  job.sym("BETA", 500);
  job.sym("ALPHA", 400, 1);
  job.add(record(card("*", "", "A COMMENT"), 0));
  job.add(record("******* Undefined or unresolvable symbols", 0, {}, 0, "ERROR"));
  job.add(record(card("", "A", ""), 1));
  job.add(end_record());
  job.run();

  const auto list = job.listing();
  EXPECT_EQ(list[3], "  101" + std::string(9, ' ') + "*" + std::string(14, ' ') + "A COMMENT");
  EXPECT_EQ(list[4], pad("      ** ***  ** Undefined or unresolvable symbols", 105) + "ERROR");
  EXPECT_EQ(at(list[5], 1, 5), "  102");  // the diagnostic line takes no number

  const std::size_t n = list.size();
  ASSERT_GE(n, 3u);
  EXPECT_TRUE(is_page_line(list[n - 3]));
  EXPECT_EQ(list[n - 3][0], '1');
  std::string head = "0";
  for (int i = 0; i < 7; ++i) head += "SYMBOL  ADDRESS  ";
  EXPECT_EQ(list[n - 2], rtrim(head));
  EXPECT_EQ(list[n - 1].substr(0, 34), " ALPHA     400+X1 BETA      500   ");
}

}  // namespace
}  // namespace velumar
