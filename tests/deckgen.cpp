#include "tests/deckgen.h"

#include <algorithm>

namespace velumar::deckgen {

std::uint64_t Random::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

int Random::between(int lo, int hi) {
  if (hi <= lo) return lo;
  const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
  return static_cast<int>(lo + static_cast<std::int64_t>(next() % span));
}

std::string card(const std::string& label, const std::string& op, const std::string& operands,
                 const std::string& remark) {
  std::string c(5, ' ');
  c += label;
  c.resize(std::max<std::size_t>(c.size(), 15), ' ');
  c += op;
  c.resize(std::max<std::size_t>(c.size(), 20), ' ');
  c += operands;
  if (!remark.empty()) {
    c.resize(std::max<std::size_t>(c.size() + 2, 39), ' ');
    c += remark;
  }
  while (!c.empty() && c.back() == ' ') c.pop_back();
  return c;
}

namespace {

const std::vector<std::string> kMachineOps = {
    "A",    "D",    "M",    "S",   "ZA",   "ZS",  "MBC",   "MBD", "MCE", "MCS", "MIZ",  "MLC", "MCW", "MLCWA",
    "LCA",  "MLNS", "MN",   "MLZS", "MZ",  "MRCM", "MCM",  "B",   "BAV", "BBE", "BC9",  "BCV", "BE",  "BEF",
    "BER",  "BH",   "BIN",  "BL",  "BLC",  "BM",  "BPCB",  "BPB", "BU",  "BW",  "BWZ",  "BCE", "BSS", "C",
    "BSP",  "CU",   "DCR",  "ECR", "LU",   "MU",  "P",     "PCB", "R",   "RCB", "RD",   "RDT", "RDTW", "RDW",
    "RF",   "RP",   "RT",   "RTB", "RTW",  "RWD", "RWU",   "SD",  "SKP", "SPF", "SRF",  "W",   "WD",  "WDC",
    "WDCW", "WDT",  "WDTW", "WDW", "WM",   "WP",  "WR",    "WRF", "WT",  "WTB", "WTM",  "WTW", "CC",  "CCB",
    "CS",   "CW",   "H",    "MA",  "NOP",  "SAR", "SBR",   "SS",  "SSB", "SW"};
const std::vector<std::string> kCommonOps = {"MCW", "MLC", "A", "S", "ZA", "B", "BCE", "CS", "SW", "CW",
                                             "W",   "R",   "P", "H", "NOP", "SBR", "C", "LCA", "BWZ", "MZ"};
const std::vector<std::string> kNames = {"START", "LOOP", "FLD", "FLD2", "TABLE", "COUNT", "A1", "B",
                                         "X",     "ALPHA", "BETA", "LONGNAME", "OUT", "TOP", "Z9", "WORK"};
const std::vector<std::string> kTexts = {"A", "HELLO", "AB CD", "123", "X,Y", "A@B", "\"", "'", "", "SUM=",
                                         "THE QUICK BROWN FOX", "0", "-", "&", "#", "%", "*"};
const std::vector<std::string> kDevices = {"%U1", "%U2", "%B1", "%D0", "%F1", "%T3", "%", "%U"};
const std::vector<std::string> kRemarks = {"", "", "", "A REMARK", "SET UP, THEN LOOP", "#@%*", "LOWER CASE"};
// Characters that the card code has no place for, and some that it has.
const std::vector<std::string> kOddChars = {"$", "(", ")", "=", "\t", "\x7f", "\xc3\xa9", "\x80", "~", "{", "}"};

class Generator {
 public:
  Generator(Random& r, const Profile& profile) : r_(r), p_(profile) {
    // Half of the decks are meant to be clean programs; the others have errors at a
    // rate of their own, from the odd slip to a deck full of them.
    static const std::vector<int> rates = {0, 0, 0, 0, 0, 1, 2, 5, 25};
    rate_ = profile.errors ? r_.pick(rates) : 0;
  }

  std::string deck() {
    const int jobs = r_.between(1, std::max(1, p_.max_jobs));
    for (int j = 0; j < jobs; ++j) job(j + 1 == jobs);
    // Cards after the last END: blank or comment cards form no job.
    if (r_.chance(10)) line("");
    if (r_.chance(5)) line(card("* TRAILING COMMENT", ""));
    return out_;
  }

 private:
  // True, in a deck with errors, with a chance that grows with `percent`.
  bool bad(int percent) { return rate_ > 0 && r_.between(0, 999) < percent * rate_; }
  bool clean() const { return rate_ == 0; }

