// The program description: symbols with their kind, definition and uses
// (which store and which read), statements with what they placed, storage
// ranges and diagnostics, per job.
#include "driver/program_info.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/deckgen.h"
#include "tests/support/harness.h"

namespace velumar {
namespace {

using e2e::card;

const std::string kProgram = card("START", "CS", "332") + card("", "MCW", "N,201") + card("LOOP", "A", "@1@,N") +
                             card("", "C", "N,LIMIT") + card("", "BU", "LOOP") + card("", "B", "GONE") +
                             card("N", "DCW", "0") + card("LIMIT", "EQU", "N") + card("BUF", "DS", "10") +
                             card("", "END", "START");

TEST(ProgramInfo, SymbolsKindsDefinitionsAndUses) {
  const ProgramInfo info = analyze(kProgram);
  ASSERT_EQ(info.jobs.size(), 1u);
  const JobInfo& job = info.jobs[0];
  struct Expect {
    std::string name;
    SymbolKind kind;
    std::optional<int> value;
    int width;
    long long defined_line;
    std::string uses;  // line:operand:r|s for each use
  };
  const Expect expected[] = {
      {"START", SymbolKind::Instruction, 333, 4, 1, "10:1:r"},
      {"LOOP", SymbolKind::Instruction, 344, 7, 3, "5:1:r"},
      {"N", SymbolKind::Constant, 367, 1, 7, "2:1:r 3:2:s 4:1:r 8:1:r"},
      {"LIMIT", SymbolKind::Equ, 367, 0, 8, "4:2:r"},
      {"BUF", SymbolKind::Area, 377, 10, 9, ""},
      {"GONE", SymbolKind::Undefined, std::nullopt, 0, 0, "6:1:r"},
      {"@1@", SymbolKind::Literal, 378, 1, 10, "3:1:r"},
  };
  for (const Expect& e : expected) {
    const SymbolInfo* s = find_symbol(job, e.name);
    ASSERT_NE(s, nullptr) << e.name;
    EXPECT_EQ(s->kind, e.kind) << e.name;
    EXPECT_EQ(s->value, e.value) << e.name;
    EXPECT_EQ(s->width, e.width) << e.name;
    EXPECT_EQ(s->definition ? s->definition->line : 0, e.defined_line) << e.name;
    std::string uses;
    for (const SymbolUse& u : s->uses)
      uses += (uses.empty() ? "" : " ") + std::to_string(u.span.line) + ":" + std::to_string(u.operand) + ":" +
              (u.access == Access::Store ? "s" : "r");
    EXPECT_EQ(uses, e.uses) << e.name;
  }
  // The use of N in "A @1@,N" is the name's own columns.
  const SymbolInfo* n = find_symbol(job, "N");
  EXPECT_EQ(n->uses[1].span.first_col, 25);
  EXPECT_EQ(n->uses[1].span.last_col, 25);
  EXPECT_EQ(n->definition->first_col, 6);
  EXPECT_EQ(job.start, 333);
  EXPECT_FALSE(job.diagnostics.empty());  // GONE is undefined
  EXPECT_EQ(job.diagnostics[0].line, 6);
}

TEST(ProgramInfo, StatementsPlaceCharactersAndRangesCoverThem) {
  const JobInfo job = analyze(kProgram).jobs.at(0);
  const StatementInfo& cs = job.statements.at(0);
  EXPECT_EQ(cs.op, "CS");
  EXPECT_EQ(cs.location, 333);
  EXPECT_EQ(cs.chars, "/332");
  EXPECT_EQ(cs.word_marks, "1000");
  const StatementInfo& n = job.statements.at(6);
  EXPECT_EQ(n.location, 367);
  EXPECT_EQ(n.first, 367);
  EXPECT_EQ(n.chars, "0");
  const StatementInfo& buf = job.statements.at(8);
  EXPECT_EQ(buf.first, 368);
  EXPECT_EQ(buf.last, 377);
  EXPECT_TRUE(buf.chars.empty());  // reserved, nothing placed
  ASSERT_EQ(job.ranges.size(), 4u);
  EXPECT_EQ(job.ranges[0].kind, "instructions");
  EXPECT_EQ(job.ranges[0].first, 333);
  EXPECT_EQ(job.ranges[0].last, 366);
  EXPECT_EQ(job.ranges[1].kind, "constants");
  EXPECT_EQ(job.ranges[2].kind, "area");
  EXPECT_EQ(job.ranges[3].kind, "literals");
  EXPECT_EQ(job.ranges[3].first, 378);
}

TEST(ProgramInfo, JobsDefineAreasAndUnfinishedInput) {
  const std::string two = card("", "JOB", "FIRST") + card("", "MCW", "F1,F2") + card("REC", "DA", "2X10,C") +
                          card("F1", "", "1,3") + card("F2", "", "4,10") + card("", "END") +
                          card("", "JOB", "SECOND") + card("X", "H");
  const ProgramInfo info = analyze(two, {"-bI4"});
  ASSERT_EQ(info.jobs.size(), 2u);
  EXPECT_EQ(info.jobs[0].name, "FIRST");
  EXPECT_EQ(info.jobs[0].core_size, 4000);
  EXPECT_TRUE(info.jobs[0].assembled);
  EXPECT_EQ(info.jobs[0].start, std::nullopt);  // END names none (the map writes null)
  EXPECT_EQ(analyze(card("", "H") + card("", "END", "0")).jobs[0].start, 0);
  const SymbolInfo* f2 = find_symbol(info.jobs[0], "F2");
  ASSERT_NE(f2, nullptr);
  EXPECT_EQ(f2->kind, SymbolKind::Area);
  ASSERT_EQ(f2->uses.size(), 1u);
  EXPECT_EQ(f2->uses[0].access, Access::Store);
  EXPECT_EQ(find_symbol(info.jobs[0], "REC")->kind, SymbolKind::Area);
  const StatementInfo& da = info.jobs[0].statements.at(2);
  EXPECT_EQ(da.last.value_or(0) - da.first.value_or(0) + 1, 20);
  EXPECT_EQ(info.jobs[1].name, "SECOND");
  EXPECT_FALSE(info.jobs[1].assembled);
  EXPECT_NE(find_symbol(info.jobs[1], "X"), nullptr);
}

TEST(ProgramInfo, AnyGeneratedDeckIsDescribedWithoutHarm) {
  for (std::uint64_t seed = 1; seed <= 100; ++seed) {
    const ProgramInfo info = analyze(deckgen::generate(seed).source);
    for (const JobInfo& job : info.jobs)
      for (const StatementInfo& s : job.statements)
        if (!s.chars.empty()) {
          EXPECT_EQ(s.chars.size(), s.word_marks.size());
          EXPECT_EQ(static_cast<int>(s.chars.size()), *s.last - *s.first + 1);
        }
  }
}

}  // namespace
}  // namespace velumar
