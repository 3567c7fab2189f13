#include "driver/context.h"

namespace velumar {

Context::Context(std::ostream& out_stream)
    : out(out_stream), diag(out_stream, reader.LINE_NO), lexer(*this), literals(*this), parser(*this) {
  diag.scratch = [this](std::string_view line) { scratch.write_text(line); };
}

}  // namespace velumar
