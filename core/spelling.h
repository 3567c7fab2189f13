// Near misses: the edit distance between two words and the nearest of a set
// of known words, for the "did you mean" hints.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velumar {

/// The number of single-character insertions, deletions, substitutions and
/// swaps of two neighbours that turn `a` into `b`; `limit` + 1 when it is
/// more than `limit` (the search stops there).
int edit_distance(std::string_view a, std::string_view b, int limit);

/// The largest distance at which a known word is offered for `word`: one
/// edit for words of up to five characters, a third of the length beyond.
int suggestion_limit(std::string_view word);

/// The known word nearest to `word` within suggestion_limit(word), the
/// first of several at the same distance; empty when none is near or
/// `word` itself is known.
std::string nearest_word(std::string_view word, const std::vector<std::string_view>& known);

}  // namespace velumar
