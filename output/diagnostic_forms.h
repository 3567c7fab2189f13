// The historic forms of a statement diagnostic: the numbered console line
// on standard output and its second copy, which goes to the listing, to the
// job's records (pass 1) or, without either, to standard output as the
// 109-column record.
#pragma once

#include <ostream>
#include <string>

#include "core/diagnostics.h"
#include "ir/intermediate.h"

namespace velumar {

/// Where the second copy of a statement diagnostic goes.
enum class ErrorDest { Stdout, Listing, Scratch };

/// "    7: (2) Operand missing": the statement number in 5 columns, the
/// field when there is one, the historic text.
std::string console_line(const Diagnostic& d);
/// The listing's line: the historic text from print position 17, the
/// record tag ("ERROR" or "WARN ") at 106.
std::string listing_line(const Diagnostic& d);

/// Writes the console line and the second copy of every diagnostic raised.
class HistoricForms : public DiagnosticRenderer {
 public:
  /// OUT is standard output; SCRATCH receives the records of pass 1.
  HistoricForms(std::ostream& out, IntermediateFile* scratch) : out_(out), scratch_(scratch) {}

  /// Sends the second copy to DEST; the listing is used when DEST is
  /// Listing, and standard output stands in when it (or the scratch file) is null.
  void route_to(ErrorDest dest, std::ostream* listing = nullptr) {
    dest_ = dest;
    listing_ = listing;
  }

  void render(const Diagnostic& d) override;

 private:
  std::ostream& out_;
  IntermediateFile* scratch_;
  ErrorDest dest_ = ErrorDest::Stdout;
  std::ostream* listing_ = nullptr;
};

}  // namespace velumar
