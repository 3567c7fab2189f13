// A card's fields as the assembler reads them: label (columns 6-11),
// operation (16-20), the operand tokens from column 21 as the lexer finds
// them, and the remarks after the operand field. No assembly is needed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velumar::lsp {

/// What a run of card columns is.
enum class FieldKind {
  Comment,    ///< a comment card, the remarks, or columns the assembler ignores
  Label,      ///< columns 6-11
  Operation,  ///< columns 16-20
  Name,       ///< a symbol in the operand field
  Number,     ///< a number in the operand field
  Literal,    ///< a character literal in the operand field
  Punct,      ///< any other operand token: comma, sign, asterisk, device
};

/// Card columns `first`..`last` (1-based, inclusive) of one kind.
struct CardSpan {
  int first = 0;
  int last = 0;
  FieldKind kind = FieldKind::Comment;
};

/// The card of a source line as the reader gives it: 80 columns, blank
/// padded, a-z folded to upper case.
std::string card_image(std::string_view line);

/// The non-blank fields of `line`, left to right. Columns past 80 are comment.
std::vector<CardSpan> card_fields(std::string_view line);

/// The last column of the operand field of `card` (20 when it is blank).
int operand_field_end(std::string_view card);

/// `line` with its fields in their columns (label 6, operation 16, operands
/// 21) and TABs turned into blanks; the line itself when it needs nothing
/// or its fields cannot be told apart.
std::string format_card(std::string_view line);

}  // namespace velumar::lsp
