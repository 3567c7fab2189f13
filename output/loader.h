// The loader decks that precede a program's own cards (clear storage, then
// a bootstrap that makes every following card self-loading), the cards that
// resume loading after EX or XFR, and the tape's clear-storage and
// bootstrap records: fixed 1401 code, kept here as tables.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace velumar {

/// A loader card: columns 1-71, and the caption it is listed with.
struct LoaderCard {
  std::string_view text;
  std::string_view caption;
  bool clears_from_top = false;  ///< columns 27-29 get the top address of storage
};

/// The cards of LOADER (-b: I clear and bootstrap, B bootstrap only, V
/// either, N none) for storage of CORE_SIZE positions.
std::span<const LoaderCard> loader_cards(char loader, int core_size);
/// The cards that resume loading after EX or XFR; QUICK: the one card of -X1.
std::span<const std::string_view> resume_cards(char loader, bool quick);

/// The columns 1-71 of CARD as punched for storage of CORE_SIZE positions.
std::string loader_card_text(const LoaderCard& card, int core_size);

/// A tape record that loads at 001-080: characters, and a "1" under each
/// one that carries a word mark.
struct TapeLoaderRecord {
  std::string_view text;
  std::string_view marks;
};
constexpr int kTapeLoaderRecordSize = 80;
/// The tape's loader: clear storage, then the bootstrap.
std::span<const TapeLoaderRecord> tape_loader_records();
/// The tape's record that resumes loading after EX or XFR: the bootstrap.
const TapeLoaderRecord& tape_resume_record();

}  // namespace velumar
