// The historic forms of a statement diagnostic: the console line, and the
// second copy in the listing, the job's records or on standard output.
#include "output/diagnostic_forms.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/text.h"

namespace velumar {
namespace {

struct FormsFixture : ::testing::Test {
  std::ostringstream out;
  std::ostringstream listing;
  IntermediateFile scratch;
  HistoricForms forms{out, &scratch};
  Diagnostics diag;

  void SetUp() override {
    diag.render_historic_with(&forms);
    diag.begin_statement(7);
  }
};

TEST_F(FormsFixture, WithoutListingBothFormsGoToStdout) {
  diag.do_error(diagnose(DiagId::OperandMissing).in_field(2));
  diag.do_error(diagnose(DiagId::JunkAfterLabel));
  const std::string error_rec = "ERROR******* " + pad("Operand missing", 72) + "     0     7     2     0";
  const std::string warn_rec = "WARN ******* " + pad("Junk after the label, or in CC 12-15", 72) + "     0     7     0     0";
  EXPECT_EQ(out.str(), "    7: (2) Operand missing\n" + error_rec + "\n    7: Junk after the label, or in CC 12-15\n" +
                           warn_rec + "\n");
  EXPECT_EQ(error_rec.size(), 109u);
  EXPECT_EQ(diag.errors_in_job(), 1);
}

TEST_F(FormsFixture, ScratchKeepsTheRecordOutOfStdout) {
  forms.route_to(ErrorDest::Scratch);
  diag.do_error(diagnose(DiagId::InvalidLabel));
  EXPECT_EQ(out.str(), "    7: Invalid label\n");
  ASSERT_EQ(scratch.records().size(), 1u);
  const std::string rec = format_record(scratch.records()[0]);
  EXPECT_EQ(rec.size(), 109u);
  EXPECT_EQ(rec.substr(0, 26), "ERROR******* Invalid label");
}

TEST_F(FormsFixture, ListingLinePutsTheTagAtPosition106) {
  forms.route_to(ErrorDest::Listing, &listing);
  diag.do_error(diagnose(DiagId::UnresolvedSymbols, {": X"}));
  std::string line = listing.str();
  ASSERT_FALSE(line.empty());
  line.pop_back();  // newline
  EXPECT_EQ(line, pad("      *****  ** Undefined or unresolvable symbols", 105) + "ERROR");
  EXPECT_EQ(out.str(), "    7: Undefined or unresolvable symbols\n");
}

TEST_F(FormsFixture, NumbersThatDoNotFitPrintAsAsterisks) {
  diag.begin_statement(123456);
  diag.do_error(diagnose(DiagId::OperandMissing).in_field(12));
  EXPECT_EQ(out.str().substr(0, 26), "*****: (*) Operand missing");
}

TEST_F(FormsFixture, LongTextIsCutOnlyOnTheSecondCopy) {
  const std::string name(80, 'M');
  diag.do_error(diagnose(DiagId::MustBeLast, {name}));
  const std::string text = out.str();
  EXPECT_NE(text.find("    7: " + name + " must be last thing in operand\n"), std::string::npos);
  EXPECT_NE(text.find("ERROR******* " + std::string(72, 'M') + "     0"), std::string::npos);
}

}  // namespace
}  // namespace velumar
