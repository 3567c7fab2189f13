#include "driver/outputs.h"

namespace velumar {

Pass3Outputs::Pass3Outputs(const Settings& settings, std::ostream* listing, std::ostream* object, std::ostream* tape)
    : listing_(listing, settings.max_line, settings.boot_loader != 'N') {
  if (object != nullptr) {
    const int extra = settings.extras;
    const DeckOptions options{.queue_marks = (extra & extra::kQueueWordMarks) != 0,
                              .quick_transfer = (extra & extra::kQuickEx) != 0,
                              .quick_end = (extra & extra::kQuickEnd) != 0};
    // The deck comes first: a word mark it queues reaches the tape when a
    // card sets it.
    deck_.emplace(object, options,
                  listing != nullptr && settings.interleave ? listing_.interleave_cards() : ObjectDeck::Echo{});
    storage_.add(*deck_);
  }
  if (tape != nullptr) {
    tape_.emplace(tape);
    storage_.add(*tape_);
  }
}

}  // namespace velumar
