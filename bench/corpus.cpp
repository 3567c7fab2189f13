// Writes the benchmark inputs to standard output: large, valid programs,
// the same bytes for the same arguments on every machine.
//
//   velumar_corpus jobs CARDS       realistic programs, one job after another
//   velumar_corpus symbols COUNT    one program defining COUNT distinct symbols
//   velumar_corpus literals COUNT   one program using COUNT literals, in pools
//   velumar_corpus tiny COUNT       COUNT programs of a few cards each
//   velumar_corpus chain LINKS      EQUs each naming the next, the last defined at the end
//
// An optional third argument changes the seed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// splitmix64: fixed arithmetic, so the corpus does not depend on the
// standard library's distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  int between(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool chance(int percent) { return below(100) < percent; }

 private:
  std::uint64_t state_;
};

class Deck {
 public:
  // One card: label from column 6, operation from 16, operands from 21,
  // the remark after them (from column 41 when they leave room).
  void card(std::string_view label, std::string_view op, std::string_view operands = {}, std::string_view remark = {}) {
    std::string line(5, ' ');
    line += label;
    line.resize(15, ' ');
    line += op;
    if (!operands.empty() || !remark.empty()) {
      line.resize(20, ' ');
      line += operands;
    }
    if (!remark.empty()) {
      line.resize(std::max<std::size_t>(line.size() + 1, 40), ' ');
      line += remark;
    }
    if (line.size() > 71) line.resize(71);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out_ += line;
    out_ += '\n';
    ++cards_;
    if (out_.size() > (1 << 20)) flush();
  }
  void comment(std::string_view text) {
    out_ += "     *";
    out_ += text.substr(0, 65);
    out_ += '\n';
    ++cards_;
  }
  long cards() const { return cards_; }
  void flush() {
    std::fwrite(out_.data(), 1, out_.size(), stdout);
    out_.clear();
  }
  ~Deck() { flush(); }

 private:
  std::string out_;
  long cards_ = 0;
};

constexpr std::string_view kWords[] = {"TOTAL", "NAME", "ITEM", "COUNT", "RATE", "PAY", "TAX", "NET", "GROSS",
                                       "DATE", "CODE", "LINE", "PAGE", "SUM", "BALANCE", "UNIT", "STOCK", "ORDER"};

std::string word(Random& rng) { return std::string(kWords[rng.below(static_cast<int>(std::size(kWords)))]); }

// A name of `width` characters: a letter and then base-36 digits of `n`.
std::string name(char first, long n, int width = 6) {
  constexpr std::string_view digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string s(static_cast<std::size_t>(width), '0');
  s[0] = first;
  for (int i = width - 1; i > 0 && n > 0; --i, n /= 36) s[static_cast<std::size_t>(i)] = digits[static_cast<std::size_t>(n % 36)];
  return s;
}

std::string num(long n, int width) {
  std::string s = std::to_string(n);
  return std::string(static_cast<std::size_t>(std::max<int>(0, width - static_cast<int>(s.size()))), '0') + s;
}

