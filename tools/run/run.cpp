#include "tools/run/run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <ostream>

#include "core/charset.h"

namespace velumar::run {

volatile std::sig_atomic_t g_signal = 0;

namespace {

namespace fs = std::filesystem;

constexpr long kStepChunk = 2000;  // instructions per step of the counting rerun
constexpr std::size_t kRecent = 20;
constexpr int kFieldCap = 100;     // the longest field read without a known width
constexpr int kStorage = 16000;
constexpr int kWordMark = 0100;

long long now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// "LABEL", "LABEL+n" or "LABEL-n" as an address, with the label's index register.
std::optional<Target> label_address(const SymbolMap& map, const std::string& target) {
  const std::size_t sign = target.find_first_of("+-", 1);
  const Symbol* s = map.symbol(target.substr(0, sign));
  if (s == nullptr) return std::nullopt;
  if (sign == std::string::npos) return Target{target, s->value, s->index};
  const std::string digits = target.substr(sign + 1);
  if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int n = std::atoi(digits.c_str());
  return Target{target, target[sign] == '+' ? s->value + n : s->value - n, s->index};
}

// The address an indexed target has while the register holds `x`; the 1401
// adds modulo its 16000 addresses, so 15999 in the register subtracts 1.
int effective(const Target& t, int x) { return ((t.address + x) % kStorage + kStorage) % kStorage; }

// The lines "NNN:\tOOO" of an octal examine of storage.
std::vector<std::pair<int, int>> parse_storage(const std::string& text) {
  std::vector<std::pair<int, int>> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    const std::size_t colon = line.find(":\t");
    if (colon == std::string::npos || colon == 0 || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
    out.emplace_back(std::atoi(line.c_str()), static_cast<int>(std::strtol(line.c_str() + colon + 2, nullptr, 8)));
  }
  return out;
}

// The value of register `name` in the reply to "ex is,as,bs".
int register_value(const std::string& text, const std::string& name) {
  const std::size_t at = text.find(name + ":\t");
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + name.size() + 2);
}

// A three-character machine address: hundreds, tens and units digits, the
// thousands in the zones of the hundreds (1000-3000) and units (4000-12000).
int machine_address(int hundreds, int tens, int units) {
  auto digit = [](int code) { return (code & 15) == 10 || (code & 15) > 10 ? 0 : code & 15; };
  auto zone = [](int code) { return (code >> 4) & 3; };
  return digit(hundreds) * 100 + digit(tens) * 10 + digit(units) + zone(hundreds) * 1000 + zone(units) * 4000;
}

std::string in_quotes(const std::string& s) { return "'" + s + "'"; }

}  // namespace

bool Runner::resolve(std::string& error) {
  const bool needs_map = !opts_.breaks.empty() || !opts_.show.empty() || !opts_.trace_from.empty();
  if (needs_map && map_.empty()) {
    error = "the assembler wrote no symbol map, so --break, --show and --trace=FROM..TO cannot name labels";
    return false;
  }
  Target t;
  auto find = [&](const std::string& target, const char* option) {
    const std::optional<Target> a = label_address(map_, target);
    if (!a) error = "unknown label " + in_quotes(target) + " in " + option + " (not among the program's labels)";
    if (a) t = *a;
    return a.has_value();
  };
  for (const std::string& b : opts_.breaks) {
    if (!find(b, "--break")) return false;
    if (t.index != 0 && !map_.start()) {
      error = in_quotes(b) + " in --break is indexed by X" + std::to_string(t.index) +
              ", whose value is taken when the program starts, but END names no start address";
      return false;
    }
    if (t.index != 0) indexed_breaks_.push_back(t);
    else breaks_.emplace_back(b, t.address);
  }
  for (const std::string& s : opts_.show) {
    if (!find(s, "--show")) return false;
    shows_.push_back(t);
  }
  if (!opts_.trace_from.empty()) {
    for (const std::string* label : {&opts_.trace_from, &opts_.trace_to}) {
      if (!find(*label, "--trace")) return false;
      if (t.index != 0) {
        error = in_quotes(*label) + " in --trace is indexed by X" + std::to_string(t.index) +
                ": a trace range takes labels whose address does not change while the program runs";
        return false;
      }
      (label == &opts_.trace_from ? trace_from_ : trace_to_) = t.address;
    }
    if (const Statement* s = map_.statement_at(trace_to_)) trace_to_ = s->last;
  }
  return true;
}

Cut Runner::watch(const fs::path& print, long long deadline_ms) {
  if (g_signal != 0) return Cut::Signal;
  if (now_ms() >= deadline_ms) return Cut::TimeLimit;
  if (opts_.print_limit > 0) {
    if (!printed_) printed_.emplace(print);
    if (printed_->count() > opts_.print_limit) return Cut::PrintLimit;
  }
  return Cut::None;
}

bool Runner::start(Simh& sim, const std::string& suffix, std::ostream& ini) {
  if (!sim.start()) return false;
  for (const std::string& c : devices_.prepare(suffix)) {
    ini << c << '\n';
    if (sim.command(c).cut != Cut::None) return false;
  }
  return true;
}

