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

}  // namespace
}  // namespace velumar
