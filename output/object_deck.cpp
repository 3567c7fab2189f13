#include "output/object_deck.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/card.h"
#include "core/text.h"
#include "core/zone.h"
#include "output/loader.h"
#include "output/stream_out.h"

namespace velumar {

namespace {

// Columns of a card (1-based).
constexpr int kDataColumns = 39;       // 1-39: storage characters
constexpr int kLoadColumn = 40;        // L nnn aaa: load nnn characters ending at aaa
constexpr int kFirstMarkColumn = 47;   // first of three set-word-mark instructions (47, 54, 61)
constexpr int kThirdMarkColumn = 61;
constexpr int kBranchColumn = 68;      // 68-71: read the next card, or a transfer
constexpr int kCardTextColumns = 71;   // then the sequence number (72-75) and deck id (76-80)
constexpr int kSlots = 6;              // word-mark addresses of the three instructions
// More queued marks than storage has positions would only repeat some.
constexpr std::size_t kQueueCapacity = 16000;

constexpr std::string_view kReadNext = "1040";
constexpr std::string_view kUnusedMarks = ",040040";  // a set-word-mark instruction with nothing to set

// The card before anything is put on it: a load of one character into the
// read area and three instructions that set only 040.
constexpr std::string_view kEmptyCode = "L001001,040040,040040,040040    ";
constexpr std::array<char, kCardTextColumns> kEmptyCard = [] {
  std::array<char, kCardTextColumns> card{};
  for (std::size_t i = 0; i < card.size(); ++i)
    card[i] = i < std::size_t{kDataColumns} ? ' ' : kEmptyCode[i - std::size_t{kDataColumns}];
  return card;
}();
static_assert(std::size_t{kDataColumns} + kEmptyCode.size() == std::size_t{kCardTextColumns});

// Column of the first character of word-mark slot K (0-5): 48, 51, 55, 58, 62, 65.
int slot_column(int k) { return kFirstMarkColumn + 1 + 3 * k + k / 2; }

}  // namespace

ObjectDeck::ObjectDeck(std::ostream* out, DeckOptions options, Echo echo)
    : out_(out), options_(options), echo_(std::move(echo)), card_(kEmptyCard) {
  deck_id_.fill(' ');
}

void ObjectDeck::set_deck_id(std::string_view id) {
  deck_id_.fill(' ');
  id.copy(deck_id_.data(), std::min(id.size(), deck_id_.size()));
}

void ObjectDeck::put(int column, std::string_view text) {
  // What would reach past column 71 is never punched.
  const auto at = static_cast<std::size_t>(column - 1);
  if (at < card_.size()) text.copy(card_.data() + at, std::min(text.size(), card_.size() - at));
}

bool ObjectDeck::place(std::string_view text, bool word_mark, int first, std::string_view) {
  const int placed = static_cast<int>(text.size());
  bool queued = false;
  if (used_ + placed > kDataColumns || (used_ > 0 && last_ + 1 != first)) punch();
  if (slots_ >= kSlots && word_mark) {
    // Queue the word mark only when that keeps data on this card; a card
    // without data gains nothing by waiting, and a full queue refuses it.
    if (options_.queue_marks && used_ > 0 && queue_.size() < kQueueCapacity) {
      queue_.push_back(first);
      word_mark = false;
      queued = true;
    } else {
      punch();
    }
  }
  // A field without word mark as the card's first data needs the
  // clear-word-mark instruction in the first two slots; addresses already
  // there go out on this card first.
  if (used_ == 0 && slots_ > 0 && !word_mark) punch();

  for (int pos = 0; pos < placed;) {
    const int piece = std::min(placed - pos, kDataColumns - used_);
    put(used_ + 1, text.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(piece)));
    const int at = first + pos;
    if (used_ == 0 && !word_mark) {
      // The load brings the read area's column-1 word mark along; clear it.
      char* const clear = card_.data() + (kFirstMarkColumn - 1);
      clear[0] = ')';
      put_addr(clear + 1, at);
      put_addr(clear + 4, at);
      slots_ = 2;
    } else if (used_ > 0 && word_mark) {
      set_word_mark(at);
    }
    pos += piece;
    last_ = first + pos - 1;
    word_mark = false;
    used_ += piece;
    if (used_ == kDataColumns) punch();
  }
  return queued;
}

void ObjectDeck::set_word_mark(int at) {
  if (slots_ >= kSlots) punch();
  put_addr(card_.data() + (slot_column(slots_) - 1), at);
  ++slots_;
}

void ObjectDeck::punch(bool read_and_branch) {
  while (!queue_.empty() && slots_ < kSlots) {
    const int at = queue_.front();
    queue_.pop_front();
    set_word_mark(at);
    if (on_mark_) on_mark_(at);
  }
  if (used_ > 0) {
    char* const load = card_.data() + (kLoadColumn - 1);
    load[0] = 'L';
    put_int(load + 1, used_, 3, 3);
    put_addr(load + 4, last_);
  }
  if (read_and_branch) put(kBranchColumn, kReadNext);
  // The card as the listing shows it ("&" first), then as punched, with its
  // line end. The sequence number wraps at 10000 as a numbering punch would.
  std::array<char, 1 + kCardColumns + 1> line;
  line[0] = '&';
  char* const punched = line.data() + 1;
  std::memcpy(punched, card_.data(), card_.size());
  put_int(punched + kCardTextColumns, card_no_ % 10000, 4, 4);
  std::memcpy(punched + kCardTextColumns + 4, deck_id_.data(), deck_id_.size());
  punched[kCardColumns] = '\n';
  if (echo_) echo_(std::string_view(line.data(), 1 + kCardColumns));
  if (out_) write_out(*out_, std::string_view(punched, kCardColumns + 1));
  card_ = kEmptyCard;
  ++card_no_;
  used_ = 0;
  slots_ = 0;
}

void ObjectDeck::drain_queue() {
  while (!queue_.empty()) {
    if (slots_ >= kSlots) punch();
    const int at = queue_.front();
    queue_.pop_front();
    set_word_mark(at);
    if (on_mark_) on_mark_(at);
  }
}

void ObjectDeck::punch_image(std::string_view columns) {
  card_.fill(' ');
  put(1, columns);
  punch(false);
}

void ObjectDeck::resume(char loader) {
  for (const std::string_view card : resume_cards(loader, options_.quick_transfer)) punch_image(card);
}

void ObjectDeck::transfer(std::string_view branch) {
  drain_queue();
  if (!options_.quick_transfer) {
    punch();
    put(kLoadColumn, "N000000");  // no load: the card only branches
  }
  put(kBranchColumn, branch);
  punch(false);
}

void ObjectDeck::end(std::string_view instruction) {
  drain_queue();
  // The third set-word-mark instruction is free when it still sets only
  // 040; a requested mark at 040 would be cleared by the transfer anyway.
  if (options_.quick_end && std::string_view(card_.data(), card_.size()).substr(kThirdMarkColumn - 1, kUnusedMarks.size()) == kUnusedMarks) {
    put(kThirdMarkColumn, instruction);
    punch();
  } else {
    if (used_ > 0 || slots_ > 0) punch();
    put(kLoadColumn, pad(instruction, kCardTextColumns - kLoadColumn + 1));
    punch(false);
  }
}

}  // namespace velumar
