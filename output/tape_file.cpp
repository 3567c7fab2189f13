#include "output/tape_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/charset.h"
#include "core/text.h"
#include "core/zone.h"
#include "output/loader.h"
#include "output/stream_out.h"

namespace velumar {

namespace {

constexpr int kDataRecord = 61;  // storage positions 020-080
constexpr int kMaxPiece = 32;
constexpr int kMaxGroupMarkPiece = 14;
constexpr int kIdentBelow = 9;  // pieces shorter than this carry the statement text
constexpr int kIdentAt = 33;    // where that text starts in the record
constexpr int kDataRoom = kDataRecord - 5;  // characters a data record holds
constexpr int kMaxMarks = 14;
constexpr int kMaxZoneFixes = 7;
constexpr int kMaxProgramMarks = 5;  // word marks in a data record's text

// Code 29 is the tape's word separator: in load mode it is never stored,
// so a character with that code cannot travel inside a record.
constexpr int kWordSeparator = 29;
bool is_separator(char c) { return bcd_code(c) == kWordSeparator; }

// Code 13 (":") carries the separator's numeric bits without zone; an
// A-zone character (code 17, "/") supplies the missing zone.
constexpr char kSeparatorDigits = ':';
constexpr char kAZoneChar = '/';

// How a byte of the identification shows: separators, and bytes that are
// no 1401 character, as blanks.
constexpr std::array<char, 256> kIdentChar = [] {
  std::array<char, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b) {
    const int code = ASCII_TO_BCD[b];
    table[b] = code == kWordSeparator || code == 0 ? ' ' : static_cast<char>(b);
  }
  return table;
}();

// Writes at `p` the program of a data record that loads a piece of LEN
// characters ending at FIRST + LEN - 1, with "=" before each character that
// gets a word mark; returns the number of "=". The last mark of a piece
// without group mark falls on the piece's first character, which follows.
int put_program(char*& p, int len, bool gm, bool keep_wm, int first) {
  const auto put = [&p](std::string_view s) {
    std::memcpy(p, s.data(), s.size());
    p += s.size();
  };
  const auto address = [&p](int at) {
    put_addr(p, at);
    p += 3;
  };
  if (!gm) {
    put("=L");
    put_int(p, len + 34, 3, 3);
    p += 3;
    address(first + len - 1);
    if (keep_wm) {
      put("=N000");
    } else {
      put("=)");
      address(first);
    }
    put("=B007=");
    return 4;
  }
  put("=,043=L");
  put_int(p, len + 42, 3, 3);
  p += 3;
  address(first + len - 1);
  put("=)043");
  if (keep_wm)
    put("043");
  else
    address(first);
  put("=B007= ");
  return 5;
}

}  // namespace

void TapeFile::record(std::string_view data, std::string_view marks, int size) {
  const std::size_t room = static_cast<std::size_t>(std::max(size - 5, 0));
  // The line is built after its two counts, which are filled in once the
  // text's length is known: at most a separator and a character for each
  // position, the deck id, "=}" and the line end.
  std::string& line = line_;
  line.resize(6 + 2 * room + 4 + 2 + 1);
  char* const text = line.data() + 6;
  char* p = text;
  // Positions that only a word mark reaches are blanks carrying that mark;
  // past the marks the data is copied as it is.
  const std::size_t held = std::min(data.size(), room);
  const std::size_t marked = std::min(marks.size(), room);
  std::size_t i = 0;
  for (; i < marked; ++i) {
    *p = '=';
    p += marks[i] == '1' ? 1 : 0;
    *p++ = i < held ? data[i] : ' ';
  }
  if (i < held) {
    std::memcpy(p, data.data() + i, held - i);
    p += held - i;
    i = held;
  }
  std::memset(p, ' ', room - i);
  p += room - i;
  std::memcpy(p, id_.data(), id_.size());
  p += id_.size();
  *p++ = '=';
  *p++ = '}';
  const auto text_size = static_cast<std::size_t>(p - text);
  *p++ = '\n';
  line.resize(static_cast<std::size_t>(p - line.data()));
  put_int(line.data(), static_cast<std::int64_t>(text_size), 3);
  put_int(line.data() + 3, size, 3);
  if (out_) write_out(*out_, line);
}

void TapeFile::loader(std::string_view) {
  if (loader_written_) return;
  loader_written_ = true;
  for (const TapeLoaderRecord& r : tape_loader_records()) record(r.text, r.marks, kTapeLoaderRecordSize);
}

void TapeFile::resume(char loader) {
  if (loader == 'N') return;
  const TapeLoaderRecord& r = tape_resume_record();
  record(r.text, r.marks, kTapeLoaderRecordSize);
}

void TapeFile::set_deck_id(std::string_view id) {
  for (std::size_t i = 0; i < id_.size(); ++i) {
    const char c = i < id.size() ? id[i] : ' ';
    id_[i] = is_separator(c) ? ' ' : as_1401(c);
  }
}

void TapeFile::field(std::string_view text, bool word_mark, int first, std::string_view ident) {
  if (mark_count_ > 0) flush_marks();
  const int length = static_cast<int>(text.size());
  for (int pos = 0; pos < length;) {
    // A group mark with a word mark in the read area would stop every later
    // tape read there, so such a piece arrives without the mark and gets it
    // from a set-word-mark instruction just before the load.
    const bool gm = is_group_mark(text[static_cast<std::size_t>(pos)]);
    const int len = std::min(length - pos, gm ? kMaxGroupMarkPiece : kMaxPiece);
    data_piece(text.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(len)), gm, word_mark && pos == 0,
               first + pos, ident);
    pos += len;
  }
}

