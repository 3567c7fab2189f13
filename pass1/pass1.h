// Pass 1: reads one program, assigns locations, defines labels and writes
// the intermediate records.
#pragma once

#include "core/diagnostics.h"
#include "core/reporting.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/reader.h"
#include "ir/intermediate.h"
#include "ir/op.h"
#include "tables/layout.h"
#include "tables/literals.h"
#include "tables/symtab.h"

namespace velumar {

/// What pass 1 works on: the cards it reads and the lexer and parser that
/// read them, the tables and records it fills, where it reports.
struct Pass1Context {
  SourceReader& reader;
  Lexer& lexer;
  Parser& parser;
  SymbolTable& symtab;
  LiteralTable& literals;
  IntermediateFile& scratch;
  Diagnostics& diag;
  const Reporting& reporting;
  Op& last_op;  ///< operation of the last card, kept from job to job (field cards follow a DA)
  layout::LocationLog* locations = nullptr;  ///< where the location counter is reported; null in a plain run
};

/// Runs pass 1 over one job. Returns the status of the last read: 0 after
/// END, negative when the input ran out. `had_cards` (optional) is set true
/// when the job had any card that is neither blank nor a comment.
int pass_1(const Pass1Context& ctx, bool* had_cards = nullptr);

}  // namespace velumar
