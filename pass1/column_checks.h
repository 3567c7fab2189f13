// Column slips: cards whose fields stand a column or two from where they
// are read, so that the card assembles without an error into something the
// writer did not mean. Each check looks at the card's text and the traits
// of its operation only, and gives warnings with a fix-it note.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/diagnostics.h"
#include "frontend/opcodes.h"

namespace velumar {

/// The warnings for the column slips of one card (80 columns) whose
/// operation is `op` (Op::Unknown: none known), without line or card: the
/// caller places them. When the statement has drawn an error
/// (`statement_failed`), surplus operands are not reported again.
std::vector<Diagnostic> column_slips(std::string_view card, Op op, bool statement_failed = false);

/// The known operation code nearest to `code` within a small edit distance;
/// empty when none is.
std::string nearest_operation(std::string_view code);

/// A note that mends the card: `replacement` in columns `first`-`last`.
Note fix_it(std::string text, int first, int last, std::string replacement);

}  // namespace velumar
