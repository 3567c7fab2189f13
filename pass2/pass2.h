// Pass 2: defines the labels that pass 1 left undefined.
#pragma once

#include "core/diagnostics.h"
#include "core/reporting.h"
#include "frontend/lexer.h"
#include "ir/intermediate.h"
#include "tables/layout.h"
#include "tables/literals.h"
#include "tables/symtab.h"

namespace velumar {

/// What pass 2 works on: pass 1's records (which it places again), the
/// tables it completes, the lexer its pools run on address constants, and
/// where it reports.
struct Pass2Context {
  IntermediateFile& scratch;
  SymbolTable& symtab;
  LiteralTable& literals;
  Lexer& lexer;
  Diagnostics& diag;
  const Reporting& reporting;  ///< also the trace switches
  layout::LocationLog* locations = nullptr;  ///< where the location counter is reported; null in a plain run
};

/// How forward references are settled. Sweeps repeats whole sweeps, one per
/// link of a chain (the reference, and what the pool trace shows). Direct,
/// when the first sweep leaves something open, follows each undefined
/// symbol's dependencies once, giving every label the value the sweeps
/// would, and makes one more sweep to confirm: two sweeps at most.
enum class Settle { Direct, Sweeps };

/// Defines the labels pass 1 left undefined, sweeping the intermediate
/// records until no sweep defines anything more; reports "Undefined or
/// unresolvable symbols" once when stuck. The last sweep leaves every
/// record's placement as pass 3 reads it. Returns the number of sweeps made.
int pass_2(const Pass2Context& ctx, Settle how = Settle::Direct);

}  // namespace velumar
