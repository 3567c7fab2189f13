#include "driver/options.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "core/text.h"

namespace velumar {

std::string_view open_failure_text(FileOption which) {
  switch (which) {
    case FileOption::Listing: return "While opening \"listing\" file";
    case FileOption::Macros: return "While opening \"macro library\" file";
    case FileOption::Object: return "While opening \"object deck\" file";
    case FileOption::Tape: return "While opening \"loadable tape\" file";
  }
  return "While opening file";
}

std::string_view write_failure_text(FileOption which) {
  switch (which) {
    case FileOption::Listing: return "While writing \"listing\" file";
    case FileOption::Macros: return "While reading \"macro library\" file";
    case FileOption::Object: return "While writing \"object deck\" file";
    case FileOption::Tape: return "While writing \"loadable tape\" file";
  }
  return "While writing file";
}

std::string usage_text(std::string_view invocation, int CoreSize) {
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
  t += "               x => 16000.  Default " + std::to_string(CoreSize) + "\n";
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
  t += Version;
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
    letter = 'I';
    selector = ' ';
  }
  settings.BootLoader = letter;
  if (letter != 'I') return;
  switch (selector) {
    case '1': settings.CoreSize = 1400; break;
    case '2': settings.CoreSize = 2000; break;
    case '4': settings.CoreSize = 4000; break;
    case '8': settings.CoreSize = 8000; break;
    case 'v':
    case 'V': settings.CoreSize = 12000; break;
    case 'x':
    case 'X': settings.CoreSize = 16000; break;
    case ' ': break;
    default: out << "Invalid core size flag.  " << settings.CoreSize << " used.\n";
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

std::string io_status_text(int IOSTAT) {
  if (IOSTAT < 0) return "End of file";
  if (IOSTAT == 0) return "No error";
  return std::strerror(IOSTAT);
}

void io_error(std::ostream& out, std::string_view WHAT, int IOSTAT, std::optional<std::string_view> FILE) {
  out << rtrim(WHAT) << '\n';
  if (FILE) out << rtrim(*FILE) << '\n';
  out << rtrim(io_status_text(IOSTAT)) << '\n';
  out << "Error status code = " << IOSTAT << '\n';
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

}  // namespace

OptionsResult parse_options(const std::vector<std::string>& args, Options& opts, std::ostream& out,
                            const FileOpener& open) {
  ArgCursor cur{args};
  std::string arg;
  auto file_option = [&](FileOption which, bool& flag, std::string& name) {
    flag = true;
    name = cur.value_of(arg);
    return open(which, name);
  };
  for (;;) {
    arg = cur.next();
    if (arg.empty() || arg[0] != '-') break;
    char letter = col(arg, 2);
    // Arguments compare as blank-padded text: trailing blanks never matter.
    const std::string_view word = rtrim(arg);
    if (word == "-a") {
      opts.settings.NotIn_1_80 = false;
    } else if (letter == 'b') {
      apply_boot_option(cur.value_of(arg), opts.settings, out);
    } else if (word == "-i") {
      opts.settings.Interleave = true;
    } else if (letter == 'l') {
      if (!file_option(FileOption::Listing, opts.Do_List, opts.LIST)) return {false, 2};
    } else if (word == "-L") {
      opts.LONG_LITS = true;
    } else if (letter == 'm') {
      if (!file_option(FileOption::Macros, opts.Do_Macros, opts.MACROS)) return {false, 2};
    } else if (letter == 'o') {
      if (!file_option(FileOption::Object, opts.Do_Object, opts.OBJ)) return {false, 2};
    } else if (letter == 'p') {
      int iostat = 0;
      if (!read_free_int(cur.value_of(arg), opts.settings.MaxLine, iostat)) {
        io_error(out, "While converting -p optipon", iostat);
        return {false, 2};
      }
    } else if (word == "-s") {
      opts.SYMTAB = true;
    } else if (letter == 't') {
      if (!file_option(FileOption::Tape, opts.Do_Tape, opts.TAPE)) return {false, 2};
    } else if (letter == 'T') {
      opts.traces.letters = cur.value_of(arg).substr(0, 6);
    } else if (word == "-V" || word == "--version") {
      out << Version << '\n';
      return {false, 0};
    } else if (letter == 'X') {
      int iostat = 0;
      if (!read_free_int(cur.value_of(arg), opts.settings.Extra, iostat)) {
        io_error(out, "While processing X option", iostat);
        return {false, 2};
      }
    } else if (word == "--keepscratch") {
      opts.KeepScratch = true;
    } else if (word == "--no-diagnostics") {
      opts.Report = false;
    } else if (word == "-") {
      break;
    } else {
      out << usage_text(args.empty() ? std::string_view() : std::string_view(args[0]), opts.settings.CoreSize);
      return {false, word == "-h" || word == "--help" ? 0 : 2};
    }
  }
  if (!is_blank(arg) && arg[0] != '-') opts.INPUT = arg;

  // The input file (or "-") ends the options: whatever follows it is not read.
  std::string ignored;
  for (std::size_t k = cur.i + 1; k < args.size(); ++k) ignored += " " + args[k];
  if (cur.i < args.size() && !is_blank(ignored))
    opts.warnings.push_back("arguments after the input file are ignored:" + ignored +
                            " (options go before the input file)");
  if (opts.settings.Interleave && !(opts.Do_Object && opts.Do_List))
    opts.warnings.push_back("-i needs both -o and -l; nothing is interleaved");
  if (opts.settings.MaxLine < kShortestPage)
    opts.warnings.push_back("page length " + std::to_string(opts.settings.MaxLine) +
                            " cannot hold the 3-line page heading and a statement; every statement line "
                            "starts a new page");
  return {};
}

}  // namespace velumar
