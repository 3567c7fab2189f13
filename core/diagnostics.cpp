#include "core/diagnostics.h"

#include "core/text.h"

namespace velumar {

std::string Diagnostics::record_text(std::string_view why, std::string_view message, int line_no, int field) {
  std::string rec = pad(why, 5);
  rec += "******* ";
  rec += pad(message, 72);
  rec += fmt_int(0, 6);
  rec += fmt_int(line_no, 6);
  rec += fmt_int(field, 6);
  rec += fmt_int(0, 6);
  return rec;
}

void Diagnostics::do_error(std::string_view message, std::optional<int> field, bool warning) {
  std::string why = "ERROR";
  if (warning) {
    why = "WARN ";
  } else {
    ERROR = true;
    ++N_ERRORS;
  }
  if (field)
    out_ << fmt_int(line_no_, 5) << ": (" << fmt_int(*field, 1) << ") " << message << '\n';
  else
    out_ << fmt_int(line_no_, 5) << ": " << message << '\n';
  int my_field = field.value_or(0);

  if (U_ERROR == ErrorDest::Listing && listing) {
    std::string line = "      *****  ** ";
    line += rtrim(pad(message, 72));
    line = pad(line, 105) + why;
    *listing << line << '\n';
    return;
  }
  std::string rec = record_text(why, message, line_no_, my_field);
  if (U_ERROR == ErrorDest::Scratch && scratch)
    scratch(rec);
  else
    out_ << rec << '\n';
}

}  // namespace velumar
