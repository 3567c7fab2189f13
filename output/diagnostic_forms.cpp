#include "output/diagnostic_forms.h"

#include "core/charset.h"
#include "core/text.h"

namespace velumar {

std::string console_line(const Diagnostic& d) {
  std::string line = fmt_int(d.statement, 5) + ": ";
  if (d.field) line += "(" + fmt_int(*d.field, 1) + ") ";
  return line + d.historic;
}

std::string listing_line(const Diagnostic& d) {
  std::string line = "      *****  ** ";
  line += rtrim(pad(d.historic, 72));
  return pad(line, 105) + std::string(record_tag(d.severity == Severity::Warning ? RecordKind::Warning : RecordKind::Error));
}

namespace {

// A line for standard output, which is mostly a terminal: a message quotes
// card text, and a card's control bytes (an escape sequence) must not act
// on the terminal. Every byte no 1401 character stands for is shown as
// "?", as the listing shows it.
std::string printable(std::string line) {
  mask_foreign(line.data(), line.size());
  return line;
}

}  // namespace

void HistoricForms::render(const Diagnostic& d) {
  out_ << printable(console_line(d)) << '\n';
  if (dest_ == ErrorDest::Listing && listing_ != nullptr) {
    *listing_ << listing_line(d) << '\n';
  } else if (dest_ == ErrorDest::Scratch && scratch_ != nullptr) {
    scratch_->write(diagnostic_record(d));
  } else {
    out_ << printable(format_record(diagnostic_record(d, false))) << '\n';
  }
}

}  // namespace velumar
