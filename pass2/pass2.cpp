#include "pass2/pass2.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <optional>
#include <queue>
#include <string>

#include "core/location.h"
#include "core/text.h"
#include "frontend/opcodes.h"
#include "tables/layout.h"
#include "tables/pools.h"

namespace velumar {

namespace {

// Operations whose label names the rightmost character of the field.
bool labels_rightmost(const RecordView& rec) {
  const Op op = rec.op;
  return op == Op::Dc || op == Op::Dcw || op == Op::Dsa || op == Op::Ds;
}

// The index register digit of an operand, or `otherwise` when it names none.
int index_digit(char c, int otherwise) { return c >= '0' && c <= '3' ? c - '0' : otherwise; }

// The value of a defined symbol `target` that an ORG names, for the layout.
std::optional<int> origin_target(const Symbol* target) {
  if (target == nullptr) return std::nullopt;
  return target->defined_value();
}

// One sweep over the intermediate records: recomputes the location counter
// and defines what has become computable.
class Sweep {
 public:
  explicit Sweep(const Pass2Context& ctx) : ctx_(ctx) {}

  bool changed = false;     ///< something was defined
  bool unresolved = false;  ///< something is still undefined

  void run() {
    ctx_.literals.set_last_pool_start(1);
    RecordStore& records = ctx_.scratch.records();
    for (std::size_t i = 0; i < records.size(); ++i) {
      const RecordView rec = records[i];
      if (!is_comment(rec)) {  // a comment card or a diagnostic places nothing
        if (is_pool_record(rec.kind)) {
          pool_record(rec);
        } else {
          // Pool records that follow a statement lie where it left the
          // location counter; after an LTORG, at the start of its pool.
          pool_p_ = statement(rec);
        }
        if (ctx_.locations != nullptr) ctx_.locations->placed(2, i, pool_p_);
      }
      records.place(i, Placement{.next = pool_p_, .forward = forward_});
    }
  }

 private:
  Symbol* symbol(int i) { return ctx_.symtab.valid(i) ? &ctx_.symtab[i] : nullptr; }

  // Gives the undefined symbol `ix` the value `value` when `known` and the
  // value counts as defined; otherwise notes that something is left open.
  // Returns true when the symbol was defined now.
  bool settle(int ix, bool known, std::int64_t value) {
    Symbol* sym = symbol(ix);
    if (sym == nullptr || sym->defined) return false;
    if (known) {
      sym->define(clamp_location(value));
      changed = true;
      return true;
    }
    unresolved = true;
    return false;
  }

  // Handles one statement record; returns where a pool of literal records
  // following it begins.
  int statement(const RecordView& rec) {
    // Only source statements are steered by their operation: a generated
    // "GEN  " line repeats the previous card's operation field, whatever it was.
    if (rec.kind == RecordKind::Statement) {
      const Op op = rec.op;
      if (op == Op::Ltorg || op == Op::Org) return org(rec, op == Op::Ltorg);
      if (op == Op::End || op == Op::Ex) {
        p_ = process_ltorg({ctx_.literals, ctx_.symtab, ctx_.reporting, &ctx_.lexer}, p_, nullptr, rec.width);
        return p_;
      }
      if (op == Op::Equ) {
        equ(rec);
        return p_;
      }
    }
    if (rec.kind == RecordKind::Statement || rec.kind == RecordKind::Generated) {
      // A statement at an explicit address is the base of the fields that
      // follow it there, as in pass 1.
      area_base_ = rec.origin.value_or(p_);
      if (rec.label)
        settle(*rec.label, p_ >= 0, layout::label_value(p_, rec.width, labels_rightmost(rec)));
      p_ = layout::place(rec, p_, ctx_.symtab).next;
    } else if (rec.kind == RecordKind::Field || rec.kind == RecordKind::Subfield) {
      if (rec.label) {
        const int n = rec.kind == RecordKind::Field ? rec.operand(2).address() : rec.operand(1).address();
        settle(*rec.label, area_base_ >= 0, layout::field_location(area_base_, n));
      }
    }
    return p_;
  }

