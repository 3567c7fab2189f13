// The document model the features answer from: the text as the editor
// holds it and the program the assembler made of it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "driver/program_info.h"
#include "tools/lsp/document.h"

namespace velumar::lsp {

using json = nlohmann::json;

/// One document and its assembly, with the client's position encoding.
struct Model {
  const Document& doc;
  const ProgramInfo& program;
  Encoding enc = Encoding::Utf16;
};

/// A place on a card: 1-based source line and card column.
struct CardPos {
  long long line = 0;
  int col = 0;
};

/// The card position of an LSP position.
CardPos card_pos(const Model& m, const Position& p);
/// The job that holds source line `line`; null when none does.
const JobInfo* job_at(const ProgramInfo& program, long long line);

/// A symbol named at a position: in its definition or in a use.
struct SymbolHit {
  const JobInfo* job = nullptr;
  const SymbolInfo* symbol = nullptr;
  SourceSpan span;          ///< the name where the position is
  bool definition = false;  ///< the position is in the symbol's definition
};
/// The symbol or literal at `pos`; nothing when no name is there.
std::optional<SymbolHit> symbol_at(const Model& m, CardPos pos);

/// The LSP range of a span.
Range span_range(const Model& m, const SourceSpan& span);
json to_json(const Position& p);
json to_json(const Range& r);
/// An LSP Location in the model's document.
json location(const Model& m, const SourceSpan& span);
/// A Position from its JSON; throws on a malformed one.
Position position_from(const json& j);
Range range_from(const json& j);

}  // namespace velumar::lsp
