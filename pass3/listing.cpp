// The listing: one line per statement in fixed print positions, page lines
// and column headings in line-printer form (first character = carriage
// control).
#include <string>

#include "tables/job.h"
#include "core/text.h"
#include "pass3/pass3.h"

namespace velumar {

namespace {

constexpr std::string_view kColumnHeading =
    "0 SEQ PG LIN  LABEL  OP    OPERANDS"
    "                                            "
    "SFX CT  LOCN  INSTRUCTION TYPE  CARD";

/// The word printed for a statement's error code; blank for codes without one.
std::string_view error_word(char code) {
  switch (code) {
    case err::AddrErr: return "ADDR";
    case err::LabelErr: return "LABEL";
    case err::MacroErr: return "MACRO ERROR";
    case err::NoBXLErr: return "NO BXL";
    case err::OpErr: return "OP";
    case err::SymErr: return "SYM";
    case err::UndefOrg: return "UNDEF ORG";
    case err::BadStatement: return "BAD STATEMENT";
    default: return "";
  }
}

/// Records that show the sequence number; the literal-pool lines and the
/// DA record-mark lines do not.
bool shows_seq(std::string_view why) {
  return why == "     " || why == "MACRO" || why == "GMARK" || why == "GEN  " || why == "FIELD" || why == "SBFLD";
}

void put(std::string& line, std::size_t at, std::string_view text) {
  line.replace(at, text.size(), text);
}

}  // namespace

void Pass3::listing(const ListArgs& args) {
  if (!Do_List || !ctx.listing) return;
  if (LINE_NO >= ctx.settings.MaxLine || SKIP != '1') heading();

  // Print positions 82-105; a later part overwrites an earlier one where
  // they overlap (DEV over LOCN, X inside the ORG field).
  std::string end_line(24, ' ');
  if (args.WIDTH) put(end_line, 0, fmt_int(*args.WIDTH, 4));
  if (args.LOC) put(end_line, 4, fmt_int_zero(*args.LOC, 6, 4));
  if (args.ORG) put(end_line, 10, fmt_int_zero(*args.ORG, 7, 4));
  if (args.X) end_line[11] = *args.X;
  if (args.OUTPUT) put(end_line, 12, pad(*args.OUTPUT, 12));
  if (args.DEV) put(end_line, 6, pad(*args.DEV, 3));

  std::string print_card(5, ' ');
  if (args.CARD && Do_Object) {
    // OBJ_POS 0: the statement completed the card, which is already punched.
    print_card = fmt_int(OBJ_POS == 0 ? *args.CARD - 1 : *args.CARD, 5);
  }

  std::string line = shows_seq(WHY) ? fmt_int(SEQ, 5) : std::string(5, ' ');
  line += ' ' + cols(LINE, 1, 2) + ' ' + cols(LINE, 3, 5) + "  " + cols(LINE, 6, 11) + ' ' + cols(LINE, 16, 20) +
          ' ' + cols(LINE, 21, 72) + ' ' + SFX + end_line + pad(WHY, 5) + print_card + "  " +
          pad(error_word(ctx.diag.ErrCode), 13);
  print(line);
  ++LINE_NO;
}

void Pass3::heading() {
  if (!Do_List || !ctx.listing) return;
  heading_job();
  print(kColumnHeading);
  print("");
  LINE_NO += 2;
}

void Pass3::heading_job() {
  ++PAGE_NO;
  print(std::string(1, SKIP) + std::string(26, ' ') + pad(Page_Head, 52) + std::string(7, ' ') + pad(Deck_Id, 5) +
        std::string(15, ' ') + "PAGE" + fmt_int(PAGE_NO, 5));
  if (SKIP == '1') LINE_NO = 0;
  ++LINE_NO;
  SKIP = '1';
}

void Pass3::print(std::string_view line) {
  if (Do_List && ctx.listing) *ctx.listing << rtrim(line) << '\n';
}

}  // namespace velumar
