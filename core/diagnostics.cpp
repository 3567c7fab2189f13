#include "core/diagnostics.h"

#include <algorithm>
#include <array>
#include <limits>

#include "core/text.h"

namespace velumar {

namespace {

constexpr std::string_view kBold = "\033[1m";
constexpr std::string_view kReset = "\033[0m";

std::string_view severity_colour(Severity s) {
  switch (s) {
    case Severity::Error: return "\033[1;31m";
    case Severity::Warning: return "\033[1;35m";
    case Severity::Note: return "\033[1;36m";
  }
  return kBold;
}

// A byte of a card that would act on a terminal instead of showing (a
// control byte starts an escape sequence, moves the cursor or rings the
// bell) or that is no 1401 character: shown as "?", as the listing does.
bool unsafe_byte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte >= 0x7F;
}

// TEXT with every unsafe byte shown as "?"; messages quote card text.
std::string shown_text(std::string_view text) {
  std::string shown(text);
  for (char& c : shown)
    if (unsafe_byte(c)) c = '?';
  return shown;
}

// `file:line:col: word: text`, the location parts that are known.
void headline(std::string& t, std::string_view file, long long line, int col, Severity s, std::string_view text,
              bool colour) {
  if (colour) t += kBold;
  t += file;
  if (line > 0) t += ':' + std::to_string(line);
  if (line > 0 && col > 0) t += ':' + std::to_string(col);
  t += ": ";
  if (colour) t += severity_colour(s);
  t += severity_word(s);
  t += ": ";
  if (colour) {
    t += kReset;
    if (s != Severity::Note) t += kBold;
  }
  t += shown_text(text);
  if (colour) t += kReset;
  t += '\n';
}

// The card as a person sees it: a tab is read as one blank, and shown so,
// which keeps the caret under the columns it means; every other byte that
// would act on the terminal or is no 1401 character is shown as "?", one
// column like the others, as the listing shows it.
std::string visible_card(std::string_view card) {
  std::string shown(rtrim(card.substr(0, std::min<std::size_t>(card.size(), 80))));
  for (char& c : shown) {
    if (c == '\t') c = ' ';
    else if (unsafe_byte(c)) c = '?';
  }
  return shown;
}

// The card with a fix-it's replacement in its columns.
std::string mended(std::string_view card, const Note& n) {
  std::string fixed(card.substr(0, std::min<std::size_t>(card.size(), 80)));
  const auto first = static_cast<std::size_t>(std::clamp(n.first_col, 1, 80) - 1);
  const auto last = static_cast<std::size_t>(std::clamp(n.last_col, n.first_col, 80));
  if (fixed.size() < last) fixed.resize(last, ' ');
  fixed.replace(first, last - first, *n.replacement);
  return fixed;
}

// splitmix64's finaliser: every input bit moves about half the output bits.
std::uint64_t mix(std::uint64_t x) {
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

// What makes two diagnostics the same for the report: line, first column, message.
std::uint64_t identity(const Diagnostic& d) {
  std::uint64_t h = std::hash<std::string_view>{}(d.message);
  h = mix(h ^ static_cast<std::uint64_t>(d.line));
  return mix(h ^ static_cast<std::uint32_t>(d.first_col));
}

constexpr DiagInfo kTable[] = {
#define VELUMAR_DIAG(id, name, severity, flag, historic, word, wording, hint) \
  {DiagId::id, name, Severity::severity, flag, historic, word, wording, hint},
#include "core/diagnostics.def"
#undef VELUMAR_DIAG
};

constexpr bool rows_in_order() {
  for (std::size_t i = 0; i < std::size(kTable); ++i)
    if (static_cast<std::size_t>(kTable[i].id) != i) return false;
  return true;
}
static_assert(rows_in_order());

// The row of each error code, by its byte.
constexpr std::array<const DiagInfo*, 256> kByFlag = [] {
  std::array<const DiagInfo*, 256> rows{};
  for (const DiagInfo& row : kTable)
    if (row.flag != '\0') rows[static_cast<unsigned char>(row.flag)] = &row;
  return rows;
}();

// TEMPLATE with each "{}" replaced by the next of ARGS (nothing once they run out).
std::string fill(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(text.size());
  auto arg = args.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' && i + 1 < text.size() && text[i + 1] == '}') {
      if (arg != args.end()) out += *arg++;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

const DiagInfo& diag_info(DiagId id) { return kTable[static_cast<std::size_t>(id)]; }

const DiagInfo* flag_info(char code) { return kByFlag[static_cast<unsigned char>(code)]; }

std::string_view flag_word(char code) {
  const DiagInfo* row = flag_info(code);
  return row != nullptr ? row->word : std::string_view();
}

Diagnostic diagnose(DiagId id, std::initializer_list<std::string_view> args) {
  const DiagInfo& row = diag_info(id);
  Diagnostic d;
  d.id = id;
  d.severity = row.severity;
  d.historic = fill(row.historic, args);
  d.message = row.wording.empty() ? d.historic : fill(row.wording, args);
  if (row.flag != '\0' && !row.word.empty()) {
    d.message += " (flagged ";
    d.message += row.word;
    d.message += ')';
  }
  if (!row.hint.empty()) d.notes.push_back({std::string(row.hint)});
  return d;
}

std::string Reporter::render(const Diagnostic& d, std::string_view file, bool colour) {
  std::string t;
  headline(t, file, d.line, d.first_col, d.severity, d.message, colour);
  if (d.line > 0 && d.first_col > 0 && !d.card.empty()) {
    const int first = std::clamp(d.first_col, 1, 80);
    const int last = std::clamp(d.last_col, first, 80);
    const std::string number = std::to_string(d.line);
    const std::string gutter(number.size() + 1, ' ');
    t += ' ' + number + " | " + visible_card(d.card) + '\n';
    t += gutter + " | " + std::string(static_cast<std::size_t>(first - 1), ' ');
    if (colour) t += "\033[1;32m";
    t += '^' + std::string(static_cast<std::size_t>(last - first), '~');
    if (colour) t += kReset;
    t += '\n';
  }
  for (const Note& n : d.notes) {
    if (n.line > 0) {
      // A note about another line shows that line, as a diagnostic would.
      Diagnostic other = make_diagnostic(Severity::Note, n.text, n.line, n.first_col, n.last_col, n.card);
      t += render(other, file, colour);
      continue;
    }
    headline(t, file, d.line, n.first_col, Severity::Note, n.text, colour);
    if (n.replacement && d.line > 0 && n.first_col > 0 && !d.card.empty()) {
      // The card as the fix-it leaves it, under the card as it is.
      const std::string number = std::to_string(d.line);
      t += ' ' + std::string(number.size(), ' ') + " | " + visible_card(mended(d.card, n)) + '\n';
    }
  }
  return t;
}

void Reporter::report(const Diagnostic& d) {
  // The same message at the same place comes once, whichever pass finds it again.
  if (!shown_.insert(identity(d)).second) return;
  if (d.severity == Severity::Error) {
    ++errors_;
    if (error_lines_.empty() || error_lines_.back() < d.line) {
      error_lines_.push_back(d.line);
    } else {
      auto at = std::lower_bound(error_lines_.begin(), error_lines_.end(), d.line);
      if (*at != d.line) error_lines_.insert(at, d.line);
    }
  } else if (d.severity == Severity::Warning) {
    ++warnings_;
  }
  if (out_ != nullptr || observer_) held_.push_back(d);
}

void Reporter::show_held() {
  // Line 0 stands for the whole job: after every located diagnostic; and
  // column 0 for the whole card, after what is said of its columns.
  const auto key = [](const Diagnostic& d) {
    return std::pair(d.line > 0 ? d.line : std::numeric_limits<long long>::max(), d.first_col > 0 ? d.first_col : 81);
  };
  std::stable_sort(held_.begin(), held_.end(), [&](const Diagnostic& a, const Diagnostic& b) { return key(a) < key(b); });
  int shown_errors = 0;
  int more_errors = 0;
  int more_warnings = 0;
  for (const Diagnostic& d : held_) {
    // The observer takes every one, in the same order, whatever is shown.
    if (observer_) observer_(d);
    if (out_ == nullptr) continue;
    if (error_limit_ > 0 && shown_errors >= error_limit_) {
      more_errors += d.severity == Severity::Error ? 1 : 0;
      more_warnings += d.severity == Severity::Warning ? 1 : 0;
      continue;
    }
    *out_ << render(d, file_, colour_);
    if (d.severity == Severity::Error) ++shown_errors;
  }
  held_.clear();
  if (out_ == nullptr || more_errors + more_warnings == 0) return;
  std::string line = file_ + ": error limit reached: " + std::to_string(more_errors) + " more " +
                     (more_errors == 1 ? "error" : "errors");
  if (more_warnings > 0) line += " and " + std::to_string(more_warnings) + (more_warnings == 1 ? " warning" : " warnings");
  *out_ << line << " not shown (--error-limit=" << error_limit_ << "; 0 shows all)\n";
}

void Reporter::begin_job() {
  held_.clear();
  errors_ = warnings_ = 0;
  error_lines_.clear();
  shown_.clear();
}

void Reporter::end_job(std::optional<int> historic_errors) {
  show_held();
  if (out_ == nullptr) return;
  if (errors_ == 0 && warnings_ == 0) return;
  auto count = [](int n, std::string_view what) {
    return std::to_string(n) + ' ' + std::string(what) + (n == 1 ? "" : "s");
  };
  std::string line = file_ + ": ";
  if (errors_ > 0) line += count(errors_, "error");
  if (errors_ > 0 && warnings_ > 0) line += ", ";
  if (warnings_ > 0) line += count(warnings_, "warning");
  if (historic_errors && *historic_errors != errors_) {
    // Standard output counts a message each time it is raised, and pass 3
    // counts each statement that carries an error flag once more; this
    // report shows a message once, and each operand at fault on its own.
    line += " (standard output says " + std::to_string(*historic_errors) + " Errors: ";
    line += *historic_errors > errors_
                ? "it counts each message as often as it is raised, and each statement with an error flag once more)"
                : "it counts a statement's error flag once, where this report names each operand at fault)";
  }
  *out_ << line << '\n';
}

void Diagnostics::report(Diagnostic d) {
  if (d.pass == 0) d.pass = pass_;
  reporter_.report(d);
}

void Diagnostics::place(Diagnostic& d) const {
  d.statement = line_no_;
  d.line = source_line_;
  d.card = card_;
  d.pass = pass_;
}

void Diagnostics::report_here(Diagnostic d) {
  place(d);
  report(std::move(d));
}

void Diagnostics::historic(Diagnostic d) {
  place(d);
  if (historic_ != nullptr) historic_->render(d);
}

void Diagnostics::do_error(Diagnostic d) {
  place(d);
  if (d.severity == Severity::Error) {
    failed_ = true;
    ++error_count_;
  }
  if (historic_ != nullptr && !d.historic.empty()) historic_->render(d);
  if (d.historic_only) return;
  if (d.first_col == 0 && !card_.empty() && source_line_ > 0) {
    // Without columns of its own a message concerns the statement: from
    // the label field (or the operation) to the end of the operands; the
    // remarks after them are not part of it.
    const std::string_view shown = std::string_view(card_).substr(0, std::min<std::size_t>(card_.size(), 72));
    const std::size_t first = shown.find_first_not_of(' ', 5);
    if (first != std::string::npos) {
      std::size_t last = shown.find_last_not_of(' ');
      if (shown.size() > 20 && shown[20] != ' ') last = std::min(last, shown.find(' ', 20) - 1);
      else if (first < 20) last = std::min(last, shown.find_last_not_of(' ', 19));
      d.first_col = static_cast<int>(first) + 1;
      d.last_col = static_cast<int>(last) + 1;
    }
  }
  report(std::move(d));
}

std::string_view severity_word(Severity s) {
  switch (s) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
  }
  return "error";
}

}  // namespace velumar