  int org(const RecordView& rec, bool ltorg) {
    if (rec.label) settle(*rec.label, p_ >= 0, p_);
    const Operand& first = rec.operand(1);
    const Symbol* target = first.kind == OperandKind::Symbolic ? symbol(first.symbol()) : nullptr;
    if (target != nullptr && !target->defined) target = nullptr;
    // Only an origin still waiting for its symbol leaves something open. A
    // counter below storage, or a target defined below it, is final: no
    // later sweep moves it, and the origin that took it there reports it.
    if (first.kind == OperandKind::Symbolic && target == nullptr) unresolved = true;
    const Placement at = layout::place(rec, p_, ctx_.symtab);
    forward_ = at.forward;
    p_ = at.next;
    const int pool_start = p_;
    if (ltorg) p_ = process_ltorg({ctx_.literals, ctx_.symtab, ctx_.reporting, &ctx_.lexer}, p_, nullptr, rec.width);
    return pool_start;
  }

  void equ(const RecordView& rec) {
    Symbol* label = rec.label ? symbol(*rec.label) : nullptr;
    if (label == nullptr) return;
    const Operand& first = rec.operand(1);
    if (!label->defined) {
      if (first.kind == OperandKind::Asterisk) {
        settle(*rec.label, p_ >= 0, std::int64_t{p_} - 1 + first.adjustment());
      } else if (first.kind == OperandKind::Symbolic) {
        const Symbol* target = symbol(first.symbol());
        const bool known = target != nullptr && target->defined;
        // Pass 1 could not know the index tag of a symbol defined later;
        // it goes with the value, as it does for a backward EQU.
        if (settle(*rec.label, known, std::int64_t{known ? target->value : 0} + first.adjustment()))
          label->index_reg = index_digit(first.index_reg, target->index_reg);
      }
    }
    if (label->defined && first.kind == OperandKind::Device) label->device = pad(first.label, 3);
  }

  void pool_record(const RecordView& rec) {
    if (rec.label && (rec.kind == RecordKind::Area || rec.kind == RecordKind::Literal))
      settle(*rec.label, pool_p_ >= 0, layout::label_value(pool_p_, rec.width, true));
    pool_p_ = layout::place(rec, pool_p_, ctx_.symtab).next;
  }

  Pass2Context ctx_;
  int p_ = kStartLocation;          ///< the location counter
  int area_base_ = kStartLocation;  ///< base of the define-area fields
  int pool_p_ = kStartLocation;     ///< location of the next literal record
  bool forward_ = false;  ///< the last ORG named a symbol still undefined
};

// Settles forward references by following dependencies, so that a long
// chain costs one step per link instead of one sweep per link. Every label
// receives the value, at the moment, that the sweeps would give it.
//
// Think of time as (sweep, record), counting sweeps from the one after the
// sweep that left the symbols as they are: a sweep visits the records in
// order and sees every definition made at an earlier time. A label takes
// its value from the first of its records, in time order, able to compute
// one. What a record can compute depends on at most one input that may
// still be open: the target of its EQU, or else the target of the last ORG
// to a symbol before it, which fixes the location counter up to the next
// such ORG (a segment). The counters of a segment take only two forms: the
// one before its target is visible and the one after. A record is therefore
// tried in the first sweep, and again in the sweep in which its open input
// becomes visible to it; tries are taken from a queue in time order.
class Resolver {
 public:
  explicit Resolver(const Pass2Context& ctx) : ctx_(ctx), recs_(ctx.scratch.records()) {}

  void run() {
    const std::size_t n = recs_.size();
    base_[0].assign(n, 0);
    base_[1].assign(n, 0);
    first_walk();
    link();
    for (std::size_t c = 0; c < cands_.size(); ++c) push(1, static_cast<int>(c));
    while (!queue_.empty()) {
      const std::uint64_t key = queue_.top();
      queue_.pop();
      try_candidate(static_cast<int>(key >> 32), static_cast<int>(key & 0xFFFFFFFFu));
    }
  }

 private:
  static constexpr int kNever = std::numeric_limits<int>::max();

  // How a label's value follows from its base, by the layout rules the
  // sweeps use: a statement's label at its leftmost or rightmost position
  // (`amount` is its width), a define-area field (`amount` is its
  // position), or an EQU's base plus `amount`.
  enum class Place : unsigned char { Leftmost, Rightmost, Field, Offset };