Outcome Runner::run() {
  Outcome o;
  std::ofstream console(devices_.work / "console.txt"), ini(devices_.work / "run.ini");
  Simh sim(simh_, devices_.work, console);
  if (!start(sim, "", ini)) {
    o.cut = g_signal != 0 ? Cut::Signal : Cut::Lost;
    return o;
  }
  const std::string boot = devices_.boot_image.empty() ? "boot cdr" : "boot mt1";
  ini << boot << '\n';
  if (opts_.trace) {
    sim.command("break 1");  // boot stops before the first instruction
    const long long deadline = now_ms() + 1000LL * opts_.time_limit;
    Reply r = sim.command(boot, [&] { return watch(devices_.work / "print.txt", deadline); });
    const Stop first = parse_stop(r.text);
    sim.command("nobreak 1");
    o.cut = r.cut;
    o.stop = first.breakpoint() && r.cut == Cut::None ? step_through(sim, first.is, o) : first;
  } else {
    for (const auto& [target, address] : breaks_) sim.command("break " + std::to_string(address));
    if (!indexed_breaks_.empty()) sim.command("break " + std::to_string(*map_.start()));
    Reply r;
    o.stop = full_speed(sim, r, o, true);
  }
  finish(sim, o);
  return o;
}

Stop Runner::full_speed(Simh& sim, Reply& r, Outcome& o, bool first) {
  const long long deadline = now_ms() + 1000LL * opts_.time_limit;
  std::string cmd = first ? (devices_.boot_image.empty() ? "boot cdr" : "boot mt1") : "cont";
  for (;;) {
    r = sim.command(cmd, [&] { return watch(devices_.work / "print.txt", deadline); });
    const Stop s = parse_stop(r.text);
    if (r.cut != Cut::None) {
      o.cut = r.cut;
      return s;
    }
    cmd = "cont";
    if (s.breakpoint() && !indexed_breaks_.empty() && s.is == *map_.start() && !arm_indexed_breaks(sim, true))
      continue;  // only the break that armed them
    if (!s.breakpoint() || !at_break(sim, s.is)) return s;
  }
}

// Steps one instruction at a time from `is`, tracing and breaking as asked,
// until the program stops; hands over to full speed once the trace limit is reached.
Stop Runner::step_through(Simh& sim, int is, Outcome& o) {
  const long long deadline = now_ms() + 1000LL * opts_.time_limit;
  auto w = [&] { return watch(devices_.work / "print.txt", deadline); };
  tracing_ = true;
  for (;;) {
    if (!indexed_breaks_.empty() && is == *map_.start()) arm_indexed_breaks(sim, false);
    if (std::any_of(breaks_.begin(), breaks_.end(), [&](const auto& b) { return b.second == is; }) &&
        !at_break(sim, is))
      return Stop{"Breakpoint", is};
    const Reply r = sim.command("step", w);
    const Stop s = parse_stop(r.text);
    if (r.cut != Cut::None) {
      o.cut = r.cut;
      return s;
    }
    o.recent.push_back(is);
    if (o.recent.size() > kRecent) o.recent.erase(o.recent.begin());
    const bool in_range = trace_from_ >= 0 ? trace_from_ <= is && is <= trace_to_
                                           : map_.empty() || map_.instruction_at(is) != nullptr;
    if (in_range) {
      err_ << trace_line(is, registers(sim, false)) << '\n';
      if (opts_.trace_limit > 0 && ++trace_lines_ >= opts_.trace_limit && s.step_expired()) {
        err_ << "velumar-run: trace limit of " << opts_.trace_limit
             << " lines reached; the program runs on untraced (raise it with --trace-limit N)\n";
        for (const auto& [target, address] : breaks_) sim.command("break " + std::to_string(address));
        Reply rest;
        o.recent.clear();  // what ran untraced is not known
        return full_speed(sim, rest, o, false);
      }
    }
    if (!s.step_expired()) return s;
    is = s.is;
  }
}

// Reports a break at `is`; false when the run is to end there.
bool Runner::at_break(Simh& sim, int is) {
  ++break_hits_;
  if (opts_.trace_limit > 0 && break_hits_ > opts_.trace_limit) {
    if (break_hits_ == opts_.trace_limit + 1) {
      err_ << "velumar-run: break limit of " << opts_.trace_limit
           << " stops reached; the program runs on without breaks (raise it with --trace-limit N)\n";
      for (const auto& [target, address] : breaks_) sim.command("nobreak " + std::to_string(address));
    }
    return true;
  }
  std::string name;
  for (const auto& [target, address] : breaks_)
    if (address == is && name.empty()) name = target;
  err_ << "velumar-run: break at " << name;
  if (const Statement* s = map_.instruction_at(is)) err_ << " (" << opts_.source << ':' << s->line << ')';
  err_ << ", pass " << ++passes_[is] << ':';
  const bool indexed = std::any_of(shows_.begin(), shows_.end(), [](const Target& t) { return t.index != 0; });
  const Registers regs = indexed ? registers(sim, true) : Registers{};
  for (const Target& t : shows_) err_ << ' ' << t.text << '=' << shown(sim, t, regs);
  err_ << '\n';
  if (!opts_.stop_at_break) return true;
  stopped_at_break_ = true;
  return false;
}

