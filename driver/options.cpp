#include "driver/options.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "core/text.h"
#include "driver/command_line.h"

namespace velumar {

std::string_view open_failure_text(FileOption which) {
  switch (which) {
    case FileOption::Listing: return "While opening \"listing\" file";
    case FileOption::Macros: return "While opening \"macro library\" file";
    case FileOption::Object: return "While opening \"object deck\" file";
    case FileOption::Tape: return "While opening \"loadable tape\" file";
    case FileOption::Map: return "While opening \"symbol map\" file";
    case FileOption::Html: return "While opening \"HTML listing\" file";
    case FileOption::Diagnostics: return "While opening \"diagnostics\" file";
  }
  return "While opening file";
}

std::string_view write_failure_text(FileOption which) {
  switch (which) {
    case FileOption::Listing: return "While writing \"listing\" file";
    case FileOption::Macros: return "While reading \"macro library\" file";
    case FileOption::Object: return "While writing \"object deck\" file";
    case FileOption::Tape: return "While writing \"loadable tape\" file";
    case FileOption::Map: return "While writing \"symbol map\" file";
    case FileOption::Html: return "While writing \"HTML listing\" file";
    case FileOption::Diagnostics: return "While writing \"diagnostics\" file";
  }
  return "While writing file";
}

std::string usage_text(std::string_view invocation, int core_size) {
  std::string t;
  t += "Usage: ";
  t += rtrim(invocation);
  t += " [options] input-file\n";
  t += " Options: -h => Print this information and stop\n";
  t += "          -a => Code in 1..80 is OK\n";
  t += "          -b[ ]X[#] => Select boot loader; X = I => IBM,\n";
  t += "             X = N => None,\n";
  t += "             X = B => Zarn's favorite 1-card boot/no clear,\n";
  t += "             X = V => Zarn's favorite 2-card boot/clear,\n";
  t += "             If X = I, # is the core size selector: 1 => 1400,\n";
  t += "               2 => 2000, 4 => 4000, 8 => 8000, v => 12000,\n";
  t += "               x => 16000.  Default " + std::to_string(core_size) + "\n";
  t += "          -i => Interleave object deck into listing (needs -o and -l)\n";
  t += "          -l[ ]file => Listing file\n";
  t += "          -L => Store long literals once (unlike \"real\" Velumar)\n";
  t += "          -m[ ]file => Macro library file\n";
  t += "          -o[ ]file => Object \"deck\" file\n";
  t += "          -p[ ]# => Page length in lines\n";
  t += "          -s => Dump the symbol and literal tables (debug)\n";
  t += "          -t[ ]file => Loadable \"tape\" file\n";
  t += "          -T[ ]letters => Trace, depending on letters\n";
  t += "               l => Lexer, p => Parser, P => PROCESS_LTORG\n";
  t += "          -V => Print version info and stop\n";
  t += "          -X[ ]flags => Set \"extra\" flags:\n";
  t += "               flag 1 => Quick EX/XFR\n";
  t += "               flag 2 => Quick END\n";
  t += "               flag 4 => Queue SW instructions\n";
  t += kVersion;
  t += '\n';
  return t;
}

void apply_boot_option(std::string_view value, Settings& settings, std::ostream& out) {
  std::size_t at = value.find_first_not_of(' ');
  char letter = at == std::string_view::npos ? ' ' : value[at];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  char selector = at == std::string_view::npos ? ' ' : col(value, static_cast<int>(at) + 2);
  if (letter != 'B' && letter != 'I' && letter != 'N' && letter != 'V') {
    out << "Boot Loader (-b option) must be I or N or B or V; IX used\n";
    FailureLines::emit("velumar: warning: invalid boot loader '" + std::string(value) +
                       "' for -b (I, N, B or V); I used");
    letter = 'I';
    selector = ' ';
  }
  settings.boot_loader = letter;
  if (letter != 'I') return;
  switch (selector) {
    case '1': settings.core_size = 1400; break;
    case '2': settings.core_size = 2000; break;
    case '4': settings.core_size = 4000; break;
    case '8': settings.core_size = 8000; break;
    case 'v':
    case 'V': settings.core_size = 12000; break;
    case 'x':
    case 'X': settings.core_size = 16000; break;
    case ' ': break;
    default:
      out << "Invalid core size flag.  " << settings.core_size << " used.\n";
      FailureLines::emit("velumar: warning: invalid core size selector '" + std::string(1, selector) + "' for -bI; " +
                         std::to_string(settings.core_size) + " used");
  }
}

bool read_free_int(std::string_view text, int& value, int& iostat) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::size_t first_digit = i;
  long long v = 0;
  bool too_big = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    // Past int's range the value is useless anyway; stop growing it.
    if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1) {
      too_big = true;
      v = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    }
  }
  bool digits = i > first_digit;
  while (i < text.size() && text[i] == ' ') ++i;
  if (!digits || i != text.size()) {
    iostat = EINVAL;
    return false;
  }
  if (negative) v = -v;
  if (too_big || v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) {
    iostat = ERANGE;
    return false;
  }
  value = static_cast<int>(v);
  iostat = 0;
  return true;
}

