// Helpers shared by the pass-1 tests: card images, expected records, and a
// run of pass 1 over a deck held in memory.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/context.h"
#include "core/text.h"
#include "frontend/opcodes.h"
#include "ir/intermediate.h"
#include "ir/operand_test_support.h"
#include "ir/record_test_support.h"
#include "pass1/pass1.h"

namespace velumar {

/// Failure messages show records in their intermediate-file text form.
inline void PrintTo(const Record& r, std::ostream* os) { *os << "\n[" << format_record(r) << "]"; }
inline void PrintTo(const Operand& o, std::ostream* os) {
  Record r;
  r.operands = {o};
  *os << "[" << format_record(r).substr(110) << "]";
}

}  // namespace velumar

namespace velumar::p1test {

/// A card with the label from column 6, the operation from column 16 and
/// the operand field from column 21.
inline std::string card(std::string_view label, std::string_view op, std::string_view operands = "") {
  return pad("     " + pad(label, 10) + pad(op, 5) + std::string(operands), 80);
}

/// A deck: the cards joined by line ends.
inline std::string deck(const std::vector<std::string>& cards) {
  std::string text;
  for (const std::string& c : cards) text += c + "\n";
  return text;
}

/// A record as its text form reads: a negative `ixlab` is minus the origin.
inline Record rec(std::string_view why, std::string_view line, int ixlab, int p, int width, char err = ' ',
                  std::vector<Operand> ops = {}) {
  Record r = make_record(*record_kind(pad(why, 5)), line, ixlab > 0 ? std::optional(ixlab) : std::nullopt, p, width, err, std::move(ops),
                         ixlab < 0 ? std::optional(-ixlab) : std::nullopt);
  r.op = card_op(r.card);
  return with_sign(r);
}

/// The record a diagnostic leaves in the intermediate file.
inline Record diag(std::string_view message, int line_no, bool warning = false, int field = 0) {
  return rec(warning ? "WARN " : "ERROR", "******* " + pad(message, 72), 0, line_no, field);
}

/// Pass 1 over `text` with a fresh context, diagnostics going to the
/// intermediate file as during a real run.
struct Pass1Run {
  explicit Pass1Run(const std::string& text) : in(text) {
    ctx.historic.route_to(ErrorDest::Scratch);
    ctx.reader.set_input(&in);
    status = pass_1(ctx.pass1(), &had_cards);
  }
  /// Runs pass 1 again on the rest of the input (the next job).
  int next_job() { return status = pass_1(ctx.pass1(), &had_cards); }

  /// A copy of the job's records, to compare with a list of expected ones.
  std::vector<Record> records() const { return all_records(ctx.scratch.records()); }
  /// The record at `i` (0-based); an empty record when there is none.
  Record at(std::size_t i) const {
    const RecordStore& all = ctx.scratch.records();
    return i < all.size() ? all.record(i) : Record{};
  }
  /// The value of symbol `name`; none when it is undefined or not in the table.
  std::optional<int> sym(std::string_view name) const {
    const int i = ctx.symtab.lookup(pad(name, 6));
    return i < 0 ? std::nullopt : ctx.symtab[i].defined_value();
  }
  int sym_index(std::string_view name) const { return ctx.symtab.lookup(pad(name, 6)); }

  std::ostringstream out;
  Context ctx{out};
  std::istringstream in;
  int status = 0;
  bool had_cards = false;
};

}  // namespace velumar::p1test
