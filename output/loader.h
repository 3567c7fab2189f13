// The loader decks that precede a program's own cards (clear storage, then
// a bootstrap that makes every following card self-loading), the cards that
// resume loading after EX or XFR, and the tape's clear-storage and
// bootstrap records: fixed 1401 code, kept here as tables.
#pragma once

#include <span>
#include <string_view>

namespace velumar {

class ListingWriter;
class ObjectDeck;
class TapeFile;

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

/// Punches, lists and writes to tape the loader that starts the job's
/// deck; DECK and TAPE may be null when not written.
void write_loader(char loader, int core_size, ObjectDeck* deck, TapeFile* tape, ListingWriter& listing);
/// Punches and writes to tape what resumes loading after EX or XFR.
void write_resume(char loader, ObjectDeck* deck, TapeFile* tape);

}  // namespace velumar
