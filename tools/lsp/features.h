// The language features: each a function from the document model and a
// position to the LSP answer, as JSON.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "tools/lsp/model.h"

namespace velumar::lsp {

/// Hover: a symbol's value, index register, kind, width and definition; an
/// operation's purpose, operand forms and machine code; a literal's place.
json hover(const Model& m, const Position& p);
/// The definition of the symbol or literal at `p` (a Location), or null.
json definition(const Model& m, const Position& p);
/// Every use of the symbol at `p`, with its definition when asked.
json references(const Model& m, const Position& p, bool include_declaration);
/// The labels of each job (under one entry per job when there are several).
json document_symbols(const Model& m);
/// Operation codes in columns 16-20, labels of the job in the operand field.
json completion(const Model& m, const Position& p);

/// The range and name of the symbol that a rename at `p` would change, or null.
json prepare_rename(const Model& m, const Position& p);
/// The WorkspaceEdit that renames the label at `p`, or why it is refused.
std::variant<json, std::string> rename(const Model& m, const Position& p, std::string_view new_name);

/// The diagnostics of every job as LSP Diagnostics.
json diagnostics(const Model& m);
/// The code actions for the diagnostics on the lines of `range`: each
/// fix-it note, and moving a card's fields into their columns.
json code_actions(const Model& m, const Range& range);

/// The names of the semantic token types, in the order their indices use.
json semantic_legend();
/// Semantic tokens for every card of `doc`.
json semantic_tokens(const Document& doc, Encoding enc);
/// The edits that move every card's fields into their columns.
json formatting(const Document& doc, Encoding enc);

}  // namespace velumar::lsp
