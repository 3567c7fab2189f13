#include "tests/simh_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/charset.h"

namespace velumar::e2e {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string templ = (fs::temp_directory_path() / "velumar_e2e_XXXXXX").string();
  if (::mkdtemp(templ.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string shell_quote(std::string_view text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

int run_command(const std::string& command) {
  int st = std::system(command.c_str());
  if (st == -1 || !WIFEXITED(st)) return -1;
  return WEXITSTATUS(st);
}

bool simh_available() { return run_command("command -v i1401 >/dev/null 2>&1") == 0; }

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

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
