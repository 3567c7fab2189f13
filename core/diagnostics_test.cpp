#include "core/diagnostics.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace velumar {
namespace {

struct DiagFixture : ::testing::Test {
  std::ostringstream out;
  std::ostringstream listing;
  std::vector<std::string> scratch;
  Diagnostics diag{out, [this](const StatementMessage& m) { scratch.push_back(Diagnostics::record_text(m)); }};

  void SetUp() override { diag.begin_statement(7); }
};

TEST_F(DiagFixture, ErrorCountsAndGoesToStdoutTwiceWithoutListing) {
  diag.do_error("Operand missing", 2);
  EXPECT_TRUE(diag.statement_failed());
  EXPECT_EQ(diag.errors_in_job(), 1);
  std::string expected_rec = "ERROR******* " + std::string("Operand missing") + std::string(72 - 15, ' ') +
                             "     0     7     2     0";
  EXPECT_EQ(out.str(), "    7: (2) Operand missing\n" + expected_rec + "\n");
  EXPECT_EQ(expected_rec.size(), 109u);
}

TEST_F(DiagFixture, WarningIsNotCountedButWrittenTwice) {
  diag.do_error("Junk after the label, or in CC 12-15", std::nullopt, true);
  EXPECT_FALSE(diag.statement_failed());
  EXPECT_EQ(diag.errors_in_job(), 0);
  std::string text = out.str();
  EXPECT_EQ(text.substr(0, 45), "    7: Junk after the label, or in CC 12-15\nW");
  EXPECT_NE(text.find("WARN ******* Junk"), std::string::npos);
  // No field: the third integer of the record is 0.
  EXPECT_NE(text.find("     0     7     0     0\n"), std::string::npos);
}

TEST_F(DiagFixture, ScratchDestinationKeepsTheRecordOutOfStdout) {
  diag.route_to(ErrorDest::Scratch);
  diag.do_error("Invalid label");
  EXPECT_EQ(out.str(), "    7: Invalid label\n");
  ASSERT_EQ(scratch.size(), 1u);
  EXPECT_EQ(scratch[0].size(), 109u);
  EXPECT_EQ(scratch[0].substr(0, 26), "ERROR******* Invalid label");
}

TEST_F(DiagFixture, ListingLinePutsSeverityAtColumn106) {
  diag.route_to(ErrorDest::Listing, &listing);
  diag.do_error("Undefined or unresolvable symbols");
  std::string line = listing.str();
  ASSERT_FALSE(line.empty());
  line.pop_back();  // newline
  EXPECT_EQ(line.substr(0, 16), "      *****  ** ");
  EXPECT_EQ(line.substr(16, 33), "Undefined or unresolvable symbols");
  EXPECT_EQ(line.size(), 110u);
  EXPECT_EQ(line.substr(105), "ERROR");
}

TEST_F(DiagFixture, NumbersThatDoNotFitPrintAsAsterisks) {
  diag.begin_statement(123456);
  diag.do_error("X", 12);
  EXPECT_EQ(out.str().substr(0, 12), "*****: (*) X");
}

TEST_F(DiagFixture, LongMessageIsCutOnlyOnTheSecondLine) {
  std::string msg(80, 'M');
  diag.do_error(msg);
  std::string text = out.str();
  EXPECT_NE(text.find("    7: " + msg + "\n"), std::string::npos);
  EXPECT_NE(text.find("ERROR******* " + std::string(72, 'M') + "     0"), std::string::npos);
}

// The report shows a diagnostic once per (line, first column, message) and
// remembers the lines with an error in whatever order they come: pass 2
// reports on line 0 after pass 1 has reported later lines.
TEST(Reporter, ShowsEachDiagnosticOnceAndKnowsItsErrorLines) {
  struct Case {
    long long line;
    int col;
    const char* message;
    Severity severity;
    bool shown;
  };
  const Case cases[] = {
      {12, 16, "bad operation", Severity::Error, true},   {40, 21, "bad operand", Severity::Error, true},
      {12, 16, "bad operation", Severity::Error, false},  {12, 21, "bad operation", Severity::Error, true},
      {13, 16, "bad operation", Severity::Error, true},   {0, 0, "undefined", Severity::Error, true},
      {20, 16, "bad operation", Severity::Warning, true}, {5, 6, "duplicate", Severity::Error, true},
      {0, 0, "undefined", Severity::Error, false},        {12, 16, "bad operand", Severity::Error, true},
  };
  std::ostringstream out;
  Reporter rep;
  rep.show_on(&out, "p.s", false);
  rep.begin_job();
  int shown = 0;
  for (const Case& c : cases) {
    const auto before = out.str().size();
    rep.report(make_diagnostic(c.severity, c.message, c.line, c.col, c.col));
    EXPECT_EQ(out.str().size() > before, c.shown) << c.line << ' ' << c.message;
    shown += c.shown ? 1 : 0;
  }
  EXPECT_EQ(rep.errors() + rep.warnings(), shown);
  for (long long line : {0, 5, 12, 13, 40}) EXPECT_TRUE(rep.error_shown(line)) << line;
  for (long long line : {1, 11, 20, 41}) EXPECT_FALSE(rep.error_shown(line)) << line;
  rep.begin_job();
  EXPECT_FALSE(rep.error_shown(12));
  rep.report(make_diagnostic(Severity::Error, "bad operation", 12, 16, 16));
  EXPECT_EQ(rep.errors(), 1);  // a new job shows it again
}

}  // namespace
}  // namespace velumar
