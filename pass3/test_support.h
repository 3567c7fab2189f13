// Test support for pass 3: builds intermediate records by hand, runs the
// pass, and loads the object deck into a storage image the way a 1401
// executes the self-loading cards.
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "output/diagnostic_forms.h"
#include "output/object_deck.h"
#include "output/tape_file.h"
#include "frontend/opcodes.h"
#include "ir/operand.h"
#include "ir/operand_test_support.h"
#include "ir/record_test_support.h"
#include "core/zone.h"
#include "pass3/pass3.h"

namespace velumar::p3test {

/// An 80-column card: label from column 6, operation from 16, operands from 21.
inline std::string card(std::string_view label, std::string_view op, std::string_view operands) {
  std::string line(80, ' ');
  line.replace(5, std::min<std::size_t>(label.size(), 10), label.substr(0, 10));
  line.replace(15, std::min<std::size_t>(op.size(), 5), op.substr(0, 5));
  line.replace(20, std::min<std::size_t>(operands.size(), 60), operands.substr(0, 60));
  return line;
}

/// `r` with the operation its card states, as pass 1 gives it.
inline Record with_op(Record r) {
  r.op = card_op(r.card);
  return with_sign(r);
}

inline Record record(std::string_view line, int width, std::vector<Operand> ops = {}, int ixlab = 0,
                     std::string_view why = "     ", char err = ' ') {
  // A negative `ixlab` is minus the origin, as in the text form.
  return with_op(make_record(*record_kind(pad(why, 5)), line, ixlab > 0 ? std::optional(ixlab) : std::nullopt, 0, width, err, std::move(ops),
                     ixlab < 0 ? std::optional(-ixlab) : std::nullopt));
}

/// END with no operand: punches the last card and the transfer card.
inline Record end_record() { return record(card("", "END", ""), 0, {opnd(OperandKind::Actual, 0)}); }
/// A 1-character instruction.
inline Record instr(std::string_view op) { return record(card("", op, ""), 1); }

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

/// Print positions FROM..TO (1-based) of a listing line, blank-padded.
inline std::string at(std::string_view line, int from, int to) { return cols(line, from, to); }

/// The modules pass 3 reads, owned as a run owns them.
struct Modules {
  explicit Modules(std::ostream& out) : out(out), historic(out, &scratch) { diag.render_historic_with(&historic); }
  Modules(const Modules&) = delete;
  Modules& operator=(const Modules&) = delete;

  std::ostream& out;
  Settings settings;
  Traces traces;
  Diagnostics diag;
  Reporting reporting{out, diag, traces};
  SymbolTable symtab;
  LiteralTable literals{reporting};
  IntermediateFile scratch;
  HistoricForms historic;

  Pass3Context pass3() { return Pass3Context{scratch, symtab, literals, settings, diag, out}; }
};

struct Job {
  std::ostringstream out;
  Modules ctx{out};
  std::ostringstream list;
  std::ostringstream obj;

  Job() {
    ctx.settings.boot_loader = 'N';
    ctx.historic.route_to(ErrorDest::Listing, &list);
  }

  int sym(std::string_view name, int value, int index = 0, std::string_view dev = "   ") {
    return ctx.symtab.enter(name, value, index, dev).index;
  }
  void add(const Record& r) { ctx.scratch.write(r); }
  std::ostringstream tape;
  /// Runs pass 3 with the outputs asked for, and ALSO after them when given.
  /// The deck is laid out as the -X bits of the settings ask.
  void run(bool do_list = true, bool do_object = true, bool do_tape = false, StorageSink* also = nullptr) {
    const Settings& s = ctx.settings;
    ListingWriter listing(do_list ? &list : nullptr, s.max_line, s.boot_loader != 'N');
    FanOut storage;
    const DeckOptions options{.queue_marks = (s.extras & extra::kQueueWordMarks) != 0,
                              .quick_transfer = (s.extras & extra::kQuickEx) != 0,
                              .quick_end = (s.extras & extra::kQuickEnd) != 0};
    std::optional<ObjectDeck> deck;
    std::optional<TapeFile> tape_file;
    if (do_object) storage.add(deck.emplace(&obj, options));
    if (do_tape) storage.add(tape_file.emplace(&tape));
    if (also != nullptr) storage.add(*also);
    layout::place_all(ctx.scratch.records(), ctx.symtab);  // as passes 1 and 2 leave them
    pass_3(ctx.pass3(), listing, storage);
  }

  std::vector<std::string> listing() const { return lines_of(list.str()); }
  std::vector<std::string> cards() const { return lines_of(obj.str()); }
  /// The first listing line whose label and operation columns hold LABEL and OP.
  std::string line_of(std::string_view label, std::string_view op) const {
    for (const std::string& l : listing())
      if (at(l, 15, 20) == pad(label, 6) && at(l, 22, 26) == pad(op, 5)) return l;
    return "";
  }
};

/// The storage address that a 3-character address names; -1 for "###" or
/// anything that is not an address.
inline int decode_addr(std::string_view a) {
  if (a.size() != 3) return -1;
  int value = 0;
  int thousands = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t k = ZONED.find(a[i]);
    if (k == std::string_view::npos) return -1;
    value = value * 10 + static_cast<int>(k % 10);
    if (i == 0) thousands += static_cast<int>(k / 10);
    if (i == 2) thousands += 4 * static_cast<int>(k / 10);
  }
  return thousands * 1000 + value;
}

/// Storage after the deck's cards have run: characters and word marks
/// (the read area 1-80 is left out).
struct Core {
  std::map<int, char> ch;
  std::set<int> wm;
  std::string text(int from, int to) const {
    std::string s;
    for (int a = from; a <= to; ++a) {
      auto it = ch.find(a);
      s += it == ch.end() ? '?' : it->second;
    }
    return s;
  }
  std::set<int> marks(int from, int to) const {
    std::set<int> s;
    for (int a : wm)
      if (a >= from && a <= to) s.insert(a);
    return s;
  }
};

inline Core load_deck(const std::vector<std::string>& cards) {
  Core core;
  for (const std::string& raw : cards) {
    const std::string c = pad(raw, 80);
    if (c[39] == 'L') {
      const int n = digits_value(c.substr(40, 3));
      const int last = decode_addr(c.substr(43, 3));
      // The load moves the data with the read area's word marks: one on column 1.
      if (last > 80)
        for (int i = 0; i < n; ++i) {
          const int a = last - n + 1 + i;
          core.ch[a] = c[static_cast<std::size_t>(i)];
          if (i == 0)
            core.wm.insert(a);
          else
            core.wm.erase(a);
        }
    }
    for (std::size_t op : {46u, 53u, 60u}) {
      if (c[op] != ',' && c[op] != ')') continue;
      for (std::size_t k : {op + 1, op + 4}) {
        const int a = decode_addr(c.substr(k, 3));
        if (a <= 80) continue;
        if (c[op] == ',')
          core.wm.insert(a);
        else
          core.wm.erase(a);
      }
    }
  }
  return core;
}

}  // namespace velumar::p3test
