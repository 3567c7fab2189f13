// What pass 3 makes of each record of a job, for the tools that describe a
// program (symbol map, cross-reference, editors): where each record is
// listed, which characters and word marks it puts into storage, and a
// place after the symbol table for a listing section of their own. A pass
// reports only when the job carries a log (Pass3Context::statements).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace velumar {

class ListingWriter;

class StatementLog {
 public:
  virtual ~StatementLog() = default;
  /// Record `record` is listed with sequence number `seq` (none on a
  /// generated line) showing `location`, `width` and, after ORG or DA, the
  /// location counter `next`; `flag` is its error code.
  virtual void listed(std::size_t record, std::optional<int> seq, std::optional<int> location,
                      std::optional<int> width, std::optional<int> next, char flag) = 0;
  /// Record `record` placed `chars` from storage position `first` on, with a
  /// word mark on the first when `word_mark`.
  virtual void placed(std::size_t record, int first, std::string_view chars, bool word_mark) = 0;
  /// Record `record` set a word mark at `at`.
  virtual void marked(std::size_t record, int at) = 0;
  /// The job's symbol table has been listed on `listing`.
  virtual void after_symbol_table(ListingWriter& listing) = 0;
};

}  // namespace velumar
