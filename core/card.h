// Where the fields of a source card stand: the one statement of the card
// layout that the reader, the lexer, the parser, the checks and the writers
// of generated cards share. Columns are numbered from 1, as on the card.
#pragma once

namespace velumar {

inline constexpr int kCardColumns = 80;        ///< a card, and a line of the object deck
inline constexpr int kLabelColumn = 6;         ///< the label, six columns
inline constexpr int kOperationColumn = 16;    ///< the operation code, five columns
inline constexpr int kOperandColumn = 21;      ///< the operands and remarks
inline constexpr int kLastOperandColumn = 72;  ///< columns 73-80 identify the card

}  // namespace velumar
