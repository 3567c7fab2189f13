// The object deck: self-loading 80-column cards. Each card carries up to 39
// storage characters in columns 1-39 and, from column 40, the instructions
// that move them into place (a load), set up to six word marks (three
// set-word-mark instructions), and read the next card. Also the delayed
// word-mark queue (-X4) and the transfer output of EX, XFR and END.
#include <algorithm>
#include <cstdint>
#include <string>

#include "tables/job.h"
#include "core/text.h"
#include "core/charset.h"
#include "core/zone.h"
#include "pass3/pass3.h"

namespace velumar {

namespace {

constexpr int DATA_COLS = 39;  // data columns 1-39
constexpr int LAST_POSITION = 15999;
constexpr int MAX_SLOTS = 6;   // word-mark addresses of the three set-word-mark instructions

// Writes TEXT into CARD from 1-based column FROM on.
void put(std::string& card, int from, std::string_view text) {
  if (card.size() != 71) card = Pass3::empty_card();  // never built: start from the empty card
  card.replace(static_cast<std::size_t>(from - 1), text.size(), text);
}

// Column of the first character of word-mark slot K (0-5): 48, 51, 55, 58, 62, 65.
int slot_col(int k) { return 48 + 3 * k + k / 2; }

// The read area and the loader live in 1-80; -a lets a program put things there.
bool hits_read_area(int first, int last) { return first <= 80 && last >= 1; }

// The value of an EX, XFR or END operand: an actual address or a symbol's
// value; -1 (not representable) when there is none.
int transfer_address(const Job& ctx, const Operand& op) {
  if (op.KIND == K_ACTUAL) return op.ADDR;
  if (op.KIND == K_SYMBOLIC && ctx.symtab.valid(op.ADDR)) return ctx.symtab[op.ADDR].VALUE;
  return -1;
}

}  // namespace

std::string Pass3::empty_card() {
  return std::string(DATA_COLS, ' ') + "L001001,040040,040040,040040" + std::string(4, ' ');
}

void Pass3::dc(std::string_view WHAT, char WM, int WHERE, int IXLAB) {
  const int length = static_cast<int>(WHAT.size());
  if (length == 0) return;
  if (IXLAB >= 0) P = clamp_location(std::int64_t{P} + length);
  // Positions that storage does not have get nothing: no card, no tape
  // record; the first character's word mark goes with it. Below 0 the
  // origin that led there has been reported (an undefined ORG, a location
  // counter outside storage); beyond 15999 the storage limit is.
  const std::int64_t first = std::int64_t{WHERE} - length + 1;
  const std::int64_t lo = std::max<std::int64_t>(first, 0);
  const std::int64_t hi = std::min<std::int64_t>(WHERE, LAST_POSITION);
  if (hi != WHERE) beyond_storage();
  if (lo > hi) return;
  if (lo != first) WM = ' ';
  std::string text(WHAT.substr(static_cast<std::size_t>(lo - first), static_cast<std::size_t>(hi - lo + 1)));
  for (char& c : text) c = as_1401(c);
  WHAT = text;
  WHERE = static_cast<int>(hi);
  const int MyP = static_cast<int>(lo);
  if (ctx.settings.NotIn_1_80 && hits_read_area(MyP, WHERE)) ctx.diag.ErrCode = err::AddrErr;
  const int placed = static_cast<int>(text.size());
  char wm = WM == 'W' ? 'W' : ' ';
  char tape_wm = wm;

  if (Do_Object) {
    if (OBJ_POS + placed > DATA_COLS || (OBJ_POS > 0 && Last_Obj_P + 1 != MyP)) finish_obj(true);
    if (Num_Load_Ops >= MAX_SLOTS && wm == 'W') {
      // Queue the word mark only when that keeps data on this card; a card
      // without data gains nothing by waiting, and a full queue refuses it.
      const bool queue = (ctx.settings.Extra & extra::Extra_SWQ) != 0 && OBJ_POS > 0 &&
                         SWQT - SWQH + 1 < SWQ_SIZE;
      if (queue) {
        if (SWQT < SWQH) {  // empty: reuse the storage from the start
          SWQH = 1;
          SWQT = 0;
        }
        ++SWQT;
        if (static_cast<int>(SWQ.size()) < SWQT) SWQ.resize(static_cast<std::size_t>(SWQT));
        SWQ[static_cast<std::size_t>(SWQT - 1)] = MyP;
        wm = ' ';
        tape_wm = ' ';  // the queue's drain sets it on tape too, after this field's record
      } else {
        finish_obj(true);
      }
    }
    // A field without word mark as the card's first data needs the
    // clear-word-mark instruction in the first two slots; addresses already
    // there go out on this card first.
    if (OBJ_POS == 0 && Num_Load_Ops > 0 && wm != 'W') finish_obj(true);

    int pos = 0;
    while (pos < placed) {
      const int piece = std::min(placed - pos, DATA_COLS - OBJ_POS);
      put(CARD, OBJ_POS + 1, WHAT.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(piece)));
      const int first = MyP + pos;
      if (OBJ_POS == 0 && wm != 'W') {
        // The load brings the read area's column-1 word mark along; clear it.
        const std::string addr = num_to_addr(first);
        put(CARD, 47, ")" + addr + addr);
        Num_Load_Ops = 2;
      } else if (OBJ_POS > 0 && wm == 'W') {
        sw(first, true);
      }
      pos += piece;
      Last_Obj_P = MyP + pos - 1;
      wm = ' ';
      OBJ_POS += piece;
      if (OBJ_POS == DATA_COLS) finish_obj(true);
    }
  }

  if (Do_Tape) tape_field(WHAT, tape_wm, MyP);
}

