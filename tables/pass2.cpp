#include "tables/pass2.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "driver/context.h"
#include "driver/text.h"
#include "tables/pools.h"

namespace velumar {

namespace {

constexpr int kFirstLocation = 333;

// Values stay far from the int limits however long an EQU chain of large
// offsets grows; the sign, and so definedness, is kept.
constexpr std::int64_t kLimit = 999'999'999;

int clamp_value(std::int64_t value) { return static_cast<int>(std::clamp(value, -kLimit, kLimit)); }

bool is_pool_record(std::string_view why) { return why == "LIT  " || why == "AREA " || why == "ADCON"; }

// Operations whose label names the rightmost character of the field.
bool labels_rightmost(std::string_view op) { return op == "DC " || op == "DCW" || op == "DSA" || op == "DS "; }

// The index register digit of an operand, or `otherwise` when it names none.
int index_digit(char c, int otherwise) { return c >= '0' && c <= '3' ? c - '0' : otherwise; }

// One sweep over the intermediate records: recomputes the location counter
// and defines what has become computable.
class Sweep {
 public:
  explicit Sweep(Context& ctx) : ctx_(ctx) {}

  bool Change = false;  ///< something was defined
  bool UNDEF = false;   ///< something is still undefined

  void run() {
    ctx_.literals.LAST_LTORG = 1;
    for (const Record& rec : ctx_.scratch.records()) {
      if (col(rec.LINE, 6) == '*') continue;  // comment card or diagnostic
      if (is_pool_record(rec.WHY)) {
        pool_record(rec);
        continue;
      }
      const int pool_start = statement(rec);
      // Pool records that follow a statement lie where it left the
      // location counter; after an LTORG, at the start of its pool.
      P_pool_ = pool_start;
    }
  }

 private:
  Symbol* symbol(int i) { return ctx_.symtab.valid(i) ? &ctx_.symtab[i] : nullptr; }

  // Gives the undefined symbol `ix` the value `value` when `known` and the
  // value counts as defined; otherwise notes that something is left open.
  // Returns true when the symbol was defined now.
  bool settle(int ix, bool known, std::int64_t value) {
    Symbol* sym = symbol(ix);
    if (sym == nullptr || is_defined(sym->VALUE)) return false;
    const int v = clamp_value(value);
    if (known && is_defined(v)) {
      sym->VALUE = v;
      Change = true;
      return true;
    }
    UNDEF = true;
    return false;
  }

  // Handles one statement record; returns where a pool of literal records
  // following it begins.
  int statement(const Record& rec) {
    const std::string op = cols(rec.LINE, 16, 18);
    // Only source statements are steered by their operation: a generated
    // "GEN  " line repeats the previous card's operation field, whatever it was.
    if (is_blank(rec.WHY)) {
      if (op == "LTO" || op == "ORG") return org(rec, op == "LTO");
      if (op == "END" || op == "EX ") {
        process_ltorg(ctx_, P_, false, rec.WIDTH);
        return P_;
      }
      if (op == "EQU") {
        equ(rec);
        return P_;
      }
    }
    if (is_blank(rec.WHY) || rec.WHY == "GEN  ") {
      // A statement at an explicit address is the base of the fields that
      // follow it there, as in pass 1.
      P_DA_ = rec.IXLAB < 0 ? -rec.IXLAB : P_;
      if (rec.IXLAB > 0) {
        const int offset = labels_rightmost(op) ? rec.WIDTH - 1 : 0;
        settle(rec.IXLAB, P_ >= 0, std::int64_t{P_} + offset);
      }
      if (rec.IXLAB >= 0) P_ = clamp_value(std::int64_t{P_} + rec.WIDTH);
    } else if (rec.WHY == "FIELD" || rec.WHY == "SBFLD") {
      if (rec.IXLAB > 0) {
        const int n = rec.WHY == "FIELD" ? rec.operand(2).ADDR : rec.operand(1).ADDR;
        settle(rec.IXLAB, P_DA_ >= 0, std::int64_t{P_DA_} + n - 1);
      }
    }
    return P_;
  }

  int org(const Record& rec, bool ltorg) {
    if (rec.IXLAB > 0) settle(rec.IXLAB, P_ >= 0, P_);
    const Operand& first = rec.operand(1);
    switch (first.KIND) {
      case K_ACTUAL:
        P_ = first.ADDR;
        break;
      case K_ASTERISK:
        if (P_ < 0) UNDEF = true;
        break;
      case K_SYMBOLIC: {
        const Symbol* target = symbol(first.ADDR);
        if (target != nullptr && is_defined(target->VALUE)) {
          P_ = target->VALUE;
          if (P_ < 0) UNDEF = true;
        } else {
          // Undetermined exactly as in pass 1, so that no offset can turn
          // the sentinel into a plausible location.
          P_ = UNDEF_ORG_P;
          UNDEF = true;
        }
        break;
      }
      default:
        break;
    }
    if (first.OFFSET == X00) {
      const std::int64_t p = std::int64_t{P_} + 99;
      P_ = clamp_value(p - p % 100);
    } else {
      P_ = clamp_value(std::int64_t{P_} + first.OFFSET);
    }
    const int pool_start = P_;
    if (ltorg) process_ltorg(ctx_, P_, false, rec.WIDTH);
    return pool_start;
  }

  void equ(const Record& rec) {
    Symbol* label = symbol(rec.IXLAB);
    if (rec.IXLAB <= 0 || label == nullptr) return;
    const Operand& first = rec.operand(1);
    if (!is_defined(label->VALUE)) {
      if (first.KIND == K_ASTERISK) {
        settle(rec.IXLAB, P_ >= 0, std::int64_t{P_} - 1 + first.OFFSET);
      } else if (first.KIND == K_SYMBOLIC) {
        const Symbol* target = symbol(first.ADDR);
        const int new_value = target != nullptr ? target->VALUE : REF;
        // Pass 1 could not know the index tag of a symbol defined later;
        // it goes with the value, as it does for a backward EQU.
        if (settle(rec.IXLAB, is_defined(new_value), std::int64_t{new_value} + first.OFFSET))
          label->INDEX = index_digit(first.INDEX, target->INDEX);
      }
    }
    if (is_defined(label->VALUE) && first.KIND == K_DEVICE) label->DEV = pad(first.LABEL, 3);
  }

  void pool_record(const Record& rec) {
    if (rec.IXLAB > 0 && (rec.WHY == "AREA " || rec.WHY == "LIT  "))
      settle(rec.IXLAB, P_pool_ >= 0, std::int64_t{P_pool_} + rec.WIDTH - 1);
    P_pool_ = clamp_value(std::int64_t{P_pool_} + rec.WIDTH);
  }

  Context& ctx_;
  int P_ = kFirstLocation;
  int P_DA_ = kFirstLocation;    ///< base of the define-area fields
  int P_pool_ = kFirstLocation;  ///< location of the next literal record
};

}  // namespace

int pass_2(Context& ctx) {
  int sweeps = 0;
  for (;;) {
    Sweep sweep(ctx);
    sweep.run();
    ++sweeps;
    if (!sweep.UNDEF) break;
    if (!sweep.Change) {
      ctx.diag.do_error("Undefined or unresolvable symbols");
      break;
    }
  }
  return sweeps;
}

}  // namespace velumar
