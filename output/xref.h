// The cross-reference and storage summary that --xref adds to the listing
// after each program's symbol table: every symbol with its value, index
// register, the statement that defines it and every statement that uses it
// (a store marked), then the storage the program occupies and where it
// meets the fixed card, punch and print areas or passes the core size.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "output/listing.h"

namespace velumar {

/// One statement that names a symbol, by its sequence number in the listing.
struct XrefUse {
  int seq = 0;
  bool store = false;  ///< the instruction writes into the symbol's storage
};

/// One line of the cross-reference.
struct XrefEntry {
  std::string name;
  std::optional<int> value;  ///< none: undefined
  int index_reg = 0;
  std::optional<int> defined;  ///< sequence number of the defining statement
  std::vector<XrefUse> uses;
};

/// A run of positions one kind of statement occupies.
struct XrefRange {
  int first = 0;
  int last = 0;
  std::string kind;  ///< "instructions", "constants", "literals", "area"
};

/// What the storage summary shows.
struct StorageSummary {
  std::vector<XrefRange> ranges;
  int core_size = 16000;
};

/// Writes the cross-reference of `entries` and the storage summary on new
/// pages of `listing`, `max_lines` lines a page, each page with its heading.
void write_xref(ListingWriter& listing, int max_lines, const std::vector<XrefEntry>& entries,
                const StorageSummary& storage);

}  // namespace velumar
