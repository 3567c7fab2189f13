// The features on hand-made models: the protocol is not involved.
#include "tools/lsp/features.h"

#include <gtest/gtest.h>

#include "tools/lsp/fixit.h"

namespace velumar::lsp {
namespace {

json range(int l1, int c1, int l2, int c2) {
  return {{"start", {{"line", l1}, {"character", c1}}}, {"end", {{"line", l2}, {"character", c2}}}};
}

// Diagnostics carry their range, severity and notes as related
// information; a card out of its columns gets an action that lays it out.
TEST(Features, DiagnosticsAndCodeActions) {
  const Document doc("file:///t.s", 1, "LOOP\tA\t@1@,N\n               END\n");
  ProgramInfo program;
  JobInfo job;
  job.statements.resize(2);
  job.statements[0].span = {1, 1, 80};
  job.statements[1].span = {2, 1, 80};
  Diagnostic tab = make_diagnostic(Severity::Warning, "byte 0x09 is not a 1401 character", 1, 5, 5);
  tab.notes.push_back({"column 5 holds a tab", 5, 5});
  job.diagnostics.push_back(tab);
  job.diagnostics.push_back(make_diagnostic(Severity::Error, "no start", 2, 0, 0));
  job.diagnostics.push_back(make_diagnostic(Severity::Note, "whole file"));
  program.jobs.push_back(job);
  const Model m{doc, program, Encoding::Utf16};

  const json d = diagnostics(m);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0]["range"], range(0, 4, 0, 5));
  EXPECT_EQ(d[0]["severity"], 2);
  EXPECT_EQ(d[0]["relatedInformation"][0]["message"], "column 5 holds a tab");
  EXPECT_EQ(d[0]["relatedInformation"][0]["location"]["range"], range(0, 4, 0, 5));
  EXPECT_EQ(d[1]["range"], range(1, 0, 1, 18));
  EXPECT_EQ(d[2]["range"], range(0, 0, 0, 0));
  EXPECT_EQ(d[2]["severity"], 3);

  const json actions = code_actions(m, {{0, 0}, {1, 0}});
  ASSERT_EQ(actions.size(), 1u);  // the END card is in its columns
  EXPECT_EQ(actions[0]["kind"], "quickfix");
  EXPECT_EQ(actions[0]["edit"]["changes"]["file:///t.s"][0]["newText"], "     LOOP      A    @1@,N");
  EXPECT_TRUE(code_actions(m, {{1, 0}, {1, 3}}).empty());
}

// Tokens are relative (line delta, start delta, length, type, modifiers),
// in the client's units: the é in columns 1-2 (two bytes, as the assembler
// counts) is one UTF-16 unit.
TEST(Features, SemanticTokens) {
  const Document doc("file:///t.s", 1, "\xC3\xA9   LOOP      B    LOOP,X  GO\n     * NOTE\n");
  const json t16 = semantic_tokens(doc, Encoding::Utf16)["data"];
  const std::vector<int> expected = {0, 0, 1, 0, 0,    // é: comment
                                     0, 4, 4, 1, 1,    // LOOP label (declaration)
                                     0, 10, 1, 2, 0,   // B
                                     0, 5, 4, 1, 0,    // LOOP operand
                                     0, 4, 1, 5, 0,    // ,
                                     0, 1, 1, 1, 0,    // X
                                     0, 3, 2, 0, 0,    // GO remark
                                     1, 5, 1, 0, 0,    // * NOTE
                                     0, 2, 4, 0, 0};
  EXPECT_EQ(t16.get<std::vector<int>>(), expected);
  const json t8 = semantic_tokens(doc, Encoding::Utf8)["data"];
  EXPECT_EQ(t8[2], 2);  // the é is two bytes long
}

TEST(Features, OperationHoverAndCompletionWithoutAssembly) {
  const Document doc("file:///t.s", 1, "               BCE  X,Y,Z\n               XYZ\n     * SW\n");
  const ProgramInfo none;
  const Model m{doc, none, Encoding::Utf16};
  const std::string bce = hover(m, {0, 16})["contents"]["value"];
  EXPECT_EQ(bce,
            "**BCE**: Branch if the character at the B-address equals the d-modifier\n\n"
            "A-field optional, B-field required, d-modifier required; machine code `B`");
  EXPECT_EQ(hover(m, {1, 15})["contents"]["value"], "`XYZ`: not an operation the assembler knows");
  EXPECT_TRUE(hover(m, {2, 16}).is_null());  // a comment card
  EXPECT_TRUE(hover(m, {0, 10}).is_null());
  EXPECT_FALSE(completion(m, {1, 17})["items"].empty());
  EXPECT_TRUE(completion(m, {2, 17})["items"].empty());
  EXPECT_TRUE(completion(m, {0, 8})["items"].empty());
}

