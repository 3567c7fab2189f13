#include "output/loader.h"

#include <string>

#include "core/text.h"
#include "core/zone.h"

namespace velumar {

namespace {

constexpr std::string_view kClear1Small =
    ",008015,019026,030,034041,045,053,0570571026"
    "                           ";
constexpr std::string_view kClear1 =
    ",008015,022026,030037,044,049,053053N000000N00001026"
    "                   ";
constexpr std::string_view kClear2Small =
    "L068112,102106,113/101099/I99,027A070028)027B0010270B0261,001/001113I0"
    " ";
constexpr std::string_view kClear2 = "L068116,105106,110117B101/I9I#071029C029056B026/B001/0991,001/001117I0?";
constexpr std::string_view kBootstrap =
    ",008015,022029,036040,047054,061068,072/061039"
    "              "  // columns 47-60
    ",0010011040";
constexpr std::string_view kClearV =
    ",008015,022026,030040/019,001L020100"
    "   "  // columns 37-39
    ",047054,061068,072072)0810811022";
constexpr std::string_view kBootstrapV =
    ",008047/047046"
    "       "  // columns 15-21
    "/000H025B022100"
    "  "  // columns 37-38
    "4/061046,054061,068072,0010401040";
constexpr std::string_view kResume1 =
    ",015022)024056,029036,040047,0540611001,001008B001"
    "     "  // columns 51-55
    ",001008B001"
    "     ";
constexpr std::string_view kResume2 =
    ",068072)063067/061039"
    "                                       "  // columns 22-60
    ",0010011040";
constexpr std::string_view kResumeQuick =
    ",008047/047046"
    "                                "  // columns 15-46
    ",054061,068072,0010401040";

static_assert(kClear1Small.size() == 71 && kClear1.size() == 71 && kClear2Small.size() == 71 && kClear2.size() == 71);
static_assert(kBootstrap.size() == 71 && kClearV.size() == 71 && kBootstrapV.size() == 71);
static_assert(kResume1.size() == 71 && kResume2.size() == 71 && kResumeQuick.size() == 71);

constexpr LoaderCard kClearSmallDeck[] = {{kClear1Small, " CLEAR STORAGE 1"},
                                          {kClear2Small, " CLEAR STORAGE 2", true},
                                          {kBootstrap, " BOOTSTRAP"}};
constexpr LoaderCard kClearDeck[] = {
    {kClear1, " CLEAR STORAGE 1"}, {kClear2, " CLEAR STORAGE 2", true}, {kBootstrap, " BOOTSTRAP"}};
constexpr LoaderCard kBootstrapDeck[] = {{kBootstrapV, " BOOTSTRAP NO CLEAR"}};
constexpr LoaderCard kClearOrBootstrapDeck[] = {{kClearV, " BOOTSTRAP FOR CLEAR"},
                                                {kBootstrapV, " CLEAR OR BOOTSTRAP"}};
constexpr int kSmallStorage = 4000;  // up to this size the first clear-storage cards are shorter

constexpr std::string_view kResumeDeck[] = {kResume1, kResume2};
constexpr std::string_view kResumeDeckV[] = {kResume1, kBootstrapV};
constexpr std::string_view kResumeDeckQuick[] = {kResumeQuick};

// Tape records: characters, and a word-mark string with "1" under each
// character that carries a word mark. Both load at 001-080.
constexpr std::string_view kClearTape = ",200/000H008V0052001L051115L/100099L%U1001R/007199 CLEAR STORAGE";
constexpr std::string_view kClearTapeMarks = "10001000100010000000100000011000000100000001";
constexpr std::string_view kBootstrapTape = "U%U1B.L%U1020RB001L.020 BOOTSTRAP";
constexpr std::string_view kBootstrapTapeMarks = "100001100000001000010001";
static_assert(kClearTape.size() == 64 && kBootstrapTape.size() == 33);
constexpr TapeLoaderRecord kTapeLoader[] = {{kClearTape, kClearTapeMarks}, {kBootstrapTape, kBootstrapTapeMarks}};

// Where the top address goes on a card that clears from the top (columns 27-29).
constexpr std::size_t kTopAddressAt = 26;

}  // namespace

std::span<const LoaderCard> loader_cards(char loader, int core_size) {
  switch (loader) {
    case 'B': return kBootstrapDeck;
    case 'V': return kClearOrBootstrapDeck;
    case 'N': return {};
    default: return core_size <= kSmallStorage ? kClearSmallDeck : kClearDeck;
  }
}

std::span<const std::string_view> resume_cards(char loader, bool quick) {
  if (loader == 'N') return {};
  if (quick) return kResumeDeckQuick;
  return loader == 'V' ? kResumeDeckV : kResumeDeck;
}

std::string loader_card_text(const LoaderCard& card, int core_size) {
  std::string text(card.text);
  if (card.clears_from_top) text.replace(kTopAddressAt, 3, num_to_addr(core_size - 1));
  return text;
}

std::span<const TapeLoaderRecord> tape_loader_records() { return kTapeLoader; }

const TapeLoaderRecord& tape_resume_record() { return kTapeLoader[1]; }

}  // namespace velumar