void Pass3::beyond_storage() {
  // A flag the statement has already (an undefined symbol) says more.
  if (ctx.diag.ErrCode == err::NoErr) ctx.diag.ErrCode = err::AddrErr;
  if (ctx.storage_reported) return;
  ctx.diag.do_error("CORE STORAGE EXCEEDED");
  ctx.storage_reported = true;
}

void Pass3::sw(int MyP, bool FromDC) {
  if (MyP < 0) return;  // below storage: reported where the location went there
  if (MyP > LAST_POSITION) {
    beyond_storage();
    return;
  }
  if (ctx.settings.NotIn_1_80 && MyP >= 1 && MyP <= 80) ctx.diag.ErrCode = err::AddrErr;
  if (Do_Object) {
    // Callers punch before the slots run out; should one not, the mark
    // still goes on a card rather than past the card's end.
    if (Num_Load_Ops >= MAX_SLOTS) finish_obj(true);
    put(CARD, slot_col(Num_Load_Ops), num_to_addr(MyP));
    ++Num_Load_Ops;
  }
  if (Do_Tape && !FromDC) tape_sw(MyP);
}

void Pass3::clear(int HOW_MUCH, char WM) {
  if (HOW_MUCH <= 0) return;
  // The pieces follow each other from P even when an explicit location
  // (negative IxLab) keeps P where it is. Only the part inside storage is
  // walked, so that an area of any size costs what storage can hold.
  const int start = P;
  const std::int64_t first = start;
  const std::int64_t last = first + HOW_MUCH - 1;
  const std::int64_t lo = std::max<std::int64_t>(first, 0);
  const std::int64_t hi = std::min<std::int64_t>(last, LAST_POSITION);
  if (hi != last) beyond_storage();
  char wm = lo == first ? WM : ' ';
  for (std::int64_t at = lo; at <= hi;) {
    const int piece = static_cast<int>(std::min<std::int64_t>(hi - at + 1, DATA_COLS));
    dc(std::string(static_cast<std::size_t>(piece), ' '), wm, static_cast<int>(at) + piece - 1, -1);
    at += piece;
    wm = ' ';
  }
  P = IxLab >= 0 ? static_cast<int>(std::min<std::int64_t>(first + HOW_MUCH, 100000000)) : start;
}

void Pass3::finish_obj(bool read_and_branch) {
  if (Do_Object) {
    while (SWQH <= SWQT && Num_Load_Ops < MAX_SLOTS) {
      sw(SWQ[static_cast<std::size_t>(SWQH - 1)]);
      ++SWQH;
    }
    if (OBJ_POS > 0) {
      put(CARD, 40, "L" + fmt_int_zero(OBJ_POS, 3, 3) + num_to_addr(Last_Obj_P));
    }
    if (read_and_branch) put(CARD, 68, "1040");
    // The sequence number wraps at 10000 as a numbering punch would.
    const std::string line = pad(CARD, 71) + fmt_int_zero(CARD_NO % 10000, 4, 4) + pad(Deck_Id, 5);
    if (ctx.object) *ctx.object << line << '\n';
    if (Do_List && ctx.settings.Interleave) {
      if (LINE_NO >= ctx.settings.MaxLine || SKIP != '1') heading();
      print("&" + line);
      ++LINE_NO;
    }
    CARD = empty_card();
    ++CARD_NO;
  }
  OBJ_POS = 0;
  Num_Load_Ops = 0;
}

void Pass3::flush_sw_queue() {
  // Queued marks reach the tape's set-word-mark records as well (no FromDC).
  while (SWQH <= SWQT) {
    if (Num_Load_Ops >= MAX_SLOTS) finish_obj(true);
    sw(SWQ[static_cast<std::size_t>(SWQH - 1)]);
    ++SWQH;
  }
}

void Pass3::transfer_ex() {
  flush_sw_queue();
  WIDTH = 0;
  const std::string addr = num_to_addr(transfer_address(ctx, operand(1)));
  if (addr == "###") flag_address(1);
  const std::string branch = "B" + addr;
  Object = pad(branch, 8);
  spread({1, 3});

  if (Do_Object) {
    if ((ctx.settings.Extra & extra::Extra_EX) == 0) {
      finish_obj(true);
      put(CARD, 40, "N000000");
    }
    put(CARD, 68, branch);
    finish_obj(false);
  }
  if (Do_Tape) {
    // Word marks still pending must be set before control leaves the load.
    output_swms();
    write_tape("N000000" + branch + " ", "100000010001", 61);
  }
  NeedEX = true;
  ListArgs args;
  args.OUTPUT = OUTPUT;
  listing(args);
}

void Pass3::transfer_end() {
  flush_sw_queue();
  const std::string addr = num_to_addr(transfer_address(ctx, operand(1)));
  if (addr == "###") flag_address(1);
  const std::string instr = "/" + addr + "080";
  Object = pad(instr, 8);
  spread({1, 3, 3});

  if (Do_Object) {
    // The third set-word-mark instruction is free when it still sets only
    // 040; a requested mark at 040 would be cleared by the transfer anyway.
    if ((ctx.settings.Extra & extra::Extra_End) != 0 && pad(CARD, 71).substr(60, 7) == ",040040") {
      put(CARD, 61, instr);
      finish_obj(true);
    } else {
      if (OBJ_POS > 0 || Num_Load_Ops > 0) finish_obj(true);
      put(CARD, 40, pad(instr, 32));
      finish_obj(false);
    }
  }
  if (Do_Tape) {
    output_swms();
    write_tape(instr + " ", "10000001", 61);
  }
  ListArgs args;
  args.OUTPUT = OUTPUT;
  listing(args);
}

}  // namespace velumar
