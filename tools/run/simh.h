// A SimH i1401 session driven command by command through a pseudo-terminal.
//
// The simulator polls its console for a keyboard interrupt while it runs; on a
// pipe that poll blocks, on a terminal it does not, hence the pseudo-terminal.
// Its output is unbuffered (stdbuf -o0) so that each "sim> " prompt arrives
// as soon as the command is done.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace velumar::run {

/// Why a command's run was cut short by velumar-run rather than by the 1401.
enum class Cut { None, TimeLimit, PrintLimit, Signal, Lost };

/// What a command printed before the next prompt, and whether it was cut.
struct Reply {
  std::string text;
  Cut cut = Cut::None;
};

/// A stop of the simulated 1401 as its console reports it:
/// "HALT instruction, IS: 366 (WR)" gives reason "HALT instruction", is 366.
struct Stop {
  std::string reason;  ///< empty when the reply names no stop
  int is = -1;
  bool halted() const { return reason == "HALT instruction"; }
  bool breakpoint() const { return reason == "Breakpoint"; }
  bool step_expired() const { return reason == "Step expired"; }
  bool interrupted() const { return reason == "Simulation stopped"; }
  bool error() const { return !reason.empty() && !halted() && !breakpoint() && !step_expired() && !interrupted(); }
};

/// The last stop named in `text` (a reply or a console transcript).
Stop parse_stop(const std::string& text);

/// Checked while a command runs; returns the cut to make (Cut::None: go on).
using Watch = std::function<Cut()>;

/// One running simulator. Commands and their replies are copied to `transcript`.
class Simh {
 public:
  Simh(std::string exe, std::filesystem::path dir, std::ostream& transcript)
      : exe_(std::move(exe)), dir_(std::move(dir)), transcript_(transcript) {}
  ~Simh();
  Simh(const Simh&) = delete;
  Simh& operator=(const Simh&) = delete;

  /// Starts the simulator; false when it could not be started.
  bool start();
  /// Sends one command line and returns what it printed up to the next prompt.
  /// `watch` is consulted a few times a second while the command runs.
  Reply command(const std::string& line, const Watch& watch = {});
  /// Stops the simulator at once and waits for it.
  void kill_now();
  /// The simulator's exit status once it has ended, else -1.
  int exit_status() const { return status_; }

 private:
  bool read_until_prompt(std::string& out, const Watch& watch, Cut& cut);
  bool read_some(std::string& out, int timeout_ms);

  std::string exe_;
  std::filesystem::path dir_;
  std::ostream& transcript_;
  int master_ = -1;
  pid_t pid_ = -1;
  int status_ = -1;
};

}  // namespace velumar::run
