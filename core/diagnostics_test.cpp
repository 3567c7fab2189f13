#include "core/diagnostics.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace velumar {
namespace {

// The table: every identifier named once, every flag its own row, and the
// texts filled in from the arguments in order.
TEST(DiagnosticTable, RowsAreIdentifiedAndFilled) {
  std::set<std::string_view> names;
  std::set<char> flags;
  for (int i = 1; i <= static_cast<int>(DiagId::MoreBytesNotReported); ++i) {
    const DiagInfo& row = diag_info(static_cast<DiagId>(i));
    EXPECT_EQ(static_cast<int>(row.id), i);
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    EXPECT_FALSE(row.historic.empty() && row.wording.empty()) << row.name;
    if (row.flag == '\0') continue;
    EXPECT_TRUE(flags.insert(row.flag).second) << row.name;
    EXPECT_EQ(flag_info(row.flag), &row);
  }
  EXPECT_EQ(to_string(DiagId::Unclassified), "");
  EXPECT_EQ(to_string(DiagId::OperandMissing), "operand-missing");
  EXPECT_EQ(flag_info(err::NoErr), nullptr);
  EXPECT_EQ(flag_word(err::NoErr), "");
  EXPECT_EQ(flag_word('X'), "");

  struct Case {
    Diagnostic d;
    const char* historic;
    const char* message;
    std::size_t notes;
  };
  const Case cases[] = {
      {diagnose(DiagId::DefinitionMoved, {"START", "333", "338"}),
       "Definition of START (333) different from current P (338)",
       "Definition of START (333) different from current P (338)", 0},
      {diagnose(DiagId::UnresolvedSymbols, {": X, Y"}), "Undefined or unresolvable symbols",
       "Undefined or unresolvable symbols: X, Y", 0},
      {diagnose(DiagId::ImproperOperandFor), "Improper operand for ", "Improper operand for ", 0},
      {diagnose(DiagId::ReadArea), "", "the statement places code or data in positions 1-80, where each card read is "
       "stored (flagged ADDR)", 1},
      {diagnose(DiagId::OutsideStorage), "", "the statement places code or data outside storage, which is positions "
       "0-15999 (flagged ADDR)", 0},
      {diagnose(DiagId::Overcall), "", "the statement is in error (flagged BAD STATEMENT)", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.d.historic, c.historic);
    EXPECT_EQ(c.d.message, c.message);
    EXPECT_EQ(c.d.notes.size(), c.notes);
  }
  EXPECT_EQ(flag_word(err::OutsideStorage), flag_word(err::AddrErr));
}

// The sink counts errors, not warnings nor what is only reported, and
// places each diagnostic at the statement being processed.
TEST(Diagnostics, RaiseCountsAndLocates) {
  struct Forms : DiagnosticRenderer {
    std::vector<Diagnostic> seen;
    void render(const Diagnostic& d) override { seen.push_back(d); }
  } forms;
  Diagnostics diag;
  diag.render_historic_with(&forms);
  diag.begin_job();
  diag.begin_statement(7);
  diag.locate(12, "     A         MCW  B,C", 1);
  diag.do_error(diagnose(DiagId::JunkAfterLabel).at(12, 15));
  EXPECT_FALSE(diag.statement_failed());
  diag.do_error(diagnose(DiagId::OperandMissing).in_field(2));
  diag.report_here(diagnose(DiagId::UndefinedSymbol, {"B"}));
  EXPECT_TRUE(diag.statement_failed());
  EXPECT_EQ(diag.errors_in_job(), 1);
  ASSERT_EQ(forms.seen.size(), 2u);  // what has no historic text has no historic forms
  EXPECT_EQ(forms.seen[1].statement, 7);
  EXPECT_EQ(forms.seen[1].line, 12);
  EXPECT_EQ(forms.seen[1].field, 2);
  EXPECT_EQ(forms.seen[1].id, DiagId::OperandMissing);
  EXPECT_EQ(diag.reporter().errors(), 2);
  EXPECT_EQ(diag.reporter().warnings(), 1);
}

Diagnostic reported(Severity severity, const char* message, long long line, int col) {
  return make_diagnostic(severity, message, line, col, col);
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
    rep.report(reported(c.severity, c.message, c.line, c.col));
    shown += c.shown ? 1 : 0;
  }
  EXPECT_EQ(rep.errors() + rep.warnings(), shown);
  for (long long line : {0, 5, 12, 13, 40}) EXPECT_TRUE(rep.error_shown(line)) << line;
  for (long long line : {1, 11, 20, 41}) EXPECT_FALSE(rep.error_shown(line)) << line;
  // Nothing is shown before the job ends; then each once, in line and
  // column order, what concerns the whole file last.
  EXPECT_EQ(out.str(), "");
  rep.end_job();
  EXPECT_EQ(out.str(),
            "p.s:5:6: error: duplicate\n"
            "p.s:12:16: error: bad operation\n"
            "p.s:12:16: error: bad operand\n"
            "p.s:12:21: error: bad operation\n"
            "p.s:13:16: error: bad operation\n"
            "p.s:20:16: warning: bad operation\n"
            "p.s:40:21: error: bad operand\n"
            "p.s: error: undefined\n"
            "p.s: 7 errors, 1 warning\n");
  rep.begin_job();
  EXPECT_FALSE(rep.error_shown(12));
  rep.report(reported(Severity::Error, "bad operation", 12, 16));
  EXPECT_EQ(rep.errors(), 1);  // a new job shows it again
}

}  // namespace
}  // namespace velumar
