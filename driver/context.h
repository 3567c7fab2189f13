// The run context: one object per run owns every module's state, so that a
// test builds a fresh one and nothing lives in globals.
#pragma once

#include <ostream>

#include "core/diagnostics.h"
#include "core/settings.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/reader.h"
#include "ir/intermediate.h"
#include "output/diagnostic_forms.h"
#include "pass1/pass1.h"
#include "pass2/pass2.h"
#include "pass3/pass3.h"
#include "tables/literals.h"
#include "tables/operand_tables.h"
#include "tables/symtab.h"

namespace velumar {

struct Context {
  /// `out` stands for standard output (console lines, traces, dumps).
  explicit Context(std::ostream& out);
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  std::ostream& out;
  Settings settings;
  Traces traces;
  SourceReader reader;
  Diagnostics diag;
  Reporting reporting;
  Lexer lexer;
  SymbolTable symtab;
  LiteralTable literals;
  TableLinks links;
  Parser parser;
  IntermediateFile scratch;
  /// The console lines and second copies of the statement diagnostics.
  HistoricForms historic;

  /// Operation of the last card of pass 1; carried from one job to the
  /// next (it lets DA field cards follow their DA).
  Op last_op = Op::Direct;

  /// Output files of pass 3; null when not asked for.
  std::ostream* listing = nullptr;
  std::ostream* object = nullptr;
  std::ostream* tape = nullptr;

  /// Where the passes report their location counters; null in a plain run.
  layout::LocationLog* locations = nullptr;
  /// What pass 3 makes of each record; null unless a description of the
  /// program is asked for.
  StatementLog* statements = nullptr;

  /// What each pass works on.
  Pass1Context pass1() {
    return Pass1Context{reader, lexer, parser, symtab, literals, scratch, diag, reporting, last_op, locations};
  }
  Pass2Context pass2() { return Pass2Context{scratch, symtab, literals, lexer, diag, reporting, locations}; }

  Pass3Context pass3() { return Pass3Context{scratch, symtab, literals, settings, diag, out, locations, statements}; }
};

}  // namespace velumar