  // A record whose label is still undefined and that may define it.
  struct Candidate {
    int rec = 0;
    int label = 0;
    bool equ_symbolic = false;  ///< `label EQU target+amount`
    int input = -1;             ///< the target symbol, or the segment giving the base (-1: fixed)
    int slot = 0;               ///< record whose base this one uses, or the fixed base
    Place place = Place::Offset;
    std::int64_t amount = 0;
    char index = ' ';  ///< EQU: the operand's index digit
    int next = -1;     ///< next candidate waiting on the same input
  };

  static int value_at(const Candidate& c, int base) {
    switch (c.place) {
      case Place::Leftmost: return layout::label_value(base, c.amount, false);
      case Place::Rightmost: return layout::label_value(base, c.amount, true);
      case Place::Field: return layout::field_location(base, c.amount);
      case Place::Offset: break;
    }
    return clamp_location(std::int64_t{base} + c.amount);
  }

  // The records from an ORG to a symbol up to the next one (the first
  // segment starts the program and is always settled).
  struct Segment {
    int head = -1;        ///< the ORG or LTORG record
    int target = 0;       ///< its symbol
    int last_ltorg = 1;   ///< LAST_LTORG when the head places its pool
    int ready = 0;        ///< first sweep whose visit of the head sees the target defined
    int next = -1;        ///< next segment waiting on the same target
    int waiting = -1;     ///< first candidate whose base this segment gives
  };

  struct Counters {
    int p = kStartLocation;     ///< the location counter
    int pool = kStartLocation;  ///< location of the next literal record
  };

  // Where a walk stands: its counters, the segment it is in and the form
  // of that segment (0 before its target is visible, 1 after), and the
  // statement that sets the define-area base.
  struct WalkState {
    Counters c;
    int version = 1;
    bool first = true;  ///< the first walk, which lists the candidates
    int seg = 0;
    int area_rec = -1;
    int area_seg = 0;
  };

  // What a walk does after a record.
  enum class Step { Next, Statement, Stop };

  Symbol* symbol(int i) { return ctx_.symtab.valid(i) ? &ctx_.symtab[i] : nullptr; }
  bool undefined(int i) {
    const Symbol* sym = symbol(i);
    return sym != nullptr && !sym->defined;
  }

  // The counters just after an ORG or LTORG record (and its pool), as the
  // sweeps compute them; `target_visible` tells whether an ORG to a symbol
  // finds it defined.
  Counters org(const RecordView& rec, int p, bool target_visible, bool ltorg) {
    const Operand& first = rec.operand(1);
    const Symbol* target = first.kind == OperandKind::Symbolic && target_visible ? symbol(first.symbol()) : nullptr;
    if (target != nullptr && !target->defined) target = nullptr;
    Counters c;
    c.p = c.pool = layout::origin(first, p, origin_target(target));
    if (ltorg) c.p = pool_end(ctx_.literals, c.p, last_ltorg_, rec.width);
    return c;
  }

  void add(Candidate cand) {
    if (undefined(cand.label)) cands_.push_back(cand);
  }

  // Walks the records from `from` keeping the counters as a sweep does and
  // stores the base of each label in base_[version]. The first walk covers
  // every segment in the form it has at the start and lists the
  // candidates; a later walk redoes one segment once its target is visible.
  void walk(std::size_t from, Counters c, int version, bool first) {
    WalkState w{c, version, first, static_cast<int>(segments_.size()) - 1};
    for (std::size_t i = from; i < recs_.size(); ++i) {
      const RecordView rec = recs_[i];
      if (is_comment(rec)) continue;
      base_[w.version][i] = w.c.p;
      Step step = Step::Statement;
      if (is_pool_record(rec.kind))
        step = walk_pool_record(w, i);
      else if (rec.kind == RecordKind::Statement)
        step = walk_control(w, i);
      if (step == Step::Stop) return;
      if (step == Step::Statement) walk_statement(w, i);
    }
  }

  Step walk_pool_record(WalkState& w, std::size_t i) {
    const RecordView rec = recs_[i];
    const int r = static_cast<int>(i);
    base_[w.version][i] = w.c.pool;
    if (w.first && rec.label && rec.kind != RecordKind::AddressConstant) add({r, *rec.label, false, w.seg, r, Place::Rightmost, rec.width});
    w.c.pool = layout::place(rec, w.c.pool, ctx_.symtab).next;
    return Step::Next;
  }

