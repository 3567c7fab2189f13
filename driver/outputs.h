// The outputs of pass 3 that a run asks for: the listing writer, and the
// storage sinks (object deck, tape file) behind one fan-out. A new output
// that hears what goes into storage is one more sink added here, behind its
// option.
#pragma once

#include <optional>

#include "output/listing.h"
#include "output/object_deck.h"
#include "output/storage_sink.h"
#include "output/tape_file.h"
#include "core/settings.h"

namespace velumar {

class Pass3Outputs {
 public:
  /// The listing to LISTING, the deck to OBJECT, the tape to TAPE, as
  /// SETTINGS lay them out; an output whose stream is null is not written.
  Pass3Outputs(const Settings& settings, std::ostream* listing, std::ostream* object, std::ostream* tape);
  Pass3Outputs(const Pass3Outputs&) = delete;
  Pass3Outputs& operator=(const Pass3Outputs&) = delete;

  /// Attaches SINK after the deck and the tape (a test's storage image, say).
  void add(StorageSink& sink) { storage_.add(sink); }

  ListingWriter& listing() { return listing_; }
  StorageSink& storage() { return storage_; }

 private:
  ListingWriter listing_;
  std::optional<ObjectDeck> deck_;
  std::optional<TapeFile> tape_;
  FanOut storage_;
};

}  // namespace velumar
