#include "output/loader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "output/listing.h"
#include "output/object_deck.h"
#include "output/tape_file.h"

namespace velumar {
namespace {

using Lines = std::vector<std::string>;

Lines lines_of(std::ostringstream& s) {
  Lines v;
  std::istringstream in(s.str());
  for (std::string l; std::getline(in, l);) v.push_back(l);
  s.str("");
  return v;
}

const std::string kBootRecord = " 87 80=U%U1B=.=L%U1020R=B001L=.020= BOOTSTRAP" + std::string(42, ' ');

// Columns 1-22 of each loader text, which tell them apart.
const std::string kClear1Small = ",008015,019026,030,034", kClear2Small = "L068112,102106,113/101",
                  kClear1 = ",008015,022026,030037,", kBoot = ",008015,022029,036040,",
                  kClearV = ",008015,022026,030040/", kBootV = ",008047/047046       /",
                  kResume1 = ",015022)024056,029036,", kResume2 = ",068072)063067/061039 ",
                  kResumeQuick = ",008047/047046        ";

Lines starts(std::span<const LoaderCard> cards) {
  Lines v;
  for (const LoaderCard& c : cards) v.push_back(std::string(c.text.substr(0, 22)));
  return v;
}
Lines starts(std::span<const std::string_view> cards) {
  Lines v;
  for (std::string_view c : cards) v.push_back(std::string(c.substr(0, 22)));
  return v;
}

// The loader as pass 3 hands it out: each card listed, then to the sinks.
void write_loader(char loader, int core_size, StorageSink& sink, ListingWriter& listing) {
  int number = 0;
  for (const LoaderCard& card : loader_cards(loader, core_size)) {
    const std::string text = loader_card_text(card, core_size);
    listing.loader_card(card.caption, text, ++number);
    sink.loader(text);
  }
  listing.after_loader();
}

TEST(Loader, DefaultDeckWithCaptionsAndTapeRecords) {
  std::ostringstream obj, tape, list;
  ListingWriter listing(&list, 53, true);
  ObjectDeck deck(&obj, {});
  TapeFile tape_file(&tape);
  FanOut both({&deck, &tape_file});
  both.set_deck_id("JOB01");  // a JOB card first: its id is already on the loader cards
  write_loader('I', 16000, both, listing);
  const Lines cards = lines_of(obj);
  ASSERT_EQ(cards.size(), 3u);
  EXPECT_EQ(cards[1], "L068116,105106,110117B101/I9I#071029C029056B026/B001/0991,001/001117I0?0002JOB01");
  EXPECT_EQ(cards[2], pad(",008015,022029,036040,047054,061068,072/061039", 60) + ",00100110400003JOB01");
  const Lines listed = lines_of(list);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0], pad(" CLEAR STORAGE 1", 21) + pad(cards[0], 71) + fmt_int(1, 23));
  EXPECT_EQ(listed[2].substr(0, 21), pad(" BOOTSTRAP", 21));
  EXPECT_EQ(listing.lines_on_page(), 3);
  EXPECT_EQ(deck.next_card_number(), 4);
  EXPECT_EQ(lines_of(tape), (Lines{" 90 80=,200=/000=H008=V0052001=L051115=L=/100099=L%U1001R=/007199 CLEAR STORAGE" +
                                       std::string(11, ' ') + "JOB0=}",
                                   kBootRecord + "JOB0=}"}));
}

TEST(Loader, ChoiceOfLoaderAndCoreSize) {
  EXPECT_EQ(starts(loader_cards('I', 4000)), (Lines{kClear1Small, kClear2Small, kBoot}));
  EXPECT_EQ(starts(loader_cards('I', 8000)), (Lines{kClear1, "L068116,105106,110117B", kBoot}));
  EXPECT_EQ(starts(loader_cards('B', 16000)), Lines{kBootV});
  EXPECT_EQ(starts(loader_cards('V', 16000)), (Lines{kClearV, kBootV}));
  EXPECT_TRUE(loader_cards('N', 16000).empty());
  // The second card clears from the top of storage.
  for (auto [core, top] : {std::pair{4000, "I99"}, {8000, "I9Z"}, {1400, "T99"}, {16000, "I9I"}}) {
    std::ostringstream obj;
    ObjectDeck deck(&obj, {});
    ListingWriter none(nullptr, 53, true);
    write_loader('I', core, deck, none);
    EXPECT_EQ(lines_of(obj).at(1).substr(26, 3), top) << core;
  }
}

TEST(Loader, ResumeCardsAfterExecute) {
  EXPECT_EQ(starts(resume_cards('I', false)), (Lines{kResume1, kResume2}));
  EXPECT_EQ(starts(resume_cards('B', false)), (Lines{kResume1, kResume2}));
  EXPECT_EQ(starts(resume_cards('V', false)), (Lines{kResume1, kBootV}));
  EXPECT_TRUE(resume_cards('N', false).empty());
  std::ostringstream obj, tape;
  ObjectDeck deck(&obj, {.quick_transfer = true});
  TapeFile tape_file(&tape);  // the tape gets the bootstrap record again
  FanOut both({&deck, &tape_file});
  both.resume('I');
  EXPECT_EQ(lines_of(obj), Lines{pad(kResumeQuick, 46) + ",054061,068072,00104010400001     "});
  EXPECT_EQ(lines_of(tape), Lines{kBootRecord + "    =}"});
  both.resume('N');
  EXPECT_TRUE(obj.str().empty() && tape.str().empty());
}

}  // namespace
}  // namespace velumar
