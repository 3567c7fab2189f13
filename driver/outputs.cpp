#include "driver/outputs.h"

namespace velumar {

Pass3Outputs::Pass3Outputs(const Job& ctx, bool list, bool object, bool tape)
    : listing_(list ? ctx.listing : nullptr, ctx.settings.max_line, ctx.settings.boot_loader != 'N') {
  if (object) {
    const int extra = ctx.settings.extras;
    const DeckOptions options{.queue_marks = (extra & extra::kQueueWordMarks) != 0,
                              .quick_transfer = (extra & extra::kQuickEx) != 0,
                              .quick_end = (extra & extra::kQuickEnd) != 0};
    // The deck comes first: a word mark it queues reaches the tape when a
    // card sets it.
    deck_.emplace(ctx.object, options,
                  list && ctx.settings.interleave ? listing_.interleave_cards() : ObjectDeck::Echo{});
    storage_.add(*deck_);
  }
  if (tape) {
    tape_.emplace(ctx.tape);
    storage_.add(*tape_);
  }
}

}  // namespace velumar
