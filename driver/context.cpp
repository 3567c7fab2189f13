#include "driver/context.h"

namespace velumar {

Context::Context(std::ostream& out_stream)
    : out(out_stream),
      // The reader's notes on the bytes it reads are for people, not part of
      // any output the assembler promises: they go to the report on standard error.
      reader(nullptr, [this](Diagnostic d) { diag.report(std::move(d)); }),
      diag(out_stream),
      reporting{out_stream, diag, traces},
      lexer(reporting),
      literals(reporting),
      links(symtab, literals),
      parser(reporting, lexer, links) {
  diag.scratch = [this](std::string_view line) { scratch.write_text(line); };
}

}  // namespace velumar