// The program is at its start address: the index registers hold what the
// deck loaded, and the indexed breaks are set where they point now (as a
// debugger evaluates a break's address when it is set). True when one of
// them is the start address itself.
bool Runner::arm_indexed_breaks(Simh& sim, bool set_in_simulator) {
  const Registers regs = registers(sim, true);
  bool here = std::any_of(breaks_.begin(), breaks_.end(), [&](const auto& b) { return b.second == *map_.start(); });
  if (set_in_simulator && !here) sim.command("nobreak " + std::to_string(*map_.start()));
  for (const Target& t : indexed_breaks_) {
    const int x = std::max(0, regs.x[t.index - 1]);
    const int at = effective(t, x);
    err_ << "velumar-run: --break " << t.text << ": X" << t.index << " holds " << x
         << " when the program starts, so the break is at " << describe(at) << '\n';
    breaks_.emplace_back(t.text, at);
    if (set_in_simulator) sim.command("break " + std::to_string(at));
    here = here || at == *map_.start();
  }
  indexed_breaks_.clear();
  return here;
}

// A field of --show, read where its label points now: for an indexed label,
// its address plus the register's present value.
std::string Runner::shown(Simh& sim, const Target& t, const Registers& regs) {
  const Symbol* sym = map_.symbol(t.text);
  const int width = sym != nullptr && t.text == sym->name ? sym->width : 0;
  if (t.index == 0) return field(sim, t.address, width);
  const int x = std::max(0, regs.x[t.index - 1]);
  const int at = effective(t, x);
  return field(sim, at, width) + " (X" + std::to_string(t.index) + "=" + std::to_string(x) + ", at " +
         std::to_string(at) + ")";
}

Registers Runner::registers(Simh& sim, bool index_registers) {
  Registers r;
  const std::string regs = sim.command("ex is,as,bs").text;
  r.is = register_value(regs, "IS");
  r.as = register_value(regs, "AS");
  r.bs = register_value(regs, "BS");
  if (!index_registers) return r;
  std::map<int, int> codes;
  for (const auto& [a, c] : parse_storage(sim.command("ex 87-99").text)) codes[a] = c;
  for (int i = 0; i < 3; ++i) {
    const int base = 87 + 5 * i;
    if (codes.count(base) && codes.count(base + 2)) r.x[i] = machine_address(codes[base], codes[base + 1], codes[base + 2]);
  }
  return r;
}

// The field whose rightmost position is `address`, read leftward to its word
// mark (or `width` positions when it has none within them), quoted.
std::string Runner::field(Simh& sim, int address, int width) {
  if (address < 0 || address >= kStorage) return "(outside storage)";
  const int span = width > 0 ? width : kFieldCap;
  const int lo = std::max(0, address - span + 1);
  std::vector<std::pair<int, int>> cells = parse_storage(sim.command("ex " + std::to_string(lo) + "-" + std::to_string(address)).text);
  std::string value;
  bool marked = false;
  for (auto it = cells.rbegin(); it != cells.rend() && !marked; ++it) {
    value.insert(value.begin(), bcd_char(it->second & 63));
    marked = (it->second & kWordMark) != 0;
  }
  return in_quotes(value) + (marked ? "" : " (no word mark)");
}

void Runner::finish(Simh& sim, Outcome& o) {
  if (o.cut == Cut::Signal || o.cut == Cut::Lost) return;
  o.regs = registers(sim, true);
  if (opts_.dump && !map_.empty()) {
    err_ << "velumar-run: the labelled fields at the end of the run:\n";
    for (const Symbol* s : map_.fields()) {
      char head[64];
      std::snprintf(head, sizeof head, "  %-6s %5d  ", s->name.c_str(), s->value);
      err_ << head << field(sim, s->value, s->width) << '\n';
    }
  }
  sim.command("detach lpt");
  if (o.cut == Cut::TimeLimit || o.cut == Cut::PrintLimit) {
    // Where a loop is: the next instructions it runs, printing elsewhere.
    sim.command("attach lpt print-after.txt");
    o.recent.clear();
    o.recent_follow = true;
    int is = o.stop.is;
    for (std::size_t n = 0; n < kRecent && is >= 0; ++n) {
      o.recent.push_back(is);
      const Stop s = parse_stop(sim.command("step").text);
      is = s.step_expired() ? s.is : -1;
    }
  }
  sim.command("detach all");
  read_whole(devices_.work / "print.txt", o.printed);
  read_whole(devices_.work / "punch.txt", o.punched);
  sim.kill_now();
}

}  // namespace velumar::run
