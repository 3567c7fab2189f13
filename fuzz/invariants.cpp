#include "fuzz/invariants.h"

#include <algorithm>
#include <sstream>
#include <string_view>
#include <vector>

#include "core/charset.h"
#include "frontend/reader.h"

namespace velumar::fuzz {

namespace {

constexpr long long kStorage = 16000;
constexpr long long kDataColumns = 39;
constexpr long long kMarksPerCard = 6;
constexpr long long kTapeMarksPerRecord = 14;
// Loader, resume and transfer cards of one job.
constexpr long long kFixedCards = 16;

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    lines.push_back(text.substr(0, nl));
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return lines;
}

// Each character in the one form the simulator reads back as itself.
bool is_1401_text(std::string_view text) { return std::all_of(text.begin(), text.end(), is_canonical); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A number right-justified in a blank-filled field; -1 when it is none.
long long field_number(std::string_view field) {
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return -1;
  long long n = 0;
  for (char c : field.substr(first)) {
    if (!is_digit(c)) return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string at_line(std::string_view what, std::size_t index) {
  std::ostringstream s;
  s << what << " (line " << index + 1 << ")";
  return s.str();
}

std::string check_deck(const Outputs& run, long long lines) {
  const std::vector<std::string_view> cards = lines_of(run.deck);
  if (static_cast<long long>(cards.size()) > card_bound(lines)) return "object deck larger than storage allows";
  for (std::size_t i = 0; i < cards.size(); ++i) {
    const std::string_view card = cards[i];
    if (card.size() != 80) return at_line("object card not 80 columns", i);
    if (!is_1401_text(card)) return at_line("object card holds a byte that is no 1401 character", i);
    // A load of the card's data (L, count, address) names a storage position.
    const bool load = card[39] == 'L' && is_digit(card[40]) && is_digit(card[41]) && is_digit(card[42]);
    if (load && card.substr(43, 3) == "###") return at_line("object card loads outside storage", i);
    // The two addresses of each set- or clear-word-mark instruction (columns
    // 47, 54, 61); a quick END puts its transfer in the third instead.
    for (std::size_t op : {46u, 53u, 60u}) {
      if (card[op] != ',' && card[op] != ')') continue;
      if (card.substr(op + 1, 3) == "###" || card.substr(op + 4, 3) == "###")
        return at_line("object card sets a word mark outside storage", i);
    }
  }
  return {};
}

std::string check_tape(const Outputs& run, long long lines) {
  const std::vector<std::string_view> records = lines_of(run.tape);
  if (static_cast<long long>(records.size()) > tape_bound(lines)) return "tape file larger than storage allows";
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string_view rec = records[i];
    if (rec.size() < 6) return at_line("tape record without its length fields", i);
    const std::string_view text = rec.substr(6);
    if (field_number(rec.substr(0, 3)) != static_cast<long long>(text.size()))
      return at_line("tape record length field differs from its text", i);
    const long long positions = static_cast<long long>(text.size() - std::count(text.begin(), text.end(), '='));
    if (field_number(rec.substr(3, 3)) != positions)
      return at_line("tape record position count differs from its text", i);
    if (text.size() > 160) return at_line("tape record longer than 160 characters", i);
    // A record ends in the group mark "}" (the tape file's own form of it).
    const std::string_view body = text.ends_with('}') ? text.substr(0, text.size() - 1) : text;
    if (!is_1401_text(body)) return at_line("tape record holds a byte that is no 1401 character", i);
  }
  return {};
}

}  // namespace

std::vector<std::string> options_from(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  std::vector<std::string> args;
  if (a & 1) args.emplace_back("-a");
  if (a & 2) args.emplace_back("-L");
  if (a & 4) args.emplace_back("-s");
  if (a & 8) args.emplace_back("-i");
  if (a & 16) args.push_back("-X" + std::to_string(b & 7));
  if (a & 32) {
    static constexpr char kLoaders[] = "INBV";
    static constexpr char kSizes[] = " 1248vxz";
    std::string value{"-b", 2};
    value += kLoaders[(b >> 3) & 3];
    if (kSizes[b >> 5] != ' ') value += kSizes[b >> 5];
    args.push_back(value);
  }
  if (a & 64) args.push_back("-p" + std::to_string(c >> 3));
  if (a & 128) args.emplace_back("--keepscratch");
  if (c & 1) args.emplace_back("-lout.lst");
  if (c & 2) args.emplace_back("-oout.obj");
  if (c & 4) args.emplace_back("-tout.tape");
  if ((b & 0xC0) == 0xC0) args.emplace_back("-TlpP");
  args.emplace_back("-");
  return args;
}

long long card_bound(long long lines) {
  const long long per_statement = (kStorage + kDataColumns - 1) / kDataColumns + kStorage / kMarksPerCard + 2;
  return kFixedCards * lines + per_statement * lines + kFixedCards;
}

long long tape_bound(long long lines) {
  // Each field placed gets records of its own (a CHAIN places one
  // character per field), so a statement may need one per position.
  const long long per_statement = kStorage + kStorage / kTapeMarksPerRecord + 2;
  return kFixedCards * lines + per_statement * lines + kFixedCards;
}

std::string check(const Outputs& run) {
  // An input that is not text is refused as a whole, with status 2 and no output.
  const bool refused = run.status == 2 && !not_text(run.source).empty();
  if (refused && (!run.deck.empty() || !run.tape.empty())) return "a refused input left a deck or tape";
  if (refused) return {};
  if (run.status != 0 && run.status != 1) return "exit status " + std::to_string(run.status);
  if (!run.locations.empty()) return "the passes disagree on a location: " + run.locations;
  const long long lines = 1 + std::count(run.source.begin(), run.source.end(), '\n') +
                          std::count(run.source.begin(), run.source.end(), '\r');
  if (std::string problem = check_deck(run, lines); !problem.empty()) return problem;
  return check_tape(run, lines);
}

}  // namespace velumar::fuzz
