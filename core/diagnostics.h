// Diagnostics: the one operation through which every statement error and
// warning is reported, with the job's error count and the statement's
// one-character error code.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace velumar {

/// Statement error codes, printed by the listing as a word.
namespace err {
constexpr char NoErr = ' ';
constexpr char AddrErr = '1';
constexpr char LabelErr = '2';
constexpr char MacroErr = '3';
constexpr char NoBXLErr = '4';
constexpr char OpErr = '5';
constexpr char Overcall = '6';
constexpr char SymErr = '7';
constexpr char UndefOrg = '8';
constexpr char BadStatement = '9';
}  // namespace err

/// Where the second copy of a diagnostic goes (`U_ERROR`).
enum class ErrorDest { Stdout, Listing, Scratch };

class Diagnostics {
 public:
  /// `out` is standard output; `line_no` is the source line counter
  /// (`LINE_NO`), which every diagnostic quotes.
  Diagnostics(std::ostream& out, const int& line_no) : out_(out), line_no_(line_no) {}

  char ErrCode = err::NoErr;  ///< error code of the statement being processed
  bool ERROR = false;         ///< set by every error (not by warnings)
  int N_ERRORS = 0;           ///< errors reported in the current job

  ErrorDest U_ERROR = ErrorDest::Stdout;
  std::ostream* listing = nullptr;  ///< the listing, used when U_ERROR is Listing
  /// Receives the 109-column diagnostic record while U_ERROR is Scratch
  /// (pass 1 keeps it in the intermediate file before the statement record).
  std::function<void(std::string_view)> scratch;

  /// Reports MESSAGE: counts it (unless a warning), writes the numbered line
  /// to standard output and the second copy to U_ERROR. Never stops the run.
  void do_error(std::string_view message, std::optional<int> field = std::nullopt, bool warning = false);

  /// The 109-column record form of a diagnostic (also its standard-output form).
  static std::string record_text(std::string_view why, std::string_view message, int line_no, int field);

 private:
  std::ostream& out_;
  const int& line_no_;
};

}  // namespace velumar