std::string io_status_text(int status) {
  if (status < 0) return "End of file";
  if (status == 0) return "No error";
  return std::strerror(status);
}

namespace {

// The historic lines of a failure, on standard output.
void io_lines(std::ostream& out, std::string_view what, int status, std::optional<std::string_view> file) {
  out << rtrim(what) << '\n';
  if (file) out << rtrim(*file) << '\n';
  out << rtrim(io_status_text(status)) << '\n';
  out << "Error status code = " << status << '\n';
}

}  // namespace

void io_error(std::ostream& out, std::string_view what, int status, std::optional<std::string_view> file) {
  io_lines(out, what, status, file);
  FailureLines::emit(failure_line(what, status, file));
}

namespace {

// An argument that is exactly a letter option with nothing after it takes
// the next argument, whole, as its value.
struct ArgCursor {
  const std::vector<std::string>& args;
  std::size_t i = 0;

  std::string next() {
    ++i;
    return i < args.size() ? args[i] : std::string();
  }
  std::string value_of(const std::string& arg) {
    std::string_view attached = std::string_view(arg).substr(2);
    if (is_blank(attached)) return next();
    return std::string(attached);
  }
};

// Reads the command line into the options, left to right.
class OptionReader {
 public:
  OptionReader(const std::vector<std::string>& args, Options& opts, std::ostream& out, const FileOpener& open)
      : cur_{args}, opts_(opts), out_(out), open_(open) {}

  /// Reads the options up to the input file (or "-"), which ends them.
  /// Returns a result when the run stops at an option.
  std::optional<OptionsResult> read_options() {
    for (;;) {
      arg_ = cur_.next();
      // Arguments compare as blank-padded text: trailing blanks never matter.
      const std::string_view word = rtrim(arg_);
      if (arg_.empty() || arg_[0] != '-' || word == "-") break;
      if (flag(word)) continue;
      if (auto handled = long_option(word)) {
        if (!handled->run) return handled;
        continue;
      }
      if (auto stop = valued_or_final(word)) return stop;
    }
    if (!is_blank(arg_) && arg_[0] != '-') opts_.input = arg_;
    return std::nullopt;
  }

  /// Warnings about a command line that does not do what it seems to ask.
  void check_command_line() {
    const std::vector<std::string>& args = cur_.args;
    // Whatever follows the input file (or "-") is not read.
    std::string ignored;
    for (std::size_t k = cur_.i + 1; k < args.size(); ++k) ignored += " " + args[k];
    if (cur_.i < args.size() && !is_blank(ignored))
      opts_.warnings.push_back("arguments after the input file are ignored:" + ignored +
                               " (options go before the input file)");
    if (opts_.settings.interleave && !(opts_.do_object && opts_.do_list))
      opts_.warnings.push_back("-i needs both -o and -l; nothing is interleaved");
    if (opts_.settings.max_line < kShortestPage)
      opts_.warnings.push_back("page length " + std::to_string(opts_.settings.max_line) +
                               " cannot hold the 3-line page heading and a statement; every statement line "
                               "starts a new page");
  }

 private:
  // An option without a value; false when `word` is none.
  bool flag(std::string_view word) {
    if (word == "-a")
      opts_.settings.keep_out_of_1_80 = false;
    else if (word == "-i")
      opts_.settings.interleave = true;
    else if (word == "-L")
      opts_.long_literals = true;
    else if (word == "-s")
      opts_.dump_symbols = true;
    else if (word == "--keepscratch")
      opts_.keep_scratch = true;
    else if (word == "--no-diagnostics")
      opts_.report = false;
    else
      return false;
    return true;
  }

  // The long options of the program's descriptions: --xref, --map FILE,
  // --html FILE, --diagnostics-format=FORMAT, --diagnostics-file FILE (a
  // value after "=" or as the next argument). Nothing when `word` is none
  // of them; a result that does not run after a failure.
  std::optional<OptionsResult> long_option(std::string_view word) {
    if (word == "--xref") {
      opts_.xref = true;
      return OptionsResult{};
    }
    const std::size_t eq = word.find('=');
    const std::string_view name = word.substr(0, eq);
    auto value = [&] { return eq != std::string_view::npos ? std::string(word.substr(eq + 1)) : cur_.next(); };
    if (name == "--map") return named_file(FileOption::Map, opts_.map_name, value());
    if (name == "--html") return named_file(FileOption::Html, opts_.html_name, value());
    if (name == "--diagnostics-file") return named_file(FileOption::Diagnostics, opts_.diagnostics_name, value());
    if (name != "--diagnostics-format") return std::nullopt;
    const std::string format = value();
    if (format == "text") {
      opts_.diagnostics_format = DiagnosticsFormat::Text;
    } else if (format == "json") {
      opts_.diagnostics_format = DiagnosticsFormat::Json;
    } else if (format == "sarif") {
      opts_.diagnostics_format = DiagnosticsFormat::Sarif;
    } else {
      out_ << "--diagnostics-format must be text, json or sarif, not '" << format << "'\n";
      FailureLines::emit("velumar: invalid format '" + format + "' for --diagnostics-format (text, json or sarif)");
      return OptionsResult{false, 2};
    }
    return OptionsResult{};
  }

