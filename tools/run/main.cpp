// velumar-run: assembles one source file with velumar and runs it on the SimH
// IBM 1401 simulator (i1401), booting from cards or from tape. What the
// simulated printer printed goes to standard output; the assembler's
// messages, the simulator's stop and the debugging reports (in the program's
// own labels and lines, from velumar's symbol map) go to standard error.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "driver/options.h"
#include "tools/run/devices.h"
#include "tools/run/options.h"
#include "tools/run/run.h"
#include "tools/run/symbols.h"
#include "tools/tape_image.h"

namespace fs = std::filesystem;
using namespace velumar::run;

namespace {

constexpr const char* kProg = "velumar-run";
constexpr std::size_t kPunchShown = 3;

fs::path g_cleanup;  // the temporary working folder, removed at every exit

void cleanup() {
  if (g_cleanup.empty()) return;
  std::error_code ec;
  fs::remove_all(g_cleanup, ec);
  g_cleanup.clear();
}

[[noreturn]] void finish(int status) {
  cleanup();
  std::cout.flush();
  std::exit(status);
}

[[noreturn]] void fail(int status, const std::string& message) {
  std::cout.flush();
  std::cerr << kProg << ": " << message << '\n';
  finish(status);
}

// Ends the run as the signal asked: the working folder goes, then the signal's
// default action, so that the caller sees 128 + its number.
[[noreturn]] void die_by_signal() {
  const int sig = g_signal;
  cleanup();
  std::cout.flush();
  signal(sig, SIG_DFL);
  raise(sig);
  _exit(128 + sig);
}

extern "C" void on_signal(int sig) {
  if (g_signal == 0) g_signal = sig;
}

void install_signals() {
  struct sigaction sa{};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no restart: a wait or poll returns at once
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

bool executable(const fs::path& p) { return access(p.c_str(), X_OK) == 0 && fs::is_regular_file(p); }

// A program beside this one (the build folder or the install's bin folder,
// through any symbolic link to us) is preferred to one found through PATH.
std::string find_tool(const std::string& name, const fs::path& here) {
  if (!here.empty() && executable(here / name)) return (here / name).string();
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  std::size_t pos = 0;
  while (pos <= dirs.size()) {
    std::size_t colon = dirs.find(':', pos);
    if (colon == std::string::npos) colon = dirs.size();
    const fs::path dir = colon > pos ? fs::path(dirs.substr(pos, colon - pos)) : fs::path(".");
    if (executable(dir / name)) return (dir / name).string();
    pos = colon + 1;
  }
  return "";
}

// Runs `argv` with its standard output on our standard error, passing on a
// signal we receive; returns its exit status.
int run_program(const std::vector<std::string>& argv) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    dup2(2, 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int st = 0;
  bool passed = false;
  while (waitpid(pid, &st, 0) < 0) {
    if (errno != EINTR) return -1;
    if (g_signal != 0 && !passed) {
      kill(pid, g_signal);
      passed = true;
    }
  }
  if (g_signal != 0) die_by_signal();
  return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

void check_readable(const std::string& file, const std::string& what) {
  if (!fs::is_regular_file(file) || access(file.c_str(), R_OK) != 0) fail(2, "cannot read the " + what + " '" + file + "'");
}

fs::path working_folder(const Options& opts) {
  std::error_code ec;
  if (!opts.keep.empty()) {
    fs::create_directories(opts.keep, ec);
    if (!fs::is_directory(opts.keep)) fail(2, "cannot create the folder '" + opts.keep + "'");
    const fs::path work = fs::canonical(opts.keep, ec);
    if (ec) fail(2, "cannot enter the folder '" + opts.keep + "'");
    return work;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/velumar-run.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) fail(2, "cannot create a temporary folder");
  g_cleanup = pattern;
  return pattern;
}

// The card reader holds the deck (when booting from cards) and then the data
// cards; a file that does not end in a line end still ends its last card.
void write_cards(const Options& opts, const fs::path& deck, const fs::path& cards) {
  std::string all, part;
  if (!opts.boot_tape && read_whole(deck, part)) all += part;
  for (const std::string& f : opts.data_files) {
    if (!read_whole(f, part)) fail(2, "cannot read the data card file '" + f + "'");
    all += part;
    if (!part.empty() && part.back() != '\n') all += '\n';
  }
  if (!write_whole(cards, all)) fail(2, "cannot write '" + cards.string() + "'");
}

Devices make_devices(const Options& opts, const fs::path& work, const fs::path& tapefile) {
  Devices d;
  d.work = work;
  std::string text;
  if (opts.boot_tape) {
    if (!read_whole(tapefile, text)) fail(2, "cannot read the tape file '" + tapefile.string() + "'");
    d.boot_image = velumar::tape_image(text);
  }
  for (const TapeUnit& u : opts.tapes) {
    Tape t{u.unit, u.file, "", fs::exists(u.file)};
    if (t.existed) {
      if (!read_whole(u.file, text)) fail(2, "cannot read the tape file '" + u.file + "' of unit " + std::to_string(u.unit));
      t.image = velumar::tape_image(text);
    }
    d.tapes.push_back(std::move(t));
  }
  return d;
}

// Shows the printer's lines, at most the print-line limit of them.
void show_printed(const Options& opts, const std::string& printed) {
  std::size_t end = printed.size();
  if (opts.print_limit > 0) {
    long lines = 0;
    for (std::size_t i = 0; i < printed.size(); ++i)
      if (printed[i] == '\n' && ++lines == opts.print_limit) {
        end = i + 1;
        break;
      }
  }
  std::cout.write(printed.data(), static_cast<std::streamsize>(end));
  std::cout.flush();
}

void show_punched(const Options& opts, const std::string& punched) {
  if (!opts.punch.empty()) {
    if (!write_whole(opts.punch, punched)) fail(2, "cannot write the punch file '" + opts.punch + "'");
    return;
  }
  if (punched.empty()) return;
  std::vector<std::string> cards;
  std::size_t pos = 0;
  while (pos < punched.size()) {
    std::size_t nl = punched.find('\n', pos);
    if (nl == std::string::npos) nl = punched.size();
    cards.push_back(punched.substr(pos, nl - pos));
    pos = nl + 1;
  }
  std::cerr << kProg << ": the program punched " << cards.size() << (cards.size() == 1 ? " card" : " cards")
            << " (keep them with --punch FILE)" << (cards.size() > kPunchShown ? "; the first ones:" : ":") << '\n';
  for (std::size_t i = 0; i < cards.size() && i < kPunchShown; ++i) std::cerr << "  " << cards[i] << '\n';
}

void say(const std::string& message) { std::cerr << kProg << ": " << message << '\n'; }

// Says how the run ended, where the program was, and gives the exit status.
int finish_run(const Options& opts, Runner& runner, Outcome& o) {
  const Stop& s = o.stop;
  auto where = [&] {
    if (o.recent.empty() && !o.recent_follow) o.recent = runner.history();
    if (g_signal != 0) die_by_signal();
    runner.report_where(o);
  };
  if (o.cut == Cut::TimeLimit) {
    say("time limit of " + std::to_string(opts.time_limit) + " seconds passed; the program was stopped (loop?)");
    where();
    return 4;
  }
  if (o.cut == Cut::PrintLimit) {
    say("the print-line limit of " + std::to_string(opts.print_limit) +
        " lines was reached; the program was stopped (loop?); raise it with --print-limit N (0: no limit)");
    where();
    return 4;
  }
  if (o.cut == Cut::Lost || s.reason.empty()) {
    std::string console;
    read_whole(fs::path(g_cleanup.empty() ? opts.keep : g_cleanup.string()) / "console.txt", console);
    for (char& c : console)
      if (c == '\n') c = ' ';
    say("the simulator stopped without a halt; console: " + console);
    return 3;
  }
  const std::string stop = s.reason + ", IS: " + std::to_string(s.is);
  if (s.halted()) {
    say("the 1401 halted (" + stop + ")");
    if (opts.why) where();
    return 0;
  }
  if (s.breakpoint()) {
    say("the run ended at the break, as --stop-at-break asks");
    where();
    return 0;
  }
  say("the simulator stopped on an error: " + stop);
  where();
  return 3;
}

}  // namespace

int run_main(const Options& opts, const fs::path& here);

int main(int argc, char** argv) {
  install_signals();
  Options opts;
  try {
    switch (parse_options(std::vector<std::string>(argv + 1, argv + argc), opts)) {
      case Parsed::Help:
        std::cout << usage_text();
        return 0;
      case Parsed::Version:
        std::cout << kProg << " (" << velumar::kVersion << ")\n";
        return 0;
      case Parsed::Run:
        break;
    }
  } catch (const UsageError& e) {
    if (e.message.empty()) std::cerr << usage_text();
    else std::cerr << kProg << ": " << e.message << '\n';
    return e.status;
  }
  std::error_code ec;
  const fs::path self = fs::canonical("/proc/self/exe", ec);
  return run_main(opts, ec ? fs::path() : self.parent_path());
}

int run_main(const Options& opts, const fs::path& here) {
  check_readable(opts.source, "source file");
  for (const std::string& f : opts.data_files) check_readable(f, "data card file");
  const std::string velumar = find_tool("velumar", here);
  if (velumar.empty()) fail(127, "velumar not found beside " + here.string() + " or on PATH");

  const fs::path work = working_folder(opts);
  std::string name = fs::path(opts.source).stem().string();
  if (name.empty()) name = "program";
  const fs::path listing = work / (name + ".lst"), deck = work / (name + ".obj"), tapefile = work / (name + ".tape"),
                 mapfile = work / (name + ".map.json");

  // Assemble. The assembler's console lines are messages, not printer output.
  std::vector<std::string> argv = {velumar};
  argv.insert(argv.end(), opts.asm_options.begin(), opts.asm_options.end());
  for (const std::string& a : {std::string("-l"), listing.string(), std::string("-o"), deck.string(), std::string("-t"), tapefile.string()})
    argv.push_back(a);
  argv.insert(argv.end(), {"--map", mapfile.string()});
  // velumar reads an argument that begins with "-" as an option.
  argv.push_back(opts.source.starts_with("-") ? "./" + opts.source : opts.source);
  const int status = run_program(argv);
  if (status == 1)
    fail(1, "assembly of '" + opts.source + "' had errors (see the messages above" +
                (opts.keep.empty() ? "" : " and " + listing.string()) + "); not run");
  if (status != 0) fail(2, "velumar failed with status " + std::to_string(status) + "; not run");

  SymbolMap map;
  std::string error;
  if (!map.load(mapfile.string(), error)) std::cerr << kProg << ": " << error << '\n';

  const std::string simh = find_tool("i1401", "");
  if (simh.empty())
    fail(127, "i1401 (the SimH IBM 1401 simulator) is not installed; on Debian or Ubuntu: apt-get install simh. "
              "The assembled files are in " + (opts.keep.empty() ? "a folder removed at exit; use --keep DIR" : opts.keep));

  write_cards(opts, deck, work / "cards.txt");
  const Devices devices = make_devices(opts, work, tapefile);
  Runner runner(opts, devices, map, simh, std::cerr);
  if (!runner.resolve(error)) fail(2, error);
  Outcome o = runner.run();
  if (g_signal != 0) die_by_signal();
  show_printed(opts, o.printed);
  show_punched(opts, o.punched);
  error.clear();
  for (const std::string& note : devices.save_tapes(error)) std::cerr << kProg << ": " << note << '\n';
  if (!error.empty()) fail(2, error);
  finish(finish_run(opts, runner, o));
}
