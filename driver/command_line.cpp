#include "driver/command_line.h"

#include <cstring>

#include "core/spelling.h"
#include "core/text.h"

namespace velumar {

namespace {

// The stream of the innermost FailureLines; one run at a time per thread.
thread_local std::ostream* failure_stream = nullptr;

// The historic lines' phrases and the GNU verbs they stand for.
struct Phrase {
  std::string_view historic;
  std::string_view gnu;
};
constexpr Phrase kPhrases[] = {
    {"While opening ", "cannot open "},   {"While writing ", "cannot write "},
    {"While reading input", "cannot read input"}, {"While reading ", "cannot read "},
};

}  // namespace

const std::vector<LongOption>& long_options() {
  static const std::vector<LongOption> options = {
      {"--help", "", "Print this information and stop"},
      {"--version", "", "Print version info and stop"},
      {"--keepscratch", "", "Keep the intermediate file of the last program as \"scratch\""},
      {"--no-diagnostics", "", "No located diagnostics on standard error"},
      {"--xref", "", "Add a cross-reference and a storage summary to the listing"},
      {"--map", "FILE", "Write the symbol map (JSON) to FILE"},
      {"--html", "FILE", "Write the listing as HTML to FILE"},
      {"--diagnostics-format", "FORMAT", "text, json or sarif: the form of the diagnostics file"},
      {"--diagnostics-file", "FILE", "Write the diagnostics to FILE"},
      {"--error-limit", "N", "Stop reporting errors on standard error after N (default 50, 0: no limit)"},
  };
  return options;
}

std::string long_options_help() {
  std::string t = " Long options:\n";
  for (const LongOption& o : long_options()) {
    std::string head = "          " + std::string(o.name);
    if (!o.value.empty()) head += "=" + std::string(o.value);
    t += head;
    t += head.size() < 32 ? std::string(32 - head.size(), ' ') : std::string("\n") + std::string(32, ' ');
    t += o.help;
    t += '\n';
  }
  return t;
}

std::string unknown_option_line(std::string_view arg) {
  std::string line = "velumar: unknown option '" + std::string(arg) + "'";
  if (arg.size() < 3) return line;
  // A long option written with one dash, or misspelt, or with a value.
  std::string word(arg.substr(0, arg.find('=')));
  if (word[1] != '-') word.insert(0, "-");
  std::vector<std::string_view> names;
  for (const LongOption& o : long_options()) names.push_back(o.name);
  std::string meant;
  for (std::string_view n : names)
    if (n == word) meant = n;
  if (meant.empty()) meant = nearest_word(word, names);
  if (!meant.empty()) line += "; did you mean '" + meant + "'?";
  return line;
}

std::string failure_line(std::string_view what, int status, std::optional<std::string_view> file) {
  std::string text(rtrim(what));
  for (const Phrase& p : kPhrases) {
    if (text.starts_with(p.historic)) {
      text = std::string(p.gnu) + text.substr(p.historic.size());
      break;
    }
  }
  std::erase(text, '"');
  std::string line = "velumar: " + text;
  if (file && !is_blank(*file)) line += " '" + std::string(*file) + "'";
  else if (file && text == "cannot read input") line += " (standard input)";
  line += ": ";
  line += status < 0 ? "End of file" : std::strerror(status);
  return line;
}

std::string refusal_line(std::string_view what, std::string_view file, std::string_view other) {
  std::string line = failure_line(what, 0, file);
  line.erase(line.rfind(": "));
  std::string why(other);
  std::erase(why, '"');
  return line + ": same file as " + why;
}

FailureLines::FailureLines(std::ostream* err) : previous_(failure_stream) { failure_stream = err; }

FailureLines::~FailureLines() { failure_stream = previous_; }

void FailureLines::emit(std::string_view line) {
  if (failure_stream != nullptr) *failure_stream << line << '\n';
}

}  // namespace velumar
