// The listing writer: statement lines in fixed print positions, pages with
// their heading lines, and line counting. Lines are in line-printer form:
// the first character is the carriage control.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace velumar {

/// What a statement line shows in print positions 82-105 and 111-115;
/// each part is blank when absent.
struct ListFields {
  std::optional<int> width{};         ///< characters placed, 4 positions
  std::optional<int> location{};      ///< where the statement goes, 6 positions
  std::optional<int> new_location{};  ///< the location counter after ORG or DA, 7 positions
  std::optional<std::string_view> instruction{};  ///< the assembled instruction, spread out
  std::optional<std::string_view> device{};       ///< a device name, over the location
  std::optional<char> index_mark{};          ///< 'X' for an indexed value, inside the new location
};

/// One statement line of the listing.
struct ListedStatement {
  std::optional<int> seq{};    ///< the sequence number; blank on generated lines
  std::string_view card{};     ///< the card image, 80 columns
  char suffix = ' ';           ///< the current SFX character
  std::string_view tag{};      ///< the record tag, 5 columns
  ListFields fields{};
  std::optional<int> card_no{};  ///< the object card that holds the statement
  char error_code = ' ';
};

class ListingWriter {
 public:
  /// Writes to OUT; none when null (then every call does nothing visible).
  /// A page holds MAX_LINES lines. The first page line double-spaces when
  /// loader captions precede it, and starts at the top of form when not.
  ListingWriter(std::ostream* out, int max_lines, bool after_captions);

  bool active() const { return out_ != nullptr; }
  /// The stream written to (null when none), for tables printed as they are.
  std::ostream* stream() const { return out_; }
  /// The page heading text and deck identification of the job (JOB card).
  void set_title(std::string_view page_head, std::string_view deck_id);

  /// Lists every object card punched among the statements (-i): returns
  /// what the deck hands each card to.
  std::function<void(std::string_view)> interleave_cards();
  /// A loader card with its CAPTION and its NUMBER within the loader.
  void loader_card(std::string_view caption, std::string_view text, int number);
  /// The loader has been listed: the page counts its lines from here.
  void after_loader() { lines_on_page_ = interleaved_ ? 5 : 3; }

  /// A statement line, on a new page when this one is full.
  void statement(const ListedStatement& s);
  /// A comment card with its sequence number or, without one, a generated
  /// line (a diagnostic) shown with its TAG.
  void comment(std::optional<int> seq, std::string_view card, std::string_view tag);
  /// TEXT (already laid out) as a counted line, on a new page when this
  /// one is full.
  void line(std::string_view text);
  /// The page line and the column headings.
  void heading();
  /// The page line alone (the symbol table page has its own headings).
  void page_line();
  /// One line as it is, uncounted, trailing blanks removed.
  void print(std::string_view text);
  /// Lines already used on the current page.
  void set_lines_on_page(int n) { lines_on_page_ = n; }
  int lines_on_page() const { return lines_on_page_; }

 private:
  /// Writes the first SIZE characters of TEXT as a counted line, on a new
  /// page when this one is full; TEXT has room for one more character.
  void counted_line(char* text, std::size_t size);
  /// The same for the whole of TEXT.
  void counted_line(std::string& text);
  /// Writes the first SIZE characters of TEXT, trailing blanks removed, as
  /// one line; TEXT has room for one more character, the line end.
  void emit(char* text, std::size_t size);
  bool page_full() const { return lines_on_page_ >= max_lines_ || carriage_ != kEject; }

  static constexpr char kEject = '1';
  std::ostream* out_;
  int max_lines_;
  bool interleaved_ = false;  ///< the object cards are listed too
  char carriage_;  ///< control character of the next page line
  int lines_on_page_ = 0;
  int page_no_ = 0;
  std::string page_head_ = std::string(52, ' ');
  std::string deck_id_ = std::string(5, ' ');
  std::array<char, 131> statement_;  ///< a statement line and its line end
  std::string text_;     ///< other lines being built, kept for their capacity
  std::string printed_;  ///< the uncounted line being printed, likewise
};

}  // namespace velumar