  OptionsResult named_file(FileOption which, std::optional<std::string>& name, std::string value) {
    if (is_blank(value)) {
      const std::string_view option =
          which == FileOption::Map ? "--map" : which == FileOption::Html ? "--html" : "--diagnostics-file";
      out_ << "Option " << option << " needs a file name\n";
      FailureLines::emit("velumar: option " + std::string(option) + " needs a file name");
      return OptionsResult{false, 2};
    }
    name = std::move(value);
    return open_(which, *name) ? OptionsResult{} : OptionsResult{false, 2};
  }

  // An option with a value (nothing when it is taken), or one that stops
  // the run: the version, the usage text.
  std::optional<OptionsResult> valued_or_final(std::string_view word) {
    switch (col(arg_, 2)) {
      case 'b': apply_boot_option(cur_.value_of(arg_), opts_.settings, out_); return std::nullopt;
      case 'l': return file(FileOption::Listing, opts_.do_list, opts_.listing_name);
      case 'm': return file(FileOption::Macros, opts_.do_macros, opts_.macros_name);
      case 'o': return file(FileOption::Object, opts_.do_object, opts_.object_name);
      case 't': return file(FileOption::Tape, opts_.do_tape, opts_.tape_name);
      case 'p': return number("While converting -p optipon", "page length", opts_.settings.max_line);
      case 'X': return number("While processing X option", "extra flags", opts_.settings.extras);
      case 'T': opts_.traces.letters = cur_.value_of(arg_).substr(0, 6); return std::nullopt;
      default: break;
    }
    if (word == "-V" || word == "--version") {
      out_ << kVersion << '\n';
      return OptionsResult{false, 0};
    }
    if (word.starts_with("--error-limit")) return error_limit(word);
    if (word != "-h" && word != "--help") return unknown(word);
    out_ << usage();
    if (word == "--help") out_ << long_options_help();
    return OptionsResult{false, 0};
  }

  std::string usage() const {
    const std::vector<std::string>& args = cur_.args;
    return usage_text(args.empty() ? std::string_view() : std::string_view(args[0]), opts_.settings.core_size);
  }

  // --error-limit=N or --error-limit N: a count of 0 or more.
  std::optional<OptionsResult> error_limit(std::string_view word) {
    std::string value;
    if (word == "--error-limit")
      value = cur_.next();
    else if (word.starts_with("--error-limit="))
      value = word.substr(std::string_view("--error-limit=").size());
    else
      return unknown(word);
    int limit = 0;
    int status = 0;
    if (read_free_int(value, limit, status) && limit >= 0) {
      opts_.error_limit = limit;
      return std::nullopt;
    }
    // Standard output says what it said of any option it did not know.
    FailureLines::emit("velumar: invalid error limit '" + value + "' for --error-limit: give a count, 0 for none");
    out_ << usage();
    return OptionsResult{false, 2};
  }

  std::optional<OptionsResult> unknown(std::string_view word) {
    FailureLines::emit(unknown_option_line(word));
    out_ << usage();
    return OptionsResult{false, 2};
  }

  std::optional<OptionsResult> file(FileOption which, bool& given, std::string& name) {
    given = true;
    name = cur_.value_of(arg_);
    if (open_(which, name)) return std::nullopt;
    return OptionsResult{false, 2};
  }

  std::optional<OptionsResult> number(std::string_view failure, std::string_view meaning, int& value) {
    int status = 0;
    const std::string text = cur_.value_of(arg_);
    if (read_free_int(text, value, status)) return std::nullopt;
    io_lines(out_, failure, status, std::nullopt);
    FailureLines::emit("velumar: invalid " + std::string(meaning) + " '" + text + "' for -" + std::string(1, col(arg_, 2)) +
                       ": " + io_status_text(status));
    return OptionsResult{false, 2};
  }

  ArgCursor cur_;
  std::string arg_;
  Options& opts_;
  std::ostream& out_;
  const FileOpener& open_;
};

}  // namespace

OptionsResult parse_options(const std::vector<std::string>& args, Options& opts, std::ostream& out,
                            const FileOpener& open) {
  OptionReader reader(args, opts, out, open);
  if (auto stop = reader.read_options()) return *stop;
  reader.check_command_line();
  return {};
}

}  // namespace velumar
