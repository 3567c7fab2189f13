// Formatting of one card: fields moved into their columns, TABs expanded.
#include <algorithm>
#include <string>
#include <vector>

#include "frontend/opcodes.h"
#include "tools/lsp/card.h"

namespace velumar::lsp {

namespace {

constexpr int kTabStop = 8;

// A line with its TABs expanded to blanks at stops every 8 columns; `tab`
// is 'T' at the first blank of each expansion, 't' at the others and ' '
// elsewhere, so that a gap knows how many TABs and blanks it held.
struct Expanded {
  std::string text;
  std::string tab;
};

Expanded expand_tabs(std::string_view line) {
  Expanded e;
  for (char c : line) {
    if (c != '\t') {
      e.text.push_back(c);
      e.tab.push_back(' ');
      continue;
    }
    const std::size_t to = (e.text.size() / kTabStop + 1) * kTabStop;
    e.tab.push_back('T');
    e.tab.resize(to, 't');
    e.text.resize(to, ' ');
  }
  return e;
}

// A blank-separated word of an expanded line: its first column (1-based)
// and the TABs and blanks of the gap before it.
struct Word {
  int col = 0;
  std::string text;
  int tabs_before = 0;
  int blanks_before = 0;
};

std::vector<Word> words_of(const Expanded& e) {
  std::vector<Word> words;
  Word w;
  for (std::size_t i = 0; i < e.text.size(); ++i) {
    if (e.text[i] == ' ') {
      if (!w.text.empty()) {
        words.push_back(w);
        w = Word{};
      }
      if (e.tab[i] == 'T') ++w.tabs_before;
      else if (e.tab[i] == ' ') ++w.blanks_before;
      continue;
    }
    if (w.text.empty()) w.col = static_cast<int>(i) + 1;
    w.text.push_back(e.text[i]);
  }
  if (!w.text.empty()) words.push_back(w);
  return words;
}

// True when the label, the operation and the operand field already start
// in their columns.
bool in_columns(std::string_view line) {
  if (line.find('\t') != std::string_view::npos) return false;
  const std::string card = card_image(line);
  if (card[5] == '*') return true;
  const auto blank = [&](int from, int to) {
    return std::all_of(card.begin() + from - 1, card.begin() + to, [](char c) { return c == ' '; });
  };
  if (!blank(12, 15)) return false;
  // A label typed left of column 6, or joined to column 5.
  if (!blank(1, 5) && (blank(6, 11) || card[4] != ' ')) return false;
  if (blank(16, 20)) return true;  // no operation: nothing tells the fields apart
  if (card[15] == ' ') return false;
  return card[20] != ' ' || blank(22, 23);
}

// The operation may take an operand: an unknown one is given the benefit.
bool takes_operands(std::string_view op) {
  const Op code = find_op(op);
  if (code == Op::Unknown) return true;
  const OpInfo& info = op_info(code);
  return !(info.a == Need::Prohibited && info.b == Need::Prohibited && info.d == Need::Prohibited);
}

// A word that starts at the left of a card, or one near it that is no
// operation, is a label.
bool is_label(const Word& w) { return w.col <= 7 || (w.col <= 11 && find_op(card_image(w.text).substr(0, 5)) == Op::Unknown); }

void put_at(std::string& out, int col, std::string_view text) {
  if (static_cast<int>(out.size()) < col - 1) out.resize(static_cast<std::size_t>(col - 1), ' ');
  else if (static_cast<int>(out.size()) >= col) out.push_back(' ');
  out.append(text);
}

std::string layout(const Expanded& e, const std::vector<Word>& words) {
  std::size_t i = 0;
  std::string out;
  if (is_label(words[0])) {
    if (words[0].text.size() > 6) return e.text;
    put_at(out, 6, words[i++].text);
  }
  if (i == words.size()) return out;
  const Word& op = words[i++];
  if (op.text.size() > 5) return e.text;
  put_at(out, 16, op.text);
  if (i == words.size()) return out;
  const Word& next = words[i];
  const std::string_view rest = std::string_view(e.text).substr(static_cast<std::size_t>(next.col - 1));
  const bool operands = takes_operands(card_image(op.text).substr(0, 5)) &&
                        ((next.tabs_before == 1 && next.blanks_before == 0) ||
                         (next.tabs_before == 0 && next.blanks_before <= 5));
  if (!operands) {
    put_at(out, std::max(next.col, 24), rest);
    return out;
  }
  if (card_image(op.text).substr(0, 5) == "JOB  ") {
    put_at(out, 21, rest);
    return out;
  }
  const std::string card = card_image(std::string(20, ' ') + std::string(rest));
  const int end = operand_field_end(card);
  const std::size_t length = static_cast<std::size_t>(std::max(end - 20, 0));
  put_at(out, 21, rest.substr(0, length));
  const std::string_view remark = rest.substr(std::min(length, rest.size()));
  const std::size_t text = remark.find_first_not_of(' ');
  if (text != std::string_view::npos) out.append(remark);
  return out;
}

}  // namespace

std::string format_card(std::string_view line) {
  if (in_columns(line)) return std::string(line);
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::string();
  std::string out;
  if (line[first] == '*') {
    // A comment: the asterisk to column 6, the TABs after it expanded from there.
    out = expand_tabs(std::string(5, ' ') + std::string(line.substr(first))).text;
  } else {
    const Expanded e = expand_tabs(line);
    out = layout(e, words_of(e));
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace velumar::lsp
