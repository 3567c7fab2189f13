#include "driver/context.h"

namespace velumar {

Context::Context(std::ostream& out_stream)
    : out(out_stream),
      // The reader's notes on the bytes it reads are for people, not part of
      // any output the assembler promises: they go to the report on standard error.
      reader(nullptr, [this](Diagnostic d) { diag.report(std::move(d)); }),
      reporting{out_stream, diag, traces},
      lexer(reporting),
      literals(reporting),
      links(symtab, literals),
      parser(reporting, lexer, links),
      // Pass 1 keeps its diagnostics among the job's records, before the
      // record of their statement.
      historic(out_stream, &scratch) {
  diag.render_historic_with(&historic);
}

}  // namespace velumar