// One program of about `target` cards as a 1401 programmer writes them:
// routines of instructions with literals, index registers and branches,
// remarks and comment cards, a literal pool now and then, then the data:
// constants, storage, address constants, an area with field cards, EQUs
// backward and forward. Storage stays within 16,000 positions.
void realistic_job(Deck& deck, Random& rng, int job, int target) {
  const long start = deck.cards();
  const int data = std::clamp(target / 12, 8, 300);
  auto datum = [&]() { return name('D', rng.below(data)); };
  int routines = 0, labels = 0, furthest = 0;
  auto routine_ref = [&](int ahead) {
    const int r = rng.below(routines + ahead);
    furthest = std::max(furthest, r);
    return name('R', r);
  };
  int storage = 333;  // a little more than the code and literals need
  deck.comment(" JOB " + std::to_string(job) + ": " + word(rng) + " AND " + word(rng) + " REPORT");
  deck.comment(" READS THE CARDS, ACCUMULATES, PRINTS ONE LINE PER GROUP.");
  if (rng.chance(30)) deck.card("", "JOB", word(rng) + " RUN " + std::to_string(job));
  deck.card("INDEX1", "EQU", "89", "INDEX REGISTER 1");
  deck.card("FWD", "EQU", "LASTD-1", "DEFINED FROM A LATER LABEL");
  while (deck.cards() - start < target - data - 12 && storage < 10500) {
    const std::string routine = name('R', routines++);
    if (rng.chance(40)) deck.comment(" " + word(rng) + " ROUTINE " + routine);
    const int length = rng.between(8, 30);
    for (int i = 0; i < length; ++i) {
      const std::string label = i == 0 ? routine : rng.chance(8) ? name('L', labels++) : "";
      const bool remark = rng.chance(35);
      const std::string rem = remark ? word(rng) + " " + word(rng) : "";
      switch (rng.below(12)) {
        case 0:
          deck.card(label, "MCW", "@" + word(rng) + "@," + datum(), rem);
          storage += 14;
          break;
        case 1:
          deck.card(label, "A", "&" + std::to_string(rng.between(1, 999)) + "," + datum(), rem);
          storage += 11;
          break;
        case 2:
          deck.card(label, "ZA", datum() + "," + datum(), rem);
          storage += 7;
          break;
        case 3:
          deck.card(label, "BCE", routine_ref(5) + "," + datum() + ",A", rem);
          storage += 8;
          break;
        case 4:
          deck.card(label, "MCW", "0&X1," + std::to_string(rng.between(201, 332)), rem);
          storage += 7;
          break;
        case 5:
          deck.card(label, "CS", "332");
          deck.card("", "CS");
          storage += 5;
          break;
        case 6:
          deck.card(label, "W", {}, rem);
          storage += 1;
          break;
        case 7:
          deck.card(label, "C", datum() + "," + datum() + "&" + std::to_string(rng.between(1, 9)), rem);
          storage += 7;
          break;
        case 8:
          deck.card(label, rng.chance(50) ? "B" : "BE", routine_ref(3), rem);
          storage += 4;
          break;
        case 9:
          deck.card(label, "MZ", "@0@," + datum());
          storage += 8;
          break;
        case 10:
          deck.card(label, "S", "-" + std::to_string(rng.between(1, 99)) + "," + datum(), rem);
          storage += 10;
          break;
        default:
          deck.card(label, "MCW", datum() + "," + datum(), rem);
          storage += 7;
          break;
      }
      if (rng.chance(6)) deck.comment(" " + word(rng) + " " + word(rng) + " " + word(rng));
    }
    if (rng.chance(10)) {
      deck.card("", "LTORG", {}, "LITERALS SO FAR");
    }
  }
  deck.card("", "H");
  // Routines branched to but not written: one branch each.
  for (int r = routines; r <= furthest; ++r) deck.card(name('R', r), "B", name('R', 0));
  deck.card("", "LTORG", {}, "THE POOL BEFORE THE DATA");
  deck.comment(" DATA");
  for (int d = 0; d < data; ++d) {
    const std::string label = name('D', d);
    switch (rng.below(6)) {
      case 0:
        deck.card(label, "DCW", "@" + word(rng) + "@");
        break;
      case 1:
        deck.card(label, "DCW", num(rng.below(10000), 4));
        break;
      case 2:
        deck.card(label, "DC", "#" + std::to_string(rng.between(1, 9)));
        break;
      case 3:
        deck.card(label, "DS", std::to_string(rng.between(1, 12)));
        break;
      case 4:
        deck.card(label, "DSA", routine_ref(0));
        break;
      default:
        deck.card(label, "DCW", "-" + std::to_string(rng.between(1, 999)));
        break;
    }
  }
  deck.card("TABLE", "DA", std::to_string(rng.between(2, 5)) + "X12,X1,C", "AREA WITH FIELDS");
  deck.card("NAME", "", "1,8");
  deck.card("KEY", "", "9,12");
  deck.card("FLAG", "", "12");
  deck.card("BACK", "EQU", name('D', 0) + "&2", "BACKWARD EQU");
  deck.card("LASTD", "DCW", "@END@");
  deck.card("", "END", name('R', 0));
}

