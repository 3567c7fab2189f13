// What pass 3 puts into storage: characters and word marks at locations,
// the transfers of EX, XFR and END, and the loader that comes first. The
// location bookkeeping, the storage limits and their flags are decided
// here; the storage sink (deck, tape, or whatever the run attached)
// decides how each thing is punched or written.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "core/charset.h"
#include "core/location.h"
#include "core/text.h"
#include "core/zone.h"
#include "output/loader.h"
#include "pass3/pass3.h"

namespace velumar {

namespace {

constexpr int kMaxPiece = 39;  // a clear of blanks goes in pieces of one card's data

// The read area and the loader live in 1-80; -a lets a program put things there.
bool hits_read_area(std::int64_t first, std::int64_t last) { return first <= 80 && last >= 1; }

// What each byte is placed as: itself when it is a 1401 character, else a blank.
constexpr std::array<char, 256> kPlaced = [] {
  std::array<char, 256> table{};
  for (int b = 0; b < 256; ++b)
    table[static_cast<std::size_t>(b)] = ASCII_TO_BCD[static_cast<std::size_t>(b)] != 0 ? static_cast<char>(b) : ' ';
  return table;
}();

// The value of an EX, XFR or END operand: an actual address or a symbol's
// value; -1 (not representable) when there is none.
int transfer_address(const Pass3Context& ctx, const Operand& op) {
  if (op.kind == OperandKind::Actual) return op.address();
  if (op.kind == OperandKind::Symbolic && ctx.symtab.valid(op.symbol())) return ctx.symtab[op.symbol()].defined_value().value_or(-1);
  return -1;
}

}  // namespace

void Pass3::dc(std::string_view text, char wm, int last) {
  const int length = static_cast<int>(text.size());
  if (length == 0) return;
  // Positions that storage does not have get nothing: no card, no tape
  // record; the first character's word mark goes with it. Below 0 the
  // origin that led there has been reported (an undefined ORG, a location
  // counter outside storage); beyond 15999 the storage limit is.
  const std::int64_t first = std::int64_t{last} - length + 1;
  const std::int64_t lo = std::max<std::int64_t>(first, 0);
  const std::int64_t hi = std::min<std::int64_t>(last, kLastAddress);
  if (hi != last) beyond_storage();
  if (lo > hi) return;
  bool word_mark = wm == 'W' && lo == first;
  std::string& placed = placed_;
  const std::string_view kept = text.substr(static_cast<std::size_t>(lo - first), static_cast<std::size_t>(hi - lo + 1));
  placed.resize(kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) placed[i] = kPlaced[static_cast<unsigned char>(kept[i])];
  if (ctx.settings.keep_out_of_1_80 && hits_read_area(lo, hi)) ctx.diag.add_flag(err::AddrErr);

  if (ctx.statements != nullptr) ctx.statements->placed(record_no_, static_cast<int>(lo), placed, word_mark);
  storage_.place(placed, word_mark, static_cast<int>(lo), card_columns(16, 35));
}

void Pass3::beyond_storage() {
  // A flag the statement has already (an undefined symbol) says more.
  ctx.diag.add_flag(err::OutsideStorage);
  if (ctx.diag.storage_reported()) return;
  ctx.diag.do_error(diagnose(DiagId::CoreStorageExceeded));
  ctx.diag.set_storage_reported();
}

void Pass3::sw(int at) {
  if (at < 0) return;  // below storage: reported where the location went there
  if (at > kLastAddress) {
    beyond_storage();
    return;
  }
  if (ctx.settings.keep_out_of_1_80 && hits_read_area(at, at)) ctx.diag.add_flag(err::AddrErr);
  if (ctx.statements != nullptr) ctx.statements->marked(record_no_, at);
  storage_.set_word_mark(at);
}

void Pass3::clear(int start, int count, char wm) {
  if (count <= 0) return;
  // Only the part inside storage is walked, so that an area of any size
  // costs what storage can hold.
  const std::int64_t first = start;
  const std::int64_t last = first + count - 1;
  const std::int64_t lo = std::max<std::int64_t>(first, 0);
  const std::int64_t hi = std::min<std::int64_t>(last, kLastAddress);
  if (hi != last) beyond_storage();
  char piece_wm = lo == first ? wm : ' ';
  for (std::int64_t at = lo; at <= hi;) {
    const int piece = static_cast<int>(std::min<std::int64_t>(hi - at + 1, kMaxPiece));
    dc(std::string(static_cast<std::size_t>(piece), ' '), piece_wm, static_cast<int>(at) + piece - 1);
    at += piece;
    piece_wm = ' ';
  }
}

void Pass3::transfer_ex() {
  stmt_.width = 0;
  const std::string addr = num_to_addr(transfer_address(ctx, operand(1)));
  if (addr == "###") flag_address(1);
  const std::string branch = "B" + addr;
  stmt_.object = pad(branch, 8);
  spread({1, 3});
  storage_.transfer(branch);
  state_.resume_due = true;
  listing({.instruction = stmt_.output});
}

void Pass3::transfer_end() {
  const std::string addr = num_to_addr(transfer_address(ctx, operand(1)));
  if (addr == "###") flag_address(1);
  const std::string instruction = "/" + addr + "080";
  stmt_.object = pad(instruction, 8);
  spread({1, 3, 3});
  storage_.end(instruction);
  listing({.instruction = stmt_.output});
}

void Pass3::set_title(std::string_view page_head, std::string_view deck_id) {
  std::string id(deck_id);
  for (char& c : id) c = as_1401(c);
  // The heading is printed on every page: its foreign bytes show as "?",
  // as they do in the card's own listing line.
  std::string head(page_head);
  mask_foreign(head.data(), head.size());
  list_.set_title(head, id);
  storage_.set_deck_id(id);
}

void Pass3::emit_loader() {
  int number = 0;
  for (const LoaderCard& card : loader_cards(ctx.settings.boot_loader, ctx.settings.core_size)) {
    const std::string text = loader_card_text(card, ctx.settings.core_size);
    list_.loader_card(card.caption, text, ++number);
    storage_.loader(text);
  }
  list_.after_loader();
  state_.loader_due = false;
}

void Pass3::emit_resume() {
  storage_.resume(ctx.settings.boot_loader);
  state_.resume_due = false;
}

}  // namespace velumar
