// The modules that pass 3 works on. The run owns them (see
// driver/context.h); pass 3 holds this view of them, so that nothing below
// the driver depends on the driver. Passes 1 and 2 take narrower contexts
// of their own (pass1/pass1.h, pass2/pass2.h).
#pragma once

#include <ostream>

#include "core/diagnostics.h"
#include "core/reporting.h"
#include "core/settings.h"
#include "frontend/lexer.h"
#include "frontend/opcodes.h"
#include "frontend/parser.h"
#include "frontend/reader.h"
#include "ir/intermediate.h"
#include "tables/layout.h"
#include "tables/literals.h"
#include "tables/statement_log.h"
#include "tables/symtab.h"

namespace velumar {

struct Job {
  std::ostream& out;  ///< standard output: console lines, traces, dumps
  Settings& settings;
  Traces& traces;
  SourceReader& reader;
  Diagnostics& diag;
  const Reporting& reporting;
  Lexer& lexer;
  SymbolTable& symtab;
  LiteralTable& literals;
  Parser& parser;
  IntermediateFile& scratch;
  Op& last_op;                 ///< operation of pass 1's last card, kept from job to job
  std::ostream*& listing;      ///< output files of pass 3; null when not asked for
  std::ostream*& object;
  std::ostream*& tape;
  layout::LocationLog* locations = nullptr;  ///< where each pass reports its location counter; null in a plain run
  StatementLog* statements = nullptr;        ///< what pass 3 makes of each record; null in a plain run
};

}  // namespace velumar