  void line(const std::string& text) {
    std::string t = text;
    if (r_.chance(2)) t = lower(t);  // the reader folds lower case
    if (bad(1)) t += std::string(static_cast<std::size_t>(r_.between(1, 40)), 'Q');  // past column 80
    out_ += t;
    out_ += r_.chance(2) ? "\r\n" : "\n";
  }

  static std::string lower(std::string t) {
    for (char& c : t)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return t;
  }

  void emit(const std::string& label, const std::string& op, const std::string& operands, bool machine = false) {
    std::string remark = r_.pick(kRemarks);
    if (clean() && remark == "#@%*") remark = "";
    line(card(label, op, operands, remark));
    after_machine_ = machine;
  }

  void job(bool last) {
    defined_.clear();
    referenced_.clear();
    after_machine_ = false;
    if (r_.chance(15)) emit("", "JOB", "GENERATED TEST DECK " + std::to_string(r_.between(1, 99)));
    if (r_.chance(8)) emit("", "CTL", std::to_string(r_.between(0, 9999)));
    const int n = r_.between(1, std::max(1, p_.max_statements));
    for (int i = 0; i < n; ++i) statement();
    if (last && bad(8)) return;  // the input ends before END
    if (clean()) {
      // Every name the program uses gets a definition.
      for (const std::string& name : std::vector<std::string>(referenced_))
        if (std::find(defined_.begin(), defined_.end(), name) == defined_.end()) {
          defined_.push_back(name);
          if (r_.chance(50)) emit(name, "DS", std::to_string(r_.between(1, 5)));
          else emit(name, "DCW", "@X@");
        }
      if (defined_.empty()) emit(label(100), "H", "");
    }
    emit(bad(3) ? name() : "", "END", r_.chance(80) ? ref() : bad(30) ? any_operand() : "");
  }

  std::string name() {
    std::string n = r_.pick(kNames);
    if (r_.chance(5)) n += std::to_string(r_.between(0, 9));
    if (clean() && n.size() > 6) n.resize(6);
    return n;
  }

  // A label that defines a symbol (with `percent` chance); fresh in a clean deck.
  std::string label(int percent) {
    if (!r_.chance(percent)) return "";
    if (bad(4)) return r_.pick(kOddChars) + "BAD";
    if (bad(3)) return name() + "   JUNK";  // text in columns 12-15
    std::string n = name();
    if (clean())
      while (std::find(defined_.begin(), defined_.end(), n) != defined_.end())
        n = "L" + std::to_string(r_.between(0, 9999));
    defined_.push_back(n);
    return n;
  }

  // A name that an operand refers to.
  std::string ref() {
    std::string n = !defined_.empty() && r_.chance(60) ? r_.pick(defined_) : name();
    if (n.find(' ') != std::string::npos || n.size() > 6) n = "FLD";
    referenced_.push_back(n);
    return n;
  }

  // An area-defining literal defines its name.
  std::string area_name() {
    if (!clean()) return ref();
    std::string n = "AR" + std::to_string(r_.between(0, 9999));
    if (std::find(defined_.begin(), defined_.end(), n) != defined_.end()) return ref();
    defined_.push_back(n);
    return n;
  }

  std::string defined_ref() { return defined_.empty() || bad(20) ? ref() : r_.pick(defined_); }

  std::string number() {
    switch (r_.between(0, 9)) {
      case 0: return "0";
      case 1: return clean() ? "15999" : std::to_string(r_.between(15900, 16100));
      case 2: return clean() ? "1" : "99999999999";
      default: return std::to_string(r_.between(1, 1999));
    }
  }

  std::string adjustment() {
    switch (r_.between(0, 12)) {
      case 0: return "&" + std::to_string(r_.between(1, 50));
      case 1: return "-" + std::to_string(r_.between(1, 50));
      case 2: return "&X" + std::to_string(r_.between(1, 3));
      case 3: return "&" + std::to_string(r_.between(0, 9)) + "&X" + std::to_string(r_.between(0, 3));
      case 8: return clean() ? "" : "&X1";
      case 4: return bad(50) ? "&X00" : "";
      case 5: return bad(50) ? "-X1" : "";
      case 6: return bad(50) ? "&X4" : "";
      case 7: return bad(50) ? "&Q" : "";
      default: return "";
    }
  }

  std::string offset() {
    const int n = r_.between(-20, 20);
    return n < 0 ? std::to_string(n) : n > 0 ? "&" + std::to_string(n) : "";
  }

  std::string text_literal() {
    std::string t = r_.pick(kTexts);
    if (clean() && (t.empty() || t.find('@') != std::string::npos)) t = "OK";
    return "@" + t + "@";
  }

