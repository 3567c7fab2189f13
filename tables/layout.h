// Where statements go and how far they move the location counter. Passes
// 1, 2 and 3 each keep a counter of their own (pass 1 while it measures the
// statements, pass 2 while it settles symbols, pass 3 while it emits), but
// they move it with these rules only, so that they cannot disagree. All
// results saturate (see core/location.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/location.h"
#include "ir/intermediate.h"
#include "ir/operand.h"
#include "tables/symtab.h"

namespace velumar::layout {

/// The counter after `width` positions placed from `p`.
[[nodiscard]] inline int advance(int p, std::int64_t width) { return clamp_location(std::int64_t{p} + width); }

/// The leftmost position of `width` positions that end at `rightmost`.
[[nodiscard]] inline int leftmost(int rightmost, std::int64_t width) {
  return clamp_location(std::int64_t{rightmost} - width + 1);
}

/// Where the label of a statement of `width` positions at `leftmost` points:
/// its rightmost position for the declaratives that name the right end of
/// their field (DC, DCW, DS, DSA), else its leftmost.
[[nodiscard]] inline int label_value(int leftmost, std::int64_t width, bool rightmost) {
  return rightmost ? clamp_location(std::int64_t{leftmost} + width - 1) : leftmost;
}

/// Position `n` (1 is the first) of a define-area record at `base`.
[[nodiscard]] inline int field_location(int base, std::int64_t n) { return clamp_location(std::int64_t{base} + n - 1); }

/// Where an ORG or LTORG with first operand `first` moves the counter from
/// `p`: an actual address, `*` (p itself), or a symbol's value; `target` is
/// that value when the symbol is defined, and without it the counter is
/// kUndefinedOrg, so that no offset turns it into a plausible location.
/// X00 rounds up to the next multiple of 100 (a multiple stays); any other
/// offset is added.
[[nodiscard]] int origin(const Operand& first, int p, std::optional<int> target);

/// Where record `rec` goes and where it leaves the location counter that
/// stands at `counter` before it, with the symbol values of `symbols`: the
/// one rule of every pass. A statement goes at the counter (or at its
/// explicit origin, which leaves the counter where it is) and moves it by
/// its width; a pool record likewise; ORG and LTORG move it to their origin
/// (an LTORG's pool records follow); EQU, EX, END (whose pools come before
/// them), CHAIN's own records, field cards, comments and diagnostics leave
/// it. `forward` is set when an ORG or LTORG names a symbol not yet defined.
[[nodiscard]] Placement place(const RecordView& rec, int counter, const SymbolTable& symbols);

/// Places every record of `records` one after another from the start
/// location, with the symbol values of `symbols` as they are.
void place_all(RecordStore& records, const SymbolTable& symbols);

/// Where each pass left the location counter after each record of a job,
/// for the check that the passes agree. Pass 3 moves no counter: it
/// reports the placement it read, which is pass 2's last. A pass reports only when the job
/// carries a log (the passes' contexts), so that an ordinary run pays nothing.
class LocationLog {
 public:
  /// A new job begins: its records are numbered from 0 again.
  void begin_job();
  /// Pass `pass` (1-3) left the counter at `location` after record `record`.
  void placed(int pass, std::size_t record, int location);
  /// Pass 1 cannot know where record `record` leaves the counter (after an
  /// ORG to a symbol defined further on); passes 2 and 3 must still agree.
  void unknown_to_pass_1(std::size_t record);
  /// Empty when every record reported by all three passes has one location
  /// (below 0 it is enough that all are below 0), else a description of the
  /// first record that has more.
  [[nodiscard]] std::string disagreement() const;
  /// Records that all three passes reported, over all jobs.
  [[nodiscard]] std::size_t compared() const;

 private:
  static constexpr int kNone = -2'000'000'000;     ///< no report (outside any location's range)
  static constexpr int kUnknown = -2'000'000'001;  ///< pass 1 could not know
  using Job = std::vector<int>;                 ///< per record: pass 1, 2, 3
  std::vector<Job> jobs_;
};

}  // namespace velumar::layout
