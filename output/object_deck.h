// The object deck writer: self-loading 80-column cards. Each card carries up
// to 39 storage characters in columns 1-39 and, from column 40, the
// instructions that move them into place (a load), set up to six word marks
// (three set-word-mark instructions), and read the next card. Word marks
// that find no free slot on a card holding data may wait in a queue for the
// next cards (-X4).
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "output/storage_sink.h"

namespace velumar {

struct DeckOptions {
  bool queue_marks = false;     ///< delay word marks that find no slot (-X4)
  bool quick_transfer = false;  ///< EX/XFR branch from the last data card (-X1)
  bool quick_end = false;       ///< END's transfer in a free third instruction (-X2)
};

class ObjectDeck : public StorageSink {
 public:
  /// Receives each card punched as a listing shows it ("&" and the 80 columns).
  using Echo = std::function<void(std::string_view)>;

  /// Punches to OUT (nothing when null) and hands every card to ECHO too
  /// when it is given (the listing interleaves them, -i).
  ObjectDeck(std::ostream* out, DeckOptions options, Echo echo = {});

  void set_deck_id(std::string_view id) override;
  /// Punches a loader card.
  void loader(std::string_view card) override { punch_image(card); }

  /// Loads TEXT (1401 characters, all inside storage) at FIRST onwards, with
  /// a word mark on its first character when WORD_MARK. Returns true when
  /// that mark went to the queue instead of onto a card; the card that sets
  /// it later tells the late-mark listener.
  bool place(std::string_view text, bool word_mark, int first, std::string_view ident = {}) override;
  /// A set-word-mark slot for AT, punching the card first when its slots are full.
  void set_word_mark(int at) override;
  /// The cards that resume loading after EX or XFR.
  void resume(char loader) override;
  void on_late_mark(LateMark listener) override { on_mark_ = std::move(listener); }
  /// Punches the card being built, first giving free slots to queued marks;
  /// READ_AND_BRANCH ends it with the branch that reads the next card.
  void punch(bool read_and_branch = true);
  /// Sets every queued word mark, on as many cards as that takes.
  void drain_queue();
  /// Punches a fixed card image (columns 1-71): a loader card.
  void punch_image(std::string_view columns);
  /// The branch of EX or XFR, after the queued word marks: a card of its own unless quick.
  void transfer(std::string_view branch) override;
  /// END's transfer instruction, after the queued word marks, which ends the deck.
  void end(std::string_view instruction) override;

  bool quick_transfer() const { return options_.quick_transfer; }
  /// The number of the card that holds the data placed last.
  std::optional<int> card_of_last_data() const override { return used_ == 0 ? card_no_ - 1 : card_no_; }
  /// The number the next card punched gets.
  int next_card_number() const { return card_no_; }

 private:
  void put(int column, std::string_view text);

  std::ostream* out_;
  DeckOptions options_;
  Echo echo_;
  LateMark on_mark_;
  std::array<char, 5> deck_id_;   ///< columns 76-80, blank padded
  std::array<char, 71> card_;     ///< columns 1-71 of the card being built
  int card_no_ = 1;
  int used_ = 0;       ///< data columns filled
  int last_ = -1;      ///< storage position of the last data column
  int slots_ = 0;      ///< word-mark slots taken
  std::deque<int> queue_;
};

}  // namespace velumar
