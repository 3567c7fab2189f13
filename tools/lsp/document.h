// The documents the client has opened: their text as the editor holds it,
// their version, and the conversion between LSP positions and card columns.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velumar::lsp {

/// How the client counts characters in a line (LSP position encoding).
enum class Encoding { Utf16, Utf8 };

/// A position as LSP gives it: 0-based line and character.
struct Position {
  int line = 0;
  int character = 0;
};

struct Range {
  Position start;
  Position end;
};

/// One open document. Lines end at LF, CR LF or CR, as LSP counts them; a
/// card column is a byte of its line (1-based), as the assembler reads it.
class Document {
 public:
  Document(std::string uri, long long version, std::string text);

  const std::string& uri() const { return uri_; }
  long long version() const { return version_; }
  const std::string& text() const { return text_; }

  /// Replaces the whole text.
  void replace(std::string text, long long version);
  /// Replaces `range` (in `enc` units; positions past a line or the text
  /// are taken as its end) with `new_text`.
  void edit(const Range& range, std::string_view new_text, Encoding enc);
  void set_version(long long version) { version_ = version; }

  int line_count() const { return static_cast<int>(line_starts_.size()); }
  /// Line `n` (0-based) without its line end; empty past the last line.
  std::string_view line(int n) const;

  /// The character (in `enc` units) of byte `byte` (0-based) of line `n`.
  int character_of(int n, int byte, Encoding enc) const;
  /// The byte (0-based, at most the line's length) of character `ch` of line `n`.
  int byte_of(int n, int ch, Encoding enc) const;
  /// An LSP range over card columns `first_col`..`last_col` (1-based,
  /// inclusive) of 1-based line `line_no`; columns 0 cover the whole line.
  Range card_range(long long line_no, int first_col, int last_col, Encoding enc) const;

 private:
  void index_lines();
  /// Offset in text_ of position `p`.
  std::size_t offset_of(const Position& p, Encoding enc) const;

  std::string uri_;
  long long version_;
  std::string text_;
  std::vector<std::size_t> line_starts_;
};

}  // namespace velumar::lsp
