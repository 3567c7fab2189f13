// libFuzzer target over the whole assembler. The first three bytes of an
// input choose the command-line options, the rest is the source deck read
// from standard input. The listing, deck and tape go to files in a private
// temporary directory; after every run the properties that must hold
// whatever the input are checked, and a violation aborts (a finding).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "fuzz/invariants.h"
#include "tables/layout.h"

namespace {

namespace fs = std::filesystem;

// Swallows what the assembler writes on standard error.
class NullBuf : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};
NullBuf null_buf;

// The private directory, and the caller's, which libFuzzer's own paths
// (corpus, artifacts) are relative to.
std::string work_dir;
int home_dir = -1;

std::string read_file(const char* name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "velumar_fuzz: invariant violated: %s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A directory of our own, so that --keepscratch and the outputs never
  // touch the caller's files and parallel jobs do not meet.
  // Memory-backed when the system has it: every run writes its outputs.
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  work_dir = (base / "velumar-fuzz-XXXXXX").string();
  home_dir = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (::mkdtemp(work_dir.data()) == nullptr || home_dir < 0) {
    std::perror("velumar_fuzz: temporary directory");
    std::exit(1);
  }
  std::atexit([] { fs::remove_all(work_dir); });
  std::cerr.rdbuf(&null_buf);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  std::vector<std::string> args{"velumar"};
  for (std::string& option : velumar::fuzz::options_from(data[0], data[1], data[2])) args.push_back(option);
  const std::string source(reinterpret_cast<const char*>(data) + 3, size - 3);

  if (::chdir(work_dir.c_str()) != 0) finding("cannot enter " + work_dir);
  for (const char* name : {"out.lst", "out.obj", "out.tape"}) std::remove(name);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream in(source);
  std::ostringstream out;
  velumar::layout::LocationLog locations;
  const int status =
      velumar::velumar_main(static_cast<int>(args.size()), argv.data(), in, out, std::cerr, false, &locations);

  velumar::fuzz::Outputs outputs;
  outputs.source = source;
  outputs.status = status;
  outputs.deck = read_file("out.obj");
  outputs.tape = read_file("out.tape");
  outputs.locations = locations.disagreement();
  if (::fchdir(home_dir) != 0) finding("cannot return to the working directory");
  const std::string problem = velumar::fuzz::check(outputs);
  if (!problem.empty()) finding(problem);
  return 0;
}
