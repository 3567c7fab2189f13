#include "tests/support/harness.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "driver/run.h"
#include "tables/layout.h"

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

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

std::vector<std::string> report_headlines(const std::string& err) {
  std::vector<std::string> lines;
  for (std::string& l : lines_of(err))
    if (l.starts_with("<stdin>")) lines.push_back(std::move(l));
  return lines;
}

std::vector<std::string> words_in(const fs::path& file) {
  std::vector<std::string> words;
  std::istringstream in(read_file(file));
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::vector<std::string> stems(const fs::path& dir, const std::string& extension) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (entry.path().extension() == extension) names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string id = info.param;
  for (char& c : id)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return id;
}

bool updating_golden() {
  const char* v = std::getenv("VELUMAR_UPDATE_GOLDEN");
  return v != nullptr && std::string(v) == "1";
}

std::string card(std::string_view label, std::string_view op, std::string_view operands) {
  // A longer label (the text of a comment card) is kept whole, not cut.
  std::string c = "     " + std::string(label);
  if (c.size() < 15) c.resize(15, ' ');
  c += op;
  if (c.size() < 20) c.resize(20, ' ');
  return c + std::string(operands) + "\n";
}

Outcome assemble(std::vector<std::string> args, const std::string& source) {
  args.insert(args.begin(), "velumar");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream in(source);
  std::ostringstream out, err;
  layout::LocationLog log;
  Outcome r;
  r.status = velumar_main(static_cast<int>(args.size()), argv.data(), in, out, err, false, &log);
  r.out = out.str();
  r.err = err.str();
  r.disagreement = log.disagreement();
  r.compared = log.compared();
  return r;
}

Outcome run_in(const fs::path& dir, const std::string& command) {
  Outcome r;
  r.status = run_command("cd " + shell_quote(dir.string()) + " && " + command + " >out.txt 2>err.txt");
  r.out = read_file(dir / "out.txt");
  r.err = read_file(dir / "err.txt");
  return r;
}

void expect_in_order(const std::string& text, const std::vector<std::string>& parts) {
  std::size_t at = 0;
  for (const std::string& part : parts) {
    const std::size_t found = text.find(part, at);
    EXPECT_NE(found, std::string::npos) << "missing or out of order: \"" << part << "\" in:\n" << text;
    if (found != std::string::npos) at = found + part.size();
  }
}

}  // namespace velumar::e2e
