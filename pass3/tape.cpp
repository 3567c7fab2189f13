// The loadable tape file. Every record is read in load mode into 020-080
// (the loader records into 001-080), where a word separator "=" before a
// character sets its word mark. A data record holds a small program that
// moves its piece of a field into place and branches back to the bootstrap's
// read routine at 007; set-word-mark records set pending word marks.
//
// Line format: the text length (3 columns), the storage positions the
// record covers (3 columns), the text.
#include <algorithm>
#include <string>
#include <vector>

#include "tables/job.h"
#include "core/text.h"
#include "core/charset.h"
#include "core/zone.h"
#include "pass3/pass3.h"

namespace velumar {

namespace {

constexpr int DATA_RECORD = 61;  // storage positions 020-080
constexpr int MAX_PIECE = 32;
constexpr int MAX_GM_PIECE = 14;
constexpr int IDENT_BELOW = 9;  // pieces shorter than this carry the statement text
constexpr int MAX_SWMS = 14;
constexpr int MAX_ZONE_FIXES = 7;

// Code 29 is the tape's word separator: in load mode it is never stored,
// so a character with that code cannot travel inside a record.
constexpr int WordSeparator = 29;
bool is_separator(char c) { return bcd_code(c) == WordSeparator; }

// Code 13 (":") carries the separator's numeric bits without zone; an
// A-zone character (code 17, "/") supplies the missing zone.
constexpr char SEPARATOR_DIGITS = ':';
constexpr char A_ZONE_CHAR = '/';

std::string three_digits(int n) { return fmt_int_zero(n, 3, 3); }

// Text for identification only: separators, and bytes that are no 1401
// character, become blanks.
std::string printable(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = is_separator(c) ? ' ' : as_1401(c);
  return out;
}

}  // namespace

void Pass3::write_tape(std::string_view DATA, std::string_view WMS, int N) {
  const std::size_t room = static_cast<std::size_t>(std::max(N - 5, 0));
  // Positions that only a word mark reaches are blanks carrying that mark.
  std::string data = std::string(DATA);
  if (data.size() < WMS.size()) data.resize(WMS.size(), ' ');
  if (data.size() > room) data.resize(room);
  data.resize(room, ' ');

  std::string text;
  for (std::size_t i = 0; i < room; ++i) {
    if (i < WMS.size() && WMS[i] == '1') text += '=';
    text += data[i];
  }
  text += printable(pad(Deck_Id, 4));
  text += "=}";
  if (ctx.tape) *ctx.tape << fmt_int(static_cast<int>(text.size()), 3) << fmt_int(N, 3) << text << '\n';
}

void Pass3::tape_field(std::string_view WHAT, char WM, int MyP) {
  if (!Do_Tape) return;
  if (Num_Swms > 0) output_swms();
  const std::string ident = printable(cols(LINE, 16, 35));
  const int length = static_cast<int>(WHAT.size());
  int pos = 0;
  while (pos < length) {
    // A group mark with a word mark in the read area would stop every later
    // tape read there, so such a piece arrives without the mark and gets it
    // from a set-word-mark instruction just before the load.
    const bool gm = is_group_mark(WHAT[static_cast<std::size_t>(pos)]);
    const int len = std::min(length - pos, gm ? MAX_GM_PIECE : MAX_PIECE);
    const int first = MyP + pos;
    const std::string last_addr = num_to_addr(first + len - 1);
    const bool keep_wm = WM == 'W' && pos == 0;

    std::string piece(WHAT.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(len)));
    std::vector<int> zone_fixes;
    for (int j = 0; j < len; ++j) {
      if (is_separator(piece[static_cast<std::size_t>(j)])) {
        piece[static_cast<std::size_t>(j)] = SEPARATOR_DIGITS;
        zone_fixes.push_back(first + j);
      }
    }

    std::string data;
    std::string_view wms;
    if (!gm) {
      data = "L" + three_digits(len + 34) + last_addr + (keep_wm ? "N000" : ")" + num_to_addr(first)) + "B007" +
             piece;
      wms = "1000000100010001";
    } else {
      data = ",043L" + three_digits(len + 42) + last_addr + ")043" + (keep_wm ? "043" : num_to_addr(first)) +
             "B007 " + piece;
      wms = "10001000000100000010001";
    }
    if (len < IDENT_BELOW) data = pad(data, 33) + ident;
    write_tape(data, wms, DATA_RECORD);

    // The separator character is loaded as ":" and then given its A zone
    // by move-zone instructions whose source "/" follows their branch.
    for (std::size_t k = 0; k < zone_fixes.size(); k += MAX_ZONE_FIXES) {
      const std::size_t m = std::min(zone_fixes.size() - k, static_cast<std::size_t>(MAX_ZONE_FIXES));
      const std::string source = num_to_addr(static_cast<int>(7 * m) + 24);  // 020 + position 7m+5 - 1
      std::string fix;
      std::string fix_wms;
      for (std::size_t i = 0; i < m; ++i) {
        fix += "Y" + source + num_to_addr(zone_fixes[k + i]);
        fix_wms += "1000000";
      }
      fix += "B007";
      fix += A_ZONE_CHAR;
      fix_wms += "10001";
      write_tape(fix, fix_wms, DATA_RECORD);
    }
    pos += len;
  }
}

void Pass3::tape_sw(int MyP) {
  if (!Do_Tape) return;
  if (Num_Swms >= MAX_SWMS) output_swms();
  if (Num_Swms == 0) {
    TSWMS = std::string(56, ' ');
    for (int c = 1; c <= 50; c += 7) TSWMS[static_cast<std::size_t>(c - 1)] = ',';
  }
  const int k = Num_Swms;
  TSWMS.replace(static_cast<std::size_t>(3 * k + k / 2 + 1), 3, num_to_addr(MyP));
  ++Num_Swms;
}

void Pass3::output_swms() {
  if (Num_Swms <= 0 || !Do_Tape) return;
  const int n = Num_Swms;
  // The branch follows the last address: with an even count there is no
  // comma of a further instruction to keep.
  const int p = 3 * n + (n - 1) / 2 + 2;
  std::string data = pad(TSWMS, 56).substr(0, static_cast<std::size_t>(p - 1)) + "B007";
  std::string wms(static_cast<std::size_t>(p + 4), '0');
  for (int c = 1; c < p; c += 7) wms[static_cast<std::size_t>(c - 1)] = '1';
  wms[static_cast<std::size_t>(p - 1)] = '1';
  wms[static_cast<std::size_t>(p + 3)] = '1';
  write_tape(data, wms, DATA_RECORD);
  Num_Swms = 0;
}

}  // namespace velumar
