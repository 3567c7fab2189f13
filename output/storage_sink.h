// What pass 3 says goes into storage, and the outputs that hear it: the
// object deck, the tape file, an in-memory storage image, or several at
// once through a fan-out. Pass 3 knows only this interface; a new output
// is one more implementation.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velumar {

class StorageSink {
 public:
  /// Receives the position of a word mark that a sink sets later than asked (see place).
  using LateMark = std::function<void(int)>;

  virtual ~StorageSink() = default;

  /// The deck identification (columns 76-80 of the JOB card) of what follows.
  virtual void set_deck_id(std::string_view id) = 0;
  /// A card of the loader that goes before the program (columns 1-71).
  virtual void loader(std::string_view card) = 0;
  /// TEXT (1401 characters, all inside storage) at FIRST onwards, with a
  /// word mark on its first character when WORD_MARK; IDENT is the
  /// statement's text, for outputs that show it. Returns true when the sink
  /// defers that word mark: it hands the position to its late-mark listener
  /// when it sets it.
  virtual bool place(std::string_view text, bool word_mark, int first, std::string_view ident) = 0;
  /// A word mark at AT (inside storage).
  virtual void set_word_mark(int at) = 0;
  /// The branch of EX or XFR (4 characters): the program runs from there.
  virtual void transfer(std::string_view branch) = 0;
  /// END's transfer instruction (8 characters); the program ends.
  virtual void end(std::string_view instruction) = 0;
  /// What resumes loading after EX or XFR, for the loader chosen by -b.
  virtual void resume(char loader) = 0;
  /// The object card holding the data placed last; none for outputs without cards.
  virtual std::optional<int> card_of_last_data() const { return std::nullopt; }
  /// Sets who hears the word marks this sink defers.
  virtual void on_late_mark(LateMark listener) { (void)listener; }
};

/// Hands everything to each of its sinks in order. A word mark that one
/// sink defers reaches the sinks after it when that sink sets it, so that
/// they all set it at the same point.
class FanOut : public StorageSink {
 public:
  explicit FanOut(std::vector<StorageSink*> sinks = {});
  FanOut(const FanOut&) = delete;
  FanOut& operator=(const FanOut&) = delete;

  /// Adds SINK after those already there.
  void add(StorageSink& sink);

  void set_deck_id(std::string_view id) override;
  void loader(std::string_view card) override;
  bool place(std::string_view text, bool word_mark, int first, std::string_view ident) override;
  void set_word_mark(int at) override;
  void transfer(std::string_view branch) override;
  void end(std::string_view instruction) override;
  void resume(char loader) override;
  std::optional<int> card_of_last_data() const override;
  void on_late_mark(LateMark listener) override { late_ = std::move(listener); }

 private:
  std::vector<StorageSink*> sinks_;
  LateMark late_;
};

/// Storage as the program leaves it once loaded: 16,000 positions with
/// their word marks, and the transfers. For tests and tools.
class StorageImage : public StorageSink {
 public:
  static constexpr int kSize = 16000;

  StorageImage() {
    chars_.fill(' ');
    marks_.fill(false);
  }

  void set_deck_id(std::string_view) override {}
  void loader(std::string_view) override { ++loader_cards_; }
  bool place(std::string_view text, bool word_mark, int first, std::string_view ident) override;
  void set_word_mark(int at) override;
  void transfer(std::string_view branch) override { transfers_.emplace_back(branch); }
  void end(std::string_view instruction) override { end_ = std::string(instruction); }
  void resume(char) override {}

  /// The character at AT; a blank outside storage.
  char at(int position) const;
  /// A word mark is set at AT.
  bool marked(int position) const;
  /// Positions placed (characters or word marks), in any order.
  int placed_count() const { return placed_; }
  int loader_cards() const { return loader_cards_; }
  const std::vector<std::string>& transfers() const { return transfers_; }
  const std::optional<std::string>& end_instruction() const { return end_; }

 private:
  std::array<char, kSize> chars_;
  std::array<bool, kSize> marks_;
  int placed_ = 0;
  int loader_cards_ = 0;
  std::vector<std::string> transfers_;
  std::optional<std::string> end_;
};

}  // namespace velumar
