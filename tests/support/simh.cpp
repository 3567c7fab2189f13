#include "tests/support/simh.h"

#include <fstream>
#include <sstream>

namespace velumar::e2e {

namespace fs = std::filesystem;

bool simh_available() { return run_command("command -v i1401 >/dev/null 2>&1") == 0; }

namespace {

// Runs the command file `ini` in `dir` and collects console and printer.
SimhRun run_simh(const fs::path& dir, const std::string& ini) {
  std::ofstream(dir / "run.ini") << ini;
  SimhRun r;
  r.exit_status = run_command("cd " + shell_quote(dir.string()) +
                              " && timeout 20 i1401 run.ini < /dev/null > console.txt 2>&1");
  r.console = read_file(dir / "console.txt");
  std::istringstream printed(read_file(dir / "print.txt"));
  for (std::string line; std::getline(printed, line);) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    r.printed.push_back(line);
  }
  return r;
}

}  // namespace

SimhRun boot_deck(const fs::path& deck, const fs::path& dir) {
  fs::copy_file(deck, dir / "deck.obj", fs::copy_options::overwrite_existing);
  fs::remove(dir / "print.txt");
  return run_simh(dir,
                  "set cpu oldconversions\n"
                  "attach cdr deck.obj\n"
                  "attach lpt print.txt\n"
                  "boot cdr\n"
                  "quit\n");
}

SimhRun boot_tape(const fs::path& tape_file, const fs::path& dir) {
  std::ofstream(dir / "prog.tap", std::ios::binary) << velumar::tape_image(read_file(tape_file));
  fs::remove(dir / "print.txt");
  return run_simh(dir,
                  "set cpu oldconversions\n"
                  "attach mt1 prog.tap\n"
                  "attach lpt print.txt\n"
                  "boot mt1\n"
                  "quit\n");
}

}  // namespace velumar::e2e
