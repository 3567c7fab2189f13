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
#include "tables/job.h"

namespace velumar {

class Pass3Outputs {
 public:
  /// The listing when LIST, the deck when OBJECT, the tape when TAPE, each
  /// written to the job's file for it (nothing visible when it has none).
  Pass3Outputs(const Job& ctx, bool list, bool object, bool tape);
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
