// One run of the assembled program on the simulator, at full speed or
// instruction by instruction, with breaks, traces and the report of where it
// stopped, in the program's own labels and lines.
#pragma once

#include <csignal>
#include <deque>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/run/devices.h"
#include "tools/run/options.h"
#include "tools/run/simh.h"
#include "tools/run/symbols.h"

namespace velumar::run {

/// The signal that asked velumar-run to end (0: none), set by its handler.
extern volatile std::sig_atomic_t g_signal;

/// The simulator's registers at a stop; index registers from storage 87-99.
struct Registers {
  int is = -1, as = -1, bs = -1;
  int x[3] = {-1, -1, -1};
};

/// A label the options name, as written, with its address and index register.
struct Target {
  std::string text;
  int address = 0;
  int index = 0;  ///< 1-3: the address is relative to that index register
};

/// How a run ended.
struct Outcome {
  Stop stop;
  Cut cut = Cut::None;
  Registers regs;
  std::vector<int> recent;  ///< instruction addresses, oldest first (may be empty)
  bool recent_follow = false;  ///< `recent` ran after the stop (a loop), not before it
  std::string printed;         ///< the printer's lines
  std::string punched;         ///< the punch's cards
};

/// Runs the program as the options ask.
class Runner {
 public:
  Runner(const Options& opts, const Devices& devices, const SymbolMap& map, std::string simh, std::ostream& err)
      : opts_(opts), devices_(devices), map_(map), simh_(std::move(simh)), err_(err) {}

  /// Resolves the labels the options name; false (with `error`) for an unknown one.
  bool resolve(std::string& error);
  /// The run itself; console transcript and commands go to the working folder.
  Outcome run();
  /// Reruns the program to its stop and returns the last instructions executed.
  std::vector<int> history();
  /// Prints where the run stopped: source line, registers, recent instructions.
  void report_where(const Outcome& o) const;

 private:
  Cut watch(const std::filesystem::path& print, long long deadline_ms);
  bool start(Simh& sim, const std::string& suffix, std::ostream& ini);
  Stop full_speed(Simh& sim, Reply& r, Outcome& o, bool first);
  Stop step_through(Simh& sim, int is, Outcome& o);
  bool at_break(Simh& sim, int is);
  bool arm_indexed_breaks(Simh& sim, bool set_in_simulator);
  std::string shown(Simh& sim, const Target& t, const Registers& regs);
  void finish(Simh& sim, Outcome& o);
  Registers registers(Simh& sim, bool index_registers);
  std::string field(Simh& sim, int address, int width);
  std::string describe(int address) const;
  std::string source_columns(int is) const;
  std::string trace_line(int is, const Registers& r) const;

  const Options& opts_;
  const Devices& devices_;
  const SymbolMap& map_;
  std::string simh_;
  std::ostream& err_;
  std::vector<std::pair<std::string, int>> breaks_;  // as written, address
  std::vector<Target> indexed_breaks_;               // armed when the program starts
  std::vector<Target> shows_;
  int trace_from_ = -1, trace_to_ = -1;
  long trace_lines_ = 0, break_hits_ = 0;
  bool tracing_ = false, stopped_at_break_ = false;
  std::optional<LineCounter> printed_;
  std::map<int, long> passes_;  // breaks reached, by address
};

}  // namespace velumar::run