void TapeFile::data_piece(std::string_view piece, bool gm, bool keep_wm, int first, std::string_view ident) {
  const int len = std::min(static_cast<int>(piece.size()), kMaxPiece);
  // The line is built in place as record() would build it: the counts, then
  // the program (at most 23 characters) with "=" before each character that
  // gets a word mark, the piece, the identification, blanks up to the
  // record's size, the deck id and "=}".
  char line[6 + kDataRoom + kMaxProgramMarks + 4 + 2 + 1];
  char* const text = line + 6;
  // Blanks first, by stores of known size: the text is written over them.
  std::memset(text, ' ', kDataRoom + kMaxProgramMarks);
  char* p = text;
  const int marks = put_program(p, len, gm, keep_wm, first);
  // Positions in the record's text count without the "=".
  const auto data_at = [&](int at) { return text + marks + at; };
  // A separator travels as ":" and gets its zone afterwards (below).
  zone_fixes_.clear();
  for (int j = 0; j < len; ++j) {
    const char c = piece[static_cast<std::size_t>(j)];
    if (is_separator(c)) {
      *p++ = kSeparatorDigits;
      zone_fixes_.push_back(first + j);
    } else {
      *p++ = c;
    }
  }
  if (len < kIdentBelow) {
    p = data_at(kIdentAt);
    const std::size_t shown = std::min(ident.size(), static_cast<std::size_t>(data_at(kDataRoom) - p));
    const auto shows = [&ident](std::size_t j) { return kIdentChar[static_cast<unsigned char>(ident[j])]; };
    std::size_t j = 0;
    for (; j + 4 <= shown; j += 4, p += 4) {  // four at a time: the text is 20 columns
      p[0] = shows(j);
      p[1] = shows(j + 1);
      p[2] = shows(j + 2);
      p[3] = shows(j + 3);
    }
    for (; j < shown; ++j) *p++ = shows(j);
  }
  p = data_at(kDataRoom);
  std::memcpy(p, id_.data(), id_.size());
  p += id_.size();
  *p++ = '=';
  *p++ = '}';
  put_int(line, static_cast<std::int64_t>(p - text), 3);
  put_int(line + 3, kDataRecord, 3);
  *p++ = '\n';
  if (out_) write_out(*out_, std::string_view(line, static_cast<std::size_t>(p - line)));
  zone_fix_records();
}

// The separator character is loaded as ":" and then given its A zone by
// move-zone instructions whose source "/" follows their branch.
void TapeFile::zone_fix_records() {
  for (std::size_t k = 0; k < zone_fixes_.size(); k += kMaxZoneFixes) {
    const std::size_t m = std::min(zone_fixes_.size() - k, static_cast<std::size_t>(kMaxZoneFixes));
    const std::string source = num_to_addr(static_cast<int>(7 * m) + 24);  // 020 + position 7m+5 - 1
    std::string& fix = data_;
    std::string& fix_wms = fix_marks_;
    fix.clear();
    fix_wms.clear();
    for (std::size_t i = 0; i < m; ++i) {
      fix += 'Y';
      fix += source;
      fix += num_to_addr(zone_fixes_[k + i]);
      fix_wms += "1000000";
    }
    fix += "B007";
    fix += kAZoneChar;
    fix_wms += "10001";
    record(fix, fix_wms, kDataRecord);
  }
}

void TapeFile::set_word_mark(int at) {
  if (mark_count_ >= kMaxMarks) flush_marks();
  if (mark_count_ == 0) {
    marks_ = std::string(56, ' ');
    for (int c = 1; c <= 50; c += 7) marks_[static_cast<std::size_t>(c - 1)] = ',';
  }
  const int k = mark_count_;
  marks_.replace(static_cast<std::size_t>(3 * k + k / 2 + 1), 3, num_to_addr(at));
  ++mark_count_;
}

void TapeFile::flush_marks() {
  if (mark_count_ <= 0) return;
  const int n = mark_count_;
  // The branch follows the last address: with an even count there is no
  // comma of a further instruction to keep.
  const int p = 3 * n + (n - 1) / 2 + 2;
  const std::string data = marks_.substr(0, static_cast<std::size_t>(p - 1)) + "B007";
  std::string wms(static_cast<std::size_t>(p + 4), '0');
  for (int c = 1; c < p; c += 7) wms[static_cast<std::size_t>(c - 1)] = '1';
  wms[static_cast<std::size_t>(p - 1)] = '1';
  wms[static_cast<std::size_t>(p + 3)] = '1';
  record(data, wms, kDataRecord);
  mark_count_ = 0;
}

void TapeFile::transfer(std::string_view branch) {
  // Word marks still pending must be set before control leaves the load.
  flush_marks();
  record("N000000" + std::string(branch) + " ", "100000010001", kDataRecord);
}

void TapeFile::end(std::string_view instruction) {
  flush_marks();
  record(std::string(instruction) + " ", "10000001", kDataRecord);
}

}  // namespace velumar