  // ORG, LTORG, EX, END and EQU; any other statement is left to
  // walk_statement. An ORG to a symbol starts a new segment, which ends a
  // later walk.
  Step walk_control(WalkState& w, std::size_t i) {
    const RecordView rec = recs_[i];
    const int r = static_cast<int>(i);
    const Operand& first_op = rec.operand(1);
    const Op op = rec.op;
    if (op == Op::Ltorg || op == Op::Org) {
      if (w.first && rec.label) add({r, *rec.label, false, w.seg, r, Place::Leftmost, 0});
      if (first_op.kind == OperandKind::Symbolic) {
        if (!w.first) return Step::Stop;
        Segment s;
        s.head = r;
        s.target = first_op.symbol();
        s.last_ltorg = last_ltorg_;
        s.ready = undefined(s.target) ? kNever : 0;
        segments_.push_back(s);
        ++w.seg;
        w.version = s.ready == 0 ? 1 : 0;
      }
      w.c = org(rec, w.c.p, w.version == 1, op == Op::Ltorg);
      return Step::Next;
    }
    if (op == Op::End || op == Op::Ex) {
      w.c.p = w.c.pool = pool_end(ctx_.literals, w.c.p, last_ltorg_, rec.width);
      return Step::Next;
    }
    if (op != Op::Equ) return Step::Statement;
    if (w.first && rec.label) {
      if (first_op.kind == OperandKind::Asterisk) add({r, *rec.label, false, w.seg, r, Place::Offset, std::int64_t{first_op.adjustment()} - 1});
      if (first_op.kind == OperandKind::Symbolic) add({r, *rec.label, true, first_op.symbol(), 0, Place::Offset, first_op.adjustment(), first_op.index_reg});
    }
    w.c.pool = w.c.p;
    return Step::Next;
  }

  // A statement that places something at the counter, or a define-area field.
  void walk_statement(WalkState& w, std::size_t i) {
    const RecordView rec = recs_[i];
    const int r = static_cast<int>(i);
    if (rec.kind == RecordKind::Statement || rec.kind == RecordKind::Generated) {
      w.area_rec = r;
      w.area_seg = w.seg;
      if (w.first && rec.label)
        add({r, *rec.label, false, w.seg, r, labels_rightmost(rec) ? Place::Rightmost : Place::Leftmost, rec.width});
      w.c.p = layout::place(rec, w.c.p, ctx_.symtab).next;
    } else if (w.first && rec.label && (rec.kind == RecordKind::Field || rec.kind == RecordKind::Subfield)) {
      const std::int64_t n = rec.kind == RecordKind::Field ? rec.operand(2).address() : rec.operand(1).address();
      if (w.area_rec < 0)
        add({r, *rec.label, false, -1, kStartLocation, Place::Field, n});
      else if (const std::optional<int> area_origin = recs_[static_cast<std::size_t>(w.area_rec)].origin)
        add({r, *rec.label, false, -1, *area_origin, Place::Field, n});
      else
        add({r, *rec.label, false, w.area_seg, w.area_rec, Place::Field, n});
    }
    w.c.pool = w.c.p;
  }

  // Lists, for every symbol, the EQUs and segments waiting for it, and for
  // every segment the candidates whose base it gives.
  void link() {
    const std::size_t syms = static_cast<std::size_t>(ctx_.symtab.size()) + 1;
    equ_waiting_.assign(syms, -1);
    seg_waiting_.assign(syms, -1);
    for (int i = static_cast<int>(cands_.size()) - 1; i >= 0; --i) {
      Candidate& c = cands_[static_cast<std::size_t>(i)];
      if (c.equ_symbolic) {
        if (!undefined(c.input)) continue;
        c.next = equ_waiting_[static_cast<std::size_t>(c.input)];
        equ_waiting_[static_cast<std::size_t>(c.input)] = i;
      } else if (c.input >= 0) {
        Segment& s = segments_[static_cast<std::size_t>(c.input)];
        if (s.ready != kNever) continue;
        c.next = s.waiting;
        s.waiting = i;
      }
    }
    for (int i = static_cast<int>(segments_.size()) - 1; i >= 1; --i) {
      Segment& s = segments_[static_cast<std::size_t>(i)];
      if (s.ready != kNever || !undefined(s.target)) continue;
      s.next = seg_waiting_[static_cast<std::size_t>(s.target)];
      seg_waiting_[static_cast<std::size_t>(s.target)] = i;
    }
  }

  void push(int sweep, int cand) {
    queue_.push(static_cast<std::uint64_t>(sweep) << 32 | static_cast<std::uint32_t>(cand));
  }