  // An operand of a machine instruction: any form the parser knows, and in
  // decks with errors some that it rejects.
  std::string any_operand() {
    if (bad(15)) {
      static const std::vector<std::string> odd = {"",   "@",     "@@",    "*#5",  "FLD*", "#A",   "&",
                                                   "((", "5A",    "A&5-3", "@AB@X", "FLD#", "%U1X", "-@",
                                                   "&5-3", "FLD&X0&1", "$", "&@A", "@OPEN", ",", "#5", "%U"};
      return r_.pick(odd);
    }
    switch (r_.between(0, 16)) {
      case 0: case 1: case 2: case 3: case 4: return ref() + adjustment();
      case 5: return number() + adjustment();
      case 6: return "*" + adjustment();
      case 7: case 8: return text_literal();
      case 9: return (r_.chance(50) ? "&" : "-") + text_literal();
      case 10: return (r_.chance(50) ? "&" : "-") + ref() + adjustment();
      case 11: return area_name() + "#" + std::to_string(r_.between(1, 30));
      case 12: return clean() ? ref() : r_.pick(kDevices);
      default: return (r_.chance(50) ? "&" : "-") + std::to_string(r_.between(0, 99999));
    }
  }

  std::string d_modifier() {
    static const std::vector<std::string> d = {"A", "B", "1", "9", "K", "S", "@", "&", "/", "U", "AB", "'"};
    std::string m = r_.pick(d);
    return clean() && m.size() > 1 ? "Z" : m;
  }

  std::string operand_list(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
      if (i > 0) s += bad(3) ? ", " : ",";
      s += any_operand();
    }
    return s;
  }

  void statement() {
    const int kind = r_.between(0, 99);
    if (kind < 6) return comment();
    if (kind < 45) return machine();
    if (kind < 50) return direct();
    if (kind < 62) return constant();
    if (kind < 67) return storage();
    if (kind < 71) return address_constant();
    if (kind < 76) return equate();
    if (kind < 80) return area();
    if (kind < 84) return origin();
    if (kind < 87) return pool();
    if (kind < 89) return transfer();
    if (kind < 92) return chain();
    if (kind < 94) return suffix();
    if (kind < 97) return other_control();
    if (!clean()) return oddity();
    return machine();
  }

  void comment() { line(card("*" + r_.pick(kRemarks) + (r_.chance(50) ? " COMMENT" : ""), "")); }

  void machine() {
    if (clean()) return clean_machine();
    const std::string& op = r_.chance(60) ? r_.pick(kCommonOps) : r_.pick(kMachineOps);
    std::string ops;
    const int form = r_.between(0, 9);
    if (form == 0) ops = "";
    else if (form < 4) ops = operand_list(1);
    else if (form < 7) ops = operand_list(2);
    else if (form < 9) ops = operand_list(2) + "," + d_modifier();
    else ops = r_.chance(50) ? operand_list(1) + "," + d_modifier() : operand_list(r_.between(3, 5));
    if (op.size() >= 2 && op[0] == 'R' && op != "RCB" && r_.chance(50))
      ops = (r_.chance(50) ? r_.pick(kDevices) : std::to_string(r_.between(0, 9))) + "," + ref();
    emit(label(40), op, ops, true);
  }

  // Machine instructions in the operand forms their operation allows.
  void clean_machine() {
    struct Form {
      const char* op;
      int min, max;  // addresses
      char d;        // 'r' required, 'o' optional, 'n' none
    };
    static const std::vector<Form> forms = {
        {"MCW", 0, 2, 'o'}, {"MLC", 0, 2, 'o'}, {"LCA", 2, 2, 'o'}, {"A", 0, 2, 'n'},   {"S", 2, 2, 'n'},
        {"ZA", 0, 2, 'n'},  {"C", 2, 2, 'n'},   {"MZ", 2, 2, 'n'},  {"SW", 0, 2, 'n'},  {"CW", 1, 2, 'n'},
        {"CS", 0, 2, 'n'},  {"H", 0, 1, 'n'},   {"SBR", 1, 2, 'n'}, {"W", 0, 1, 'n'},   {"R", 0, 1, 'n'},
        {"P", 0, 0, 'n'},   {"B", 1, 1, 'o'},   {"BCE", 2, 2, 'r'}, {"BWZ", 2, 2, 'r'}, {"NOP", 0, 2, 'o'},
        {"BM", 2, 2, 'n'},  {"BE", 1, 1, 'n'},  {"MN", 2, 2, 'n'},  {"SAR", 1, 1, 'n'}, {"BIN", 1, 1, 'r'}};
    const Form& f = r_.pick(forms);
    const int n = r_.between(f.min, f.max);
    std::string ops = operand_list(n);
    if (f.d == 'r' || (f.d == 'o' && n > 0 && r_.chance(30))) ops += (n > 0 ? "," : "") + d_modifier();
    emit(label(40), f.op, ops, true);
  }

