#include "output/diagnostic_forms.h"

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

void HistoricForms::render(const Diagnostic& d) {
  out_ << console_line(d) << '\n';
  if (dest_ == ErrorDest::Listing && listing_ != nullptr) {
    *listing_ << listing_line(d) << '\n';
  } else if (dest_ == ErrorDest::Scratch && scratch_ != nullptr) {
    scratch_->write(diagnostic_record(d));
  } else {
    out_ << format_record(diagnostic_record(d, false)) << '\n';
  }
}

}  // namespace velumar
