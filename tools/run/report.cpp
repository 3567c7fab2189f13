// The rerun that recovers the last instructions before a stop, and the report
// of where the program stopped.
#include <cstdio>
#include <fstream>
#include <ostream>

#include "tools/run/run.h"

namespace velumar::run {

namespace {

namespace fs = std::filesystem;

constexpr long kStepChunk = 2000;  // instructions per step while counting
constexpr std::size_t kRecent = 20;

long long now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

// The 1401 keeps no history, but a run is deterministic: a first rerun counts
// the instructions to the stop in chunks, a second runs all but the last chunk
// at full speed and steps through the rest one instruction at a time.
std::vector<int> Runner::history() {
  const long long deadline = now_ms() + 1000LL * opts_.time_limit;
  const Watch w = [&] { return g_signal != 0 ? Cut::Signal : now_ms() >= deadline ? Cut::TimeLimit : Cut::None; };
  std::ofstream console(devices_.work / "rerun-console.txt"), ini(devices_.work / "rerun.ini");
  const std::string boot = devices_.boot_image.empty() ? "boot cdr" : "boot mt1";
  auto begin = [&](Simh& sim, int& is) {
    if (!start(sim, "-rerun", ini) || sim.command("break 1").cut != Cut::None) return false;
    const Reply r = sim.command(boot, w);
    const Stop s = parse_stop(r.text);
    sim.command("nobreak 1");
    is = s.is;
    return r.cut == Cut::None && s.breakpoint();
  };
  long chunks = 0;
  int is = -1;
  {
    Simh sim(simh_, devices_.work, console);
    if (!begin(sim, is)) return {};
    for (;;) {
      const Reply r = sim.command("step " + std::to_string(kStepChunk), w);
      if (r.cut != Cut::None) return {};
      if (!parse_stop(r.text).step_expired()) break;
      ++chunks;
    }
  }
  Simh sim(simh_, devices_.work, console);
  if (!begin(sim, is)) return {};
  if (chunks > 0) {
    const Reply r = sim.command("step " + std::to_string(chunks * kStepChunk), w);
    const Stop s = parse_stop(r.text);
    if (r.cut != Cut::None || !s.step_expired()) return {};
    is = s.is;
  }
  std::vector<int> recent;
  for (long n = 0; n <= kStepChunk; ++n) {
    const Reply r = sim.command("step", w);
    if (r.cut != Cut::None) return {};
    recent.push_back(is);
    if (recent.size() > kRecent) recent.erase(recent.begin());
    const Stop s = parse_stop(r.text);
    if (!s.step_expired()) return recent;
    is = s.is;
  }
  return {};
}

std::string Runner::describe(int address) const {
  if (address < 0) return "?";
  const std::string name = map_.name_address(address);
  return std::to_string(address) + (name.empty() ? "" : " (" + name + ")");
}

std::string Runner::source_columns(int is) const {
  const Statement* s = map_.instruction_at(is);
  char buf[160];
  if (s == nullptr) {
    std::snprintf(buf, sizeof buf, "%6s  %5d  %-33s", "-", is, "(not in the program)");
  } else {
    std::snprintf(buf, sizeof buf, "%6lld  %5d  %-6s %-5s %-20s", s->line, is, s->label().c_str(), s->op.c_str(),
                  s->operands().c_str());
  }
  return buf;
}

std::string Runner::trace_line(int is, const Registers& r) const {
  return source_columns(is) + " A=" + describe(r.as) + " B=" + describe(r.bs);
}

void Runner::report_where(const Outcome& o) const {
  const Stop& stop = o.stop;
  const std::string& src = opts_.source;
  // The line to look at: the instruction at the stop, or the last one of the
  // program that ran before it (a halt, or a branch out of the program).
  const Statement* at = stop.halted() ? nullptr : map_.instruction_at(stop.is);
  bool came = false;
  if (at == nullptr && !o.recent_follow)
    for (auto it = o.recent.rbegin(); it != o.recent.rend() && at == nullptr; ++it)
      if ((at = map_.instruction_at(*it)) != nullptr) came = !stop.halted();
  const std::string what = stop.error() ? "error" : "note";
  std::string why = stop.error()                ? "the 1401 stopped here: " + stop.reason
                    : stop.halted()             ? "the program halted here"
                    : stop.breakpoint()         ? "the run stopped at the break here"
                    : o.cut == Cut::PrintLimit  ? "the program was printing without end; it was here"
                                                : "the program was still running; it was here";
  if (came) why = "the 1401 stopped at " + describe(stop.is) + ", not an instruction of the program, after this one: " + stop.reason;
  if (at != nullptr) {
    err_ << src << ':' << at->line << ": " << what << ": " << why << '\n';
    char num[32];
    std::snprintf(num, sizeof num, "%6lld | ", at->line);
    err_ << num << at->text << '\n';
  } else if (map_.end_line() > 0 && stop.is == map_.start().value_or(0)) {
    err_ << src << ':' << map_.end_line() << ": " << what << ": the 1401 stopped at " << describe(stop.is)
         << " before any instruction of the program ran: "
         << (!map_.start() ? "this END card names no start address, so the loader branched to 0; write the "
                                 "label of the first instruction in its operand field"
                               : "the loader branched to the start address this END card names")
         << '\n';
  } else if (!map_.empty()) {
    err_ << src << ": " << what << ": the 1401 stopped at " << describe(stop.is)
         << ", not an instruction of the program, and no instruction of the program ran before it\n";
  }
  if (stop.reason == "Unit not attached")
    err_ << src << ": note: velumar-run attaches the card reader, printer and punch; attach tape units with "
         << "--tape N=FILE\n";
  const Registers& r = o.regs;
  err_ << src << ": note: registers: I=" << describe(stop.is) << "  A=" << describe(r.as) << "  B=" << describe(r.bs);
  for (int i = 0; i < 3; ++i) err_ << "  X" << i + 1 << '=' << describe(r.x[i]);
  err_ << '\n';
  if (o.recent.empty()) return;
  err_ << src << ": note: " << (o.recent_follow ? "the next instructions it ran" : "the last instructions executed")
       << ", oldest first:\n";
  for (int a : o.recent) {
    std::string line = source_columns(a);
    line.erase(line.find_last_not_of(' ') + 1);
    err_ << line << '\n';
  }
}

}  // namespace velumar::run