  // Columns 16-18 blank: the operation character in column 19, a d-modifier in column 20.
  void direct() {
    static const std::string ops = "MABSLW,.1/";
    std::string op = "   ";
    op += ops[static_cast<std::size_t>(r_.between(0, static_cast<int>(ops.size()) - 1))];
    if (r_.chance(40)) op += d_modifier().substr(0, 1);
    emit(label(30), op, operand_list(r_.between(0, 2)));
  }

  void constant() {
    const std::string op = r_.chance(60) ? "DCW" : "DC";
    std::string value;
    switch (r_.between(0, 9)) {
      case 0: case 1: value = text_literal(); break;
      case 2: value = (r_.chance(50) ? "-" : "&") + std::to_string(r_.between(0, 99999)); break;
      case 3: value = std::to_string(r_.between(0, 999999)); break;
      case 4: value = "#" + std::to_string(r_.between(1, 60)); break;
      case 5: value = "&" + ref() + adjustment(); break;
      case 6: value = (r_.chance(50) ? "-" : "") + ref(); break;
      case 7: value = "&" + text_literal(); break;
      case 8: value = "@" + std::string(static_cast<std::size_t>(r_.between(30, 58)), 'L') + "@"; break;
      default: value = bad(100) ? any_operand() : "@Q@"; break;
    }
    std::string where = label(70);
    if (r_.chance(8)) where = std::to_string(r_.between(clean() ? 3000 : 300, clean() ? 9000 : 16010));
    emit(where, op, value);
  }

  void storage() {
    std::string value = std::to_string(r_.between(0, 120));
    if (r_.chance(10)) value = std::to_string(r_.between(1000, 3000));
    if (bad(8)) value = r_.chance(50) ? "999999" : "99999999999999";
    if (bad(8)) value = r_.chance(50) ? name() : value + " JUNK";
    if (bad(4)) value += "X";
    emit(label(80), "DS", value);
  }

  void address_constant() {
    std::string value;
    switch (r_.between(0, 6)) {
      case 0: value = number(); break;
      case 1: value = "*"; break;
      case 2: value = (r_.chance(50) ? "&" : "-") + std::to_string(r_.between(0, 999)); break;
      case 3: value = (clean() || r_.chance(50) ? "&" : "-") + ref(); break;
      default: value = ref() + adjustment(); break;
    }
    if (bad(8)) value = any_operand();
    std::string where = label(70);
    if (r_.chance(8)) where = std::to_string(r_.between(clean() ? 3000 : 300, clean() ? 9000 : 2000));
    emit(where, "DSA", value);
  }

  void equate() {
    std::string value;
    switch (r_.between(0, 5)) {
      case 0: value = number(); break;
      case 1: value = "*" + adjustment(); break;
      case 2: value = r_.pick(kDevices).size() == 3 ? "%U1" : "%B2"; break;
      default: value = defined_ref() + adjustment(); break;
    }
    if (bad(10)) value = r_.chance(50) ? operand_list(2) : any_operand();
    std::string l = label(90);
    if (bad(5)) l = "123";
    emit(l, "EQU", value);
  }

  void area() {
    std::string value = std::to_string(r_.between(clean() ? 1 : 0, 5)) + "X" + std::to_string(r_.between(1, 40));
    if (bad(8)) value = r_.chance(50) ? "3Y10" : "X5";
    static const std::vector<std::string> opts = {"X0", "X1", "X2", "X3", "C", "G", "'", "|", "Q", "*"};
    std::vector<std::string> used;
    const int n = r_.between(0, 3);
    for (int i = 0; i < n; ++i) {
      const std::string o = r_.pick(opts);
      if (clean() && (o == "Q" || std::find(used.begin(), used.end(), o) != used.end())) continue;
      used.push_back(o);
      value += "," + o;
    }
    std::string where = label(80);
    if (r_.chance(10)) where = std::to_string(r_.between(clean() ? 3000 : 400, clean() ? 9000 : 3000));
    emit(where, "DA", value);
    const int fields = r_.between(0, 4);
    for (int i = 0; i < fields; ++i) {
      if (r_.chance(10)) comment();
      std::string f = std::to_string(r_.between(1, 30));
      if (r_.chance(60)) f += "," + std::to_string(r_.between(1, 40));
      if (bad(8)) f = any_operand();
      emit(label(85), "", f);
    }
  }

