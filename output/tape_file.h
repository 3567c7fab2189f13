// The tape file writer. Every record is read in load mode into 020-080 (the
// loader records into 001-080), where a word separator "=" before a
// character sets its word mark. A data record holds a small program that
// moves its piece of a field into place and branches back to the
// bootstrap's read routine at 007; set-word-mark records set pending word
// marks.
//
// Line format: the text length (3 columns), the storage positions the
// record covers (3 columns), the text.
#pragma once

#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "output/storage_sink.h"

namespace velumar {

class TapeFile : public StorageSink {
 public:
  /// Writes to OUT; nothing when null.
  explicit TapeFile(std::ostream* out) : out_(out) {}

  void set_deck_id(std::string_view id) override;
  /// The tape's clear-storage and bootstrap records, once, whatever the cards.
  void loader(std::string_view card) override;
  /// A data field: see field(); the tape never defers a word mark.
  bool place(std::string_view text, bool word_mark, int first, std::string_view ident) override {
    field(text, word_mark, first, ident);
    return false;
  }
  /// The bootstrap record again, unless there is no loader (N).
  void resume(char loader) override;

  /// One record of SIZE storage positions: DATA, with a word mark on each
  /// character under a "1" of MARKS.
  void record(std::string_view data, std::string_view marks, int size);
  /// The data records of a field (1401 characters, all inside storage)
  /// whose leftmost position is FIRST; WORD_MARK: its first character gets
  /// one. Short pieces carry IDENT, the statement's text, for the reader.
  void field(std::string_view text, bool word_mark, int first, std::string_view ident);
  /// Adds AT to the pending set-word-mark record, writing it when full.
  void set_word_mark(int at) override;
  /// Writes the pending set-word-mark record, if any.
  void flush_marks();
  /// The record of EX or XFR that branches to BRANCH (4 characters).
  void transfer(std::string_view branch) override;
  /// END's record, holding its transfer INSTRUCTION (7 characters).
  void end(std::string_view instruction) override;

 private:
  void data_piece(std::string_view piece, bool group_mark, bool word_mark, int first, std::string_view ident);
  /// Gives the separators of the last piece (zone_fixes_) their A zone.
  void zone_fix_records();

  std::ostream* out_;
  bool loader_written_ = false;
  std::string marks_ = std::string(56, ' ');  ///< the pending set-word-mark instructions
  int mark_count_ = 0;
  // Buffers kept from record to record for their capacity.
  std::array<char, 4> id_ = {' ', ' ', ' ', ' '};  ///< the deck id as the records show it
  std::string line_;       ///< the line being written
  std::string data_;       ///< the text of a zone-fix record
  std::string fix_marks_;  ///< the word marks of a zone-fix record
  std::vector<int> zone_fixes_;  ///< positions whose separator gets its zone
};

}  // namespace velumar