// Rename keeps every card's columns: the label field stays six wide, and
// remarks stay where they were unless the longer name reaches them.
TEST(Features, RenameKeepsColumns) {
  const std::string text =
      "     LOOP      B    LOOP     STAY HERE\n"
      "               BCE  LOOP,LOOP,A REMARK\n"
      "               MCW  @X@,LOOP-1\n"
      "     LIMIT     DCW  @Y@\n"
      "               END  LOOP\n";
  const Document doc("file:///r.s", 1, text);
  const ProgramInfo program = analyze(text);
  const Model m{doc, program, Encoding::Utf16};
  const auto renamed = [&](const char* name) {
    std::vector<std::string> lines;
    const auto result = rename(m, {0, 6}, name);
    if (const auto* why = std::get_if<std::string>(&result)) return std::vector<std::string>{"! " + *why};
    for (const json& e : std::get<json>(result)["changes"]["file:///r.s"]) lines.push_back(e["newText"]);
    return lines;
  };
  EXPECT_EQ(renamed("LOOPER"), (std::vector<std::string>{"     LOOPER    B    LOOPER   STAY HERE",
                                                         "               BCE  LOOPER,LOOPER,A REMARK",
                                                         "               MCW  @X@,LOOPER-1",
                                                         "               END  LOOPER"}));
  EXPECT_EQ(renamed("L")[1], "               BCE  L,L,A       REMARK");
  EXPECT_EQ(renamed("LOOPERS"), std::vector<std::string>{"! 'LOOPERS' is longer than six characters"});
  EXPECT_EQ(renamed("limit"), std::vector<std::string>{"! 'LIMIT' is already a label of this job"});
  EXPECT_EQ(renamed("9LIVES"), std::vector<std::string>{"! '9LIVES' is no name: a letter, then letters and digits"});
  EXPECT_EQ(std::get<std::string>(rename(m, {2, 21}, "Z")), "a literal has no name to rename");
  EXPECT_EQ(std::get<std::string>(rename(m, {0, 30}, "Z")), "there is no label here to rename");
  EXPECT_EQ(prepare_rename(m, {4, 22})["placeholder"], "LOOP");
}

// Two jobs in one file: each name resolves within its own job, and the
// symbols are listed per job.
TEST(Features, SeveralJobs) {
  const std::string text =
      "               JOB  FIRST\n"
      "     START     B    START\n"
      "               END  START\n"
      "               JOB  SECOND\n"
      "               ORG  500\n"
      "     START     B    START\n"
      "               B    NOWHER\n"
      "               END  START\n";
  const Document doc("file:///j.s", 1, text);
  const ProgramInfo program = analyze(text);
  const Model m{doc, program, Encoding::Utf16};
  EXPECT_EQ(definition(m, {2, 21})["range"]["start"]["line"], 1);
  EXPECT_EQ(definition(m, {7, 21})["range"]["start"]["line"], 5);
  EXPECT_NE(hover(m, {5, 6})["contents"]["value"].get<std::string>().find("value 500"), std::string::npos);
  const json syms = document_symbols(m);
  ASSERT_EQ(syms.size(), 2u);
  EXPECT_EQ(syms[1]["name"], "SECOND");
  EXPECT_EQ(syms[1]["children"][0]["selectionRange"]["start"]["line"], 5);
  const json d = diagnostics(m);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0]["range"]["start"]["line"], 6);
}

// A note that carries a replacement is a fix-it, whether the replacement
// is optional or a plain string; an identifier is read as a name or number.
TEST(Features, FixItsAndIdentifiersFromAnyShape) {
  struct OptionalFix { std::optional<std::string> replacement; };
  struct PlainFix { std::string replacement; };
  struct Hint { std::string text; };
  EXPECT_EQ(fix_of(OptionalFix{"MCW  A,B"}), "MCW  A,B");
  EXPECT_EQ(fix_of(OptionalFix{""}), "");  // a fix that deletes the columns
  EXPECT_EQ(fix_of(OptionalFix{}), std::nullopt);
  EXPECT_EQ(fix_of(PlainFix{"X"}), "X");
  EXPECT_EQ(fix_of(PlainFix{}), std::nullopt);
  EXPECT_EQ(fix_of(Hint{"only words"}), std::nullopt);
  struct NamedId { std::string id; };
  struct NumberId { int id; };
  EXPECT_EQ(code_of(NamedId{"column-slip"}), "column-slip");
  EXPECT_EQ(code_of(NumberId{7}), 7);
  EXPECT_TRUE(code_of(Hint{}).is_null());
  EXPECT_TRUE(code_of(make_diagnostic(Severity::Error, "x")).is_null());  // no identifier given
}

}  // namespace
}  // namespace velumar::lsp