  void origin() {
    std::string value;
    switch (r_.between(0, 6)) {
      case 0: value = ""; break;
      case 1: value = "*" + adjustment(); break;
      case 2: value = defined_ref() + offset(); break;
      case 3: value = std::to_string(r_.between(0, 1999)) + "&X00"; break;
      default: value = std::to_string(r_.between(333, 3999)) + offset(); break;
    }
    if (bad(8)) value = any_operand();
    if (bad(30)) value = std::to_string(r_.between(15900, 15999));
    emit(label(20), "ORG", value);
  }

  void pool() {
    const bool at = r_.chance(50);
    emit(label(30), "LTORG", at ? "*" : r_.chance(60) ? "" : std::to_string(r_.between(400, 3000)) + offset());
  }

  void transfer() {
    const std::string op = r_.chance(60) ? "EX" : "XFR";
    emit(bad(5) ? name() : "", op, r_.chance(80) ? ref() : bad(40) ? any_operand() : number());
  }

  void chain() {
    if (clean() && !after_machine_) return clean_machine();
    std::string n = std::to_string(r_.between(clean() ? 1 : 0, 6));
    if (bad(10)) n = "X";
    // CHAIN fills columns 16-20, so its amount sits right after it in column 21.
    emit("", "CHAIN", n);
  }

  void suffix() {
    static const std::vector<std::string> sfx = {"A", "B", "", "Z", "1"};
    emit("", "SFX", clean() ? "" : r_.pick(sfx));
  }

  void other_control() {
    static const std::vector<std::string> ops = {"JOB", "CTL", "ENT", "ALTER", "DELET", "INSER"};
    emit("", clean() ? "CTL" : r_.pick(ops), std::to_string(r_.between(0, 999)));
  }

  // Cards that are wrong in their shape rather than in their operands.
  void oddity() {
    switch (r_.between(0, 6)) {
      case 0: return emit(label(50), "MOVE", ref());                                   // unknown operation
      case 1: return line(" " + card("", "MCW", "FLD,FLD2"));                            // operation in column 17
      case 2: return emit("", "", "5,10");                                               // field card after no DA
      case 3: return line("");                                                           // blank card
      case 4: return emit(name() + r_.pick(kOddChars), "MCW", name() + r_.pick(kOddChars));
      case 5: return emit("", "#####", "");
      default: return emit(label(30), "MCW", operand_list(r_.between(1, 2)) + r_.pick(kOddChars));
    }
  }

  Random& r_;
  const Profile& p_;
  int rate_ = 0;
  std::string out_;
  std::vector<std::string> defined_;     // labels of this program
  std::vector<std::string> referenced_;  // names its operands use
  bool after_machine_ = false;           // the previous statement was a machine instruction
};

void choose_options(Random& r, Deck& d) {
  if (r.chance(15)) d.options.push_back("-a");
  if (r.chance(15)) d.options.push_back("-L");
  if (r.chance(12)) d.options.push_back("-s");
  if (r.chance(15)) d.options.push_back("-i");
  if (r.chance(30)) d.options.push_back("-X" + std::to_string(r.between(0, 7)));
  if (r.chance(25)) {
    static const std::vector<std::string> boots = {"-bI", "-bN", "-bB", "-bV", "-bI1", "-bI4", "-bIx",
                                                   "-bIz", "-bQ3", "-bn"};
    d.options.push_back(r.pick(boots));
  }
  if (r.chance(12)) d.options.push_back("-p" + std::to_string(r.between(5, 60)));
  if (r.chance(8)) d.options.push_back(r.chance(50) ? "-Tp" : r.chance(50) ? "-TP" : "-Tl");
  if (r.chance(25)) d.options.push_back("--keepscratch");
  // Separate option values, in the order the command line may have them.
  if (r.chance(10)) {
    d.options.push_back("-X");
    d.options.push_back(std::to_string(r.between(0, 7)));
  }
  d.wants_listing = r.chance(85);
  d.wants_object = r.chance(85);
  d.wants_tape = r.chance(70);
  d.from_stdin = r.chance(10);
}

}  // namespace

Deck generate(std::uint64_t seed, const Profile& profile) {
  Random r(seed);
  Deck d;
  if (profile.random_options) choose_options(r, d);
  Generator g(r, profile);
  d.source = g.deck();
  return d;
}

}  // namespace velumar::deckgen