void jobs(Deck& deck, Random& rng, long cards) {
  for (int job = 1; deck.cards() < cards; ++job) {
    const long left = cards - deck.cards();
    realistic_job(deck, rng, job, static_cast<int>(std::min<long>(left, rng.between(1000, 3000))));
  }
}

// COUNT symbols: half are labels of instructions, half EQUs naming them,
// and every instruction refers to two symbols, forward and backward. The
// code returns to 333 every thousand instructions to stay in storage.
void symbols(Deck& deck, Random& rng, long count) {
  const long half = count / 2;
  deck.comment(" " + std::to_string(count) + " SYMBOLS");
  for (long i = 0; i < half; ++i) {
    if (i % 1000 == 0) deck.card("", "ORG", "333");
    deck.card(name('L', i), "MCW", name('Q', rng.below(static_cast<int>(half))) + "," + name('L', rng.below(static_cast<int>(half))));
  }
  for (long i = 0; i < count - half; ++i) deck.card(name('Q', i), "EQU", std::to_string(rng.between(200, 15999)));
  deck.card("", "END", name('L', 0));
}

// COUNT distinct literals, a pool after every 500: character literals,
// numeric literals and address constants, some repeated (short equal
// literals of one pool share a copy).
void literals(Deck& deck, Random& rng, long count) {
  deck.comment(" " + std::to_string(count) + " LITERALS IN POOLS");
  deck.card("TARGET", "EQU", "250");
  for (long i = 0; i < count; ++i) {
    if (i % 500 == 0) deck.card("", "ORG", "333", "CODE");
    switch (rng.below(3)) {
      case 0:
        deck.card("", "MCW", "@" + name('T', i) + "@,TARGET");
        break;
      case 1:
        deck.card("", "A", "&" + std::to_string(100000 + i) + ",TARGET");
        break;
      default:
        deck.card("", "MCW", "@" + word(rng) + "@,TARGET");
        break;
    }
    if (i % 500 == 499 || i + 1 == count) deck.card("", "LTORG", "4000", "THE POOL");
  }
  deck.card("", "END", "333");
}

void tiny(Deck& deck, Random& rng, long count) {
  for (long i = 0; i < count; ++i) {
    deck.comment(" TINY PROGRAM " + std::to_string(i + 1));
    deck.card("START", "CS", "332");
    deck.card("", "CS");
    deck.card("", "MCW", "MSG,211");
    deck.card("", "W");
    deck.card("", "H");
    deck.card("MSG", "DCW", "@" + word(rng) + " " + std::to_string(i) + "@");
    deck.card("", "END", "START");
  }
}

// E00000 EQU E00001, ... : each link names the next, the last is defined
// at the end, so every link but the last is a forward reference.
void chain(Deck& deck, long links) {
  deck.comment(" A CHAIN OF " + std::to_string(links) + " EQUS");
  deck.card("START", "MCW", name('E', 0) + ",300");
  deck.card("", "H");
  for (long i = 0; i < links; ++i) deck.card(name('E', i), "EQU", name('E', i + 1));
  deck.card(name('E', links), "EQU", "500");
  deck.card("", "END", "START");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: velumar_corpus jobs|symbols|literals|tiny|chain COUNT [SEED]\n";
    return 2;
  }
  const std::string kind = argv[1];
  const long count = std::strtol(argv[2], nullptr, 10);
  Random rng(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1401);
  Deck deck;
  if (kind == "jobs") {
    jobs(deck, rng, count);
  } else if (kind == "symbols") {
    symbols(deck, rng, count);
  } else if (kind == "literals") {
    literals(deck, rng, count);
  } else if (kind == "tiny") {
    tiny(deck, rng, count);
  } else if (kind == "chain") {
    chain(deck, count);
  } else {
    std::cerr << "velumar_corpus: unknown corpus " << kind << "\n";
    return 2;
  }
  return 0;
}