  // The try of candidate `ci` in sweep `sweep`: defines its label when the
  // label is still undefined and the value is now computable.
  void try_candidate(int sweep, int ci) {
    const Candidate& c = cands_[static_cast<std::size_t>(ci)];
    Symbol* label = symbol(c.label);
    if (label == nullptr || label->defined) return;
    const Symbol* target = nullptr;
    int base = c.slot;
    bool known = false;
    if (c.equ_symbolic) {
      target = symbol(c.input);
      known = target != nullptr && target->defined;
      if (known) base = target->value;
    } else {
      if (c.input >= 0) {
        const int version = segments_[static_cast<std::size_t>(c.input)].ready <= sweep ? 1 : 0;
        base = base_[version][static_cast<std::size_t>(c.slot)];
      }
      known = base >= 0;
    }
    if (!known) return;
    label->define(value_at(c, base));
    if (c.equ_symbolic) label->index_reg = index_digit(c.index, target->index_reg);
    wake(c.label, sweep, c.rec);
  }

  // Symbol `sym` was defined in sweep `sweep` at record `rec`: whatever
  // waits for it is tried in the first sweep that sees it.
  void wake(int sym, int sweep, int rec) {
    for (int i = equ_waiting_[static_cast<std::size_t>(sym)]; i >= 0; i = cands_[static_cast<std::size_t>(i)].next)
      push(cands_[static_cast<std::size_t>(i)].rec > rec ? sweep : sweep + 1, i);
    for (int s = seg_waiting_[static_cast<std::size_t>(sym)]; s >= 0; s = segments_[static_cast<std::size_t>(s)].next) {
      Segment& seg = segments_[static_cast<std::size_t>(s)];
      // An ORG labelled with its own target reads the value it just gave.
      seg.ready = seg.head >= rec ? sweep : sweep + 1;
      const RecordView head = recs_[static_cast<std::size_t>(seg.head)];
      last_ltorg_ = seg.last_ltorg;
      walk(static_cast<std::size_t>(seg.head) + 1, org(head, 0, true, head.op == Op::Ltorg), 1, false);
      for (int i = seg.waiting; i >= 0; i = cands_[static_cast<std::size_t>(i)].next) push(seg.ready, i);
    }
  }

  void first_walk() {
    segments_.assign(1, Segment{});
    last_ltorg_ = 1;
    walk(0, Counters{}, 1, true);
  }

  Pass2Context ctx_;
  const RecordStore& recs_;
  std::deque<Candidate> cands_;  ///< in blocks: a long chain never holds two copies
  std::vector<Segment> segments_;
  int last_ltorg_ = 1;            ///< LAST_LTORG of the walk
  std::vector<int> base_[2];      ///< per record: the base of its label, by segment form
  std::vector<int> equ_waiting_;  ///< per symbol: first EQU candidate naming it
  std::vector<int> seg_waiting_;  ///< per symbol: first segment whose ORG names it
  std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> queue_;
};

}  // namespace

int pass_2(const Pass2Context& ctx, Settle how) {
  // What pass 2 finds concerns the job as a whole, not a card.
  ctx.diag.locate(0, {}, 2);
  int sweeps = 0;
  for (;;) {
    Sweep sweep(ctx);
    sweep.run();
    ++sweeps;
    if (!sweep.unresolved) break;
    if (!sweep.changed) {
      // Standard error names them (the first few).
      std::string names;
      int named = 0;
      for (const Symbol& s : ctx.symtab.symbols()) {
        if (s.defined || is_blank(s.label)) continue;
        if (++named > 8) {
          names += ", ...";
          break;
        }
        names += (named > 1 ? ", " : ": ");
        names += rtrim(s.label);
      }
      ctx.diag.do_error(diagnose(DiagId::UnresolvedSymbols, {names}));
      break;
    }
    // Most programs are settled by the first sweep. When more are needed,
    // the dependencies settle everything the later sweeps would, and the
    // next sweep confirms it. The pool and lexer traces show every sweep
    // (a pool lexes its address constants), so with them on the sweeps do
    // all the work.
    if (sweeps == 1 && how == Settle::Direct && !ctx.reporting.traces.on('P') && !ctx.reporting.traces.on('l')) Resolver(ctx).run();
  }
  return sweeps;
}

}  // namespace velumar
