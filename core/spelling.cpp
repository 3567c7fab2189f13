#include "core/spelling.h"

#include <algorithm>

namespace velumar {

int edit_distance(std::string_view a, std::string_view b, int limit) {
  const auto too_far = limit + 1;
  const auto length_gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (length_gap > static_cast<std::size_t>(std::max(limit, 0))) return too_far;
  // Three rows of the classic table: the one before the previous row is
  // what a swap of two neighbours needs.
  std::vector<int> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = static_cast<int>(i);
    int row_best = current[0];
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
      int d = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d = std::min(d, before[j - 2] + 1);
      current[j] = d;
      row_best = std::min(row_best, d);
    }
    if (row_best > limit) return too_far;
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return std::min(previous[b.size()], too_far);
}

int suggestion_limit(std::string_view word) { return std::max<int>(1, static_cast<int>(word.size()) / 3); }

std::string nearest_word(std::string_view word, const std::vector<std::string_view>& known) {
  const int limit = suggestion_limit(word);
  int best = limit + 1;
  std::string_view found;
  for (std::string_view k : known) {
    if (k == word) return {};
    const int d = edit_distance(word, k, limit);
    if (d < best) {
      best = d;
      found = k;
    }
  }
  return std::string(found);
}

}  // namespace velumar
