#include "output/object_deck.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "output/listing.h"
#include "pass3/test_support.h"

namespace velumar {
namespace {

using Lines = std::vector<std::string>;

// Data columns 1-39, columns 40-71, sequence number, blank deck id.
std::string card(std::string_view data, std::string_view code, int no) {
  return pad(data, 39) + pad(code, 32) + fmt_int_zero(no, 4, 4) + "     ";
}

struct Deck : ::testing::Test {
  std::ostringstream obj;
  std::vector<int> from_queue;
  ObjectDeck make(DeckOptions options = {}) {
    ObjectDeck d(&obj, options);
    d.on_late_mark([this](int at) { from_queue.push_back(at); });
    return d;
  }
  Lines cards() {
    Lines v;
    std::istringstream in(obj.str());
    for (std::string l; std::getline(in, l);) v.push_back(l);
    obj.str("");
    return v;
  }
};

TEST_F(Deck, FieldsShareCardsUntilAGapOrAFullCard) {
  ObjectDeck d = make();
  d.place("M346205", true, 333);
  d.place("A400500", true, 340);  // its word mark takes slot 1
  d.place("12", false, 501);      // gap; first data without word mark: clear-word-mark
  d.place(std::string(39, '9'), true, 503);  // does not fit: a card of its own, punched at once
  EXPECT_EQ(cards(), (Lines{card("M346205A400500", "L014346,340040,040040,0400401040", 1),
                            card("12", "L002502)501501,040040,0400401040", 2),
                            card(std::string(39, '9'), "L039541,040040,040040,0400401040", 3)}));
  EXPECT_EQ(d.card_of_last_data(), 3);
  const std::string fifty(50, 'F');
  d.place(fifty, true, 600);  // the empty card goes first, then 39 + 11
  EXPECT_EQ(d.card_of_last_data(), 6);
  d.punch();
  EXPECT_EQ(cards(), (Lines{card("", "L001001,040040,040040,0400401040", 4),
                            card(fifty.substr(0, 39), "L039638,040040,040040,0400401040", 5),
                            card(fifty.substr(39), "L011649)639639,040040,0400401040", 6)}));
}

TEST_F(Deck, MarksAlreadyOnACardSurviveTheClearWordMark) {
  ObjectDeck d = make();
  d.set_word_mark(600);
  d.set_word_mark(621);
  d.place("'", false, 620);
  d.punch();
  d.set_word_mark(642);
  d.place("AB", true, 700);
  d.punch();
  EXPECT_EQ(cards(), (Lines{card("", "L001001,600621,040040,0400401040", 1),
                            card("'", "L001620)620620,040040,0400401040", 2),
                            card("AB", "L002701,642040,040040,0400401040", 3)}));
}

TEST_F(Deck, SeventhWordMarkPunchesOrWaitsInTheQueue) {
  ObjectDeck plain = make();
  for (int a = 400; a <= 407; ++a) EXPECT_FALSE(plain.place("A", true, a));
  EXPECT_EQ(cards(), Lines{card("AAAAAAA", "L007406,401402,403404,4054061040", 1)});

  ObjectDeck d = make({.queue_marks = true});
  for (int a = 500; a <= 508; ++a) EXPECT_EQ(d.place("B", true, a), a >= 507);  // 501-506 in slots
  d.place("Z", false, 600);
  d.end("/333080");
  EXPECT_EQ(from_queue, (std::vector<int>{507, 508}));  // set on the next card that has room
  EXPECT_EQ(cards(), (Lines{card("BBBBBBBBB", "L009508,501502,503504,5055061040", 1),
                            card("Z", "L001600)600600,507508,0400401040", 2), card("", "/333080", 3)}));

  for (int a = 700; a <= 721; ++a) d.place("C", true, a);  // 15 queued: draining takes three more cards
  d.drain_queue();
  d.punch(false);
  const Lines drained = cards();
  ASSERT_EQ(drained.size(), 4u);
  EXPECT_EQ(drained[1], card("", "L001001,707708,709710,7117121040", 5));
  EXPECT_EQ(drained[3], card("", "L001001,719720,721040,040040", 7));
}

TEST_F(Deck, TransferCards) {
  ObjectDeck slow = make();
  slow.place("ABC", true, 333);
  slow.transfer("B333");
  ObjectDeck quick = make({.quick_transfer = true, .quick_end = true});
  quick.place("D", true, 336);
  quick.transfer("B333");  // the branch ends the data card
  quick.place("EF", true, 400);
  quick.end("/333080");  // third instruction free: no card of its own
  for (int a = 500; a <= 505; ++a) quick.place("G", true, a);
  quick.end("/###080");  // third instruction taken
  EXPECT_EQ(cards(), (Lines{card("ABC", "L003335,040040,040040,0400401040", 1),
                            card("", "N000000,040040,040040,040040B333", 2),
                            card("D", "L001336,040040,040040,040040B333", 1),
                            card("EF", "L002401,040040,040040/3330801040", 2),
                            card("GGGGGG", "L006505,501502,503504,5050401040", 3), card("", "/###080", 4)}));
}

TEST_F(Deck, QuickEndTakesTheThirdInstructionWhileItSetsOnly040) {
  ObjectDeck d = make({.quick_end = true});
  d.place("H", true, 500);
  for (int a : {401, 402, 403, 404, 40}) d.set_word_mark(a);  // the fifth slot names 040 itself
  d.end("/333080");
  d.place("K", true, 600);
  for (int a : {401, 402, 403, 404, 405}) d.set_word_mark(a);
  d.end("/333080");
  EXPECT_EQ(cards(), (Lines{card("H", "L001500,401402,403404/3330801040", 1),
                            card("K", "L001600,401402,403404,4050401040", 2), card("", "/333080", 3)}));
}

TEST_F(Deck, InterleavedCardsFollowAPageHeadingAndCarryTheDeckId) {
  std::ostringstream list;
  ListingWriter listing(&list, 53, true);
  ObjectDeck d(&obj, {}, listing.interleave_cards());
  d.set_deck_id("PAY01");
  d.place("HELLO", true, 333);
  d.punch();
  const std::string punched = pad(card("HELLO", "L005337,040040,040040,0400401040", 1), 75) + "PAY01";
  EXPECT_EQ(cards(), Lines{punched});
  EXPECT_EQ(list.str().substr(0, 1), "0");  // the first page line came before the card
  EXPECT_NE(list.str().find("\n&" + punched + "\n"), std::string::npos);
  EXPECT_EQ(listing.lines_on_page(), 4);
}

// Whatever the fields, marks and options, the deck loads into storage
// exactly the characters placed and word marks exactly where asked.
TEST_F(Deck, GeneratedFieldsLoadAsPlaced) {
  std::mt19937 rng(1401);
  auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int trial = 0; trial < 200; ++trial) {
    ObjectDeck d = make({.queue_marks = trial % 2 == 1});
    std::map<int, char> chars;
    std::set<int> marks;
    int at = 81 + below(20);
    for (int field = below(40); field > 0 && at < 15000; --field) {
      if (below(4) == 0 && !chars.empty()) {  // a mark on something already placed
        const int target = std::next(chars.begin(), below(static_cast<int>(chars.size())))->first;
        d.set_word_mark(target);
        marks.insert(target);
        continue;
      }
      std::string text;
      for (int n = 1 + below(below(3) == 0 ? 60 : 8); n > 0; --n) text += letters[static_cast<std::size_t>(below(36))];
      const bool wm = below(3) != 0;
      d.place(text, wm, at);
      for (std::size_t i = 0; i < text.size(); ++i) chars[at + static_cast<int>(i)] = text[i];
      if (wm) marks.insert(at);
      at += static_cast<int>(text.size()) + (below(3) == 0 ? below(50) : 0);
    }
    d.drain_queue();
    d.punch(false);
    const p3test::Core core = p3test::load_deck(cards());
    EXPECT_EQ(core.ch, chars) << "trial " << trial;
    EXPECT_EQ(core.wm, marks) << "trial " << trial;
  }
}

}  // namespace
}  // namespace velumar
