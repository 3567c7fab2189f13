// The loader decks that precede a program's own cards (clear storage, then a
// bootstrap that makes every following card self-loading), the cards that
// resume loading after EX or XFR, and the tape's clear-storage and
// bootstrap records. All texts are fixed 1401 code, columns 1-71 of a card.
#include <array>
#include <string>
#include <string_view>

#include "tables/job.h"
#include "core/text.h"
#include "core/zone.h"
#include "pass3/pass3.h"

namespace velumar {

namespace {

constexpr std::string_view CS1_4 =
    ",008015,019026,030,034041,045,053,0570571026"
    "                           ";
constexpr std::string_view CS1_6 =
    ",008015,022026,030037,044,049,053053N000000N00001026"
    "                   ";
constexpr std::string_view CS2_4 =
    "L068112,102106,113/101099/I99,027A070028)027B0010270B0261,001/001113I0"
    " ";
constexpr std::string_view CS2_6 = "L068116,105106,110117B101/I9I#071029C029056B026/B001/0991,001/001117I0?";
constexpr std::string_view BOOTSTRAP =
    ",008015,022029,036040,047054,061068,072/061039"
    "              "  // columns 47-60
    ",0010011040";
constexpr std::string_view CS_V =
    ",008015,022026,030040/019,001L020100"
    "   "  // columns 37-39
    ",047054,061068,072072)0810811022";
constexpr std::string_view BOOT_V =
    ",008047/047046"
    "       "  // columns 15-21
    "/000H025B022100"
    "  "  // columns 37-38
    "4/061046,054061,068072,0010401040";
constexpr std::string_view EX1 =
    ",015022)024056,029036,040047,0540611001,001008B001"
    "     "  // columns 51-55
    ",001008B001"
    "     ";
constexpr std::string_view EX2 =
    ",068072)063067/061039"
    "                                       "  // columns 22-60
    ",0010011040";
constexpr std::string_view RE_EX =
    ",008047/047046"
    "                                "  // columns 15-46
    ",054061,068072,0010401040";

static_assert(CS1_4.size() == 71 && CS1_6.size() == 71 && CS2_4.size() == 71 && CS2_6.size() == 71);
static_assert(BOOTSTRAP.size() == 71 && CS_V.size() == 71 && BOOT_V.size() == 71);
static_assert(EX1.size() == 71 && EX2.size() == 71 && RE_EX.size() == 71);

// Tape records: characters, and a word-mark string with "1" under each
// character that carries a word mark.
constexpr std::string_view CST = ",200/000H008V0052001L051115L/100099L%U1001R/007199 CLEAR STORAGE";
constexpr std::string_view CSTW = "10001000100010000000100000011000000100000001";
constexpr std::string_view BOOT_T = "U%U1B.L%U1020RB001L.020 BOOTSTRAP";
constexpr std::string_view BOOT_TW = "100001100000001000010001";
constexpr int BOOT_RECORD_SIZE = 80;  // both records load at 001-080

static_assert(CST.size() == 64 && BOOT_T.size() == 33);

struct LoaderCard {
  std::string_view text;
  std::string_view caption;
};

}  // namespace

void Pass3::emit_loader() {
  const char loader = ctx.settings.BootLoader;
  std::array<LoaderCard, 3> cards{};
  int count = 0;
  if (loader == 'B') {
    cards[count++] = {BOOT_V, " BOOTSTRAP NO CLEAR"};
  } else if (loader == 'V') {
    cards[count++] = {CS_V, " BOOTSTRAP FOR CLEAR"};
    cards[count++] = {BOOT_V, " CLEAR OR BOOTSTRAP"};
  } else if (loader != 'N') {
    const bool small = ctx.settings.CoreSize <= 4000;
    cards[count++] = {small ? CS1_4 : CS1_6, " CLEAR STORAGE 1"};
    cards[count++] = {small ? CS2_4 : CS2_6, " CLEAR STORAGE 2"};
    cards[count++] = {BOOTSTRAP, " BOOTSTRAP"};
  }

  for (int i = 0; i < count; ++i) {
    std::string text(cards[static_cast<std::size_t>(i)].text);
    // The second clear-storage card clears from the top of storage down.
    if (i == 1 && count == 3) text.replace(26, 3, num_to_addr(ctx.settings.CoreSize - 1));
    if (Do_List) print(pad(cards[static_cast<std::size_t>(i)].caption, 21) + text + fmt_int(i + 1, 23));
    if (Do_Object) {
      CARD = text;
      finish_obj(false);
    }
  }
  LINE_NO = Do_Object && ctx.settings.Interleave ? 5 : 3;

  if (Do_Tape && count > 0) {
    write_tape(CST, CSTW, BOOT_RECORD_SIZE);
    write_tape(BOOT_T, BOOT_TW, BOOT_RECORD_SIZE);
  }
  NeedCS = false;
}

void Pass3::emit_resume() {
  const char loader = ctx.settings.BootLoader;
  if (loader != 'N') {
    if (Do_Object) {
      if ((ctx.settings.Extra & extra::Extra_EX) != 0) {
        CARD = std::string(RE_EX);
        finish_obj(false);
      } else {
        CARD = std::string(EX1);
        finish_obj(false);
        CARD = std::string(loader == 'V' ? BOOT_V : EX2);
        finish_obj(false);
      }
    }
    if (Do_Tape) write_tape(BOOT_T, BOOT_TW, BOOT_RECORD_SIZE);
  }
  NeedEX = false;
}

}  // namespace velumar
