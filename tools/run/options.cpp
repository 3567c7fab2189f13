#include "tools/run/options.h"

#include <cstdlib>

namespace velumar::run {

namespace {

bool whole_number(const std::string& s, std::size_t max_digits) {
  return !s.empty() && s.size() <= max_digits && s.find_first_not_of("0123456789") == std::string::npos;
}

long count_value(const std::string& option, const std::string& value) {
  if (!whole_number(value, 9))
    throw UsageError{2, "the value of " + option + " must be a whole number (0 for no limit), not '" + value + "'"};
  return std::atol(value.c_str());
}

// "N=FILE" with N a tape unit 1-6.
bool tape_unit_value(const std::string& value) {
  return value.size() > 2 && value[0] >= '1' && value[0] <= '6' && value[1] == '=';
}

void add_tape(Options& opts, const std::string& value) {
  const int unit = value[0] - '0';
  for (const TapeUnit& t : opts.tapes)
    if (t.unit == unit) throw UsageError{2, "tape unit " + std::to_string(unit) + " is attached twice"};
  opts.tapes.push_back({unit, value.substr(2)});
}

void set_trace(Options& opts, const std::string& range) {
  opts.trace = true;
  if (range.empty()) return;
  const std::size_t dots = range.find("..");
  opts.trace_from = range.substr(0, dots);
  opts.trace_to = dots == std::string::npos ? opts.trace_from : range.substr(dots + 2);
  if (opts.trace_from.empty() || opts.trace_to.empty())
    throw UsageError{2, "--trace takes a range of labels, LABEL..LABEL, not '" + range + "'"};
}

void add_show(Options& opts, const std::string& list) {
  std::size_t pos = 0;
  while (pos <= list.size()) {
    std::size_t comma = list.find(',', pos);
    if (comma == std::string::npos) comma = list.size();
    if (comma > pos) opts.show.push_back(list.substr(pos, comma - pos));
    pos = comma + 1;
  }
}

void check_time_limit(Options& opts, const std::string& value) {
  // Up to six digits, as before: a limit of more than eleven days is a mistake.
  if (!whole_number(value, 6) || std::atoi(value.c_str()) == 0)
    throw UsageError{2, "the time limit must be a whole number of seconds from 1 to 999999, not '" + value + "'"};
  opts.time_limit = std::atoi(value.c_str());
}

// A long option with a value, given as --name=VALUE or --name VALUE.
bool long_value(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value) {
  const std::string& a = args[i];
  if (a.starts_with(name + "=")) {
    value = a.substr(name.size() + 1);
    return true;
  }
  if (a != name) return false;
  if (i + 1 >= args.size()) throw UsageError{2, "option " + name + " needs a value (try --help)"};
  value = args[++i];
  return true;
}

// One option at args[i] (advancing i past its value); false when it is not one.
bool parse_long(const std::vector<std::string>& args, std::size_t& i, Options& opts) {
  const std::string& a = args[i];
  std::string v;
  if (a == "--tape") {
    if (i + 1 < args.size() && tape_unit_value(args[i + 1])) add_tape(opts, args[++i]);
    else opts.boot_tape = true;
  } else if (a.starts_with("--tape=")) {
    v = a.substr(7);
    if (!tape_unit_value(v)) throw UsageError{2, "--tape takes a unit 1-6 and a file, N=FILE, not '" + v + "'"};
    add_tape(opts, v);
  } else if (a == "--trace") {
    opts.trace = true;
  } else if (a.starts_with("--trace=")) {
    set_trace(opts, a.substr(8));
  } else if (a == "--dump") {
    opts.dump = true;
  } else if (a == "--why") {
    opts.why = true;
  } else if (a == "--stop-at-break") {
    opts.stop_at_break = true;
  } else if (long_value(args, i, "--data", v)) {
    opts.data_files.push_back(v);
  } else if (long_value(args, i, "--keep", v)) {
    opts.keep = v;
  } else if (long_value(args, i, "--time-limit", v)) {
    check_time_limit(opts, v);
  } else if (long_value(args, i, "--punch", v)) {
    opts.punch = v;
  } else if (long_value(args, i, "--print-limit", v)) {
    opts.print_limit = count_value("--print-limit", v);
  } else if (long_value(args, i, "--trace-limit", v)) {
    opts.trace_limit = count_value("--trace-limit", v);
  } else if (long_value(args, i, "--break", v)) {
    opts.breaks.push_back(v);
  } else if (long_value(args, i, "--show", v)) {
    add_show(opts, v);
  } else {
    return false;
  }
  return true;
}

}  // namespace

Parsed parse_options(const std::vector<std::string>& args, Options& opts) {
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") return Parsed::Help;
    if (a == "--version") return Parsed::Version;
    if (a == "--") {
      ++i;
      break;
    }
    if (a.size() < 2 || a[0] != '-') break;
    if (parse_long(args, i, opts)) continue;
    if (a == "-d" || a == "-k") {
      if (i + 1 >= args.size()) throw UsageError{2, "option " + a + " needs a value (try --help)"};
      (a == "-d" ? opts.data_files.push_back(args[i + 1]) : void(opts.keep = args[i + 1]));
      ++i;
    } else if (a == "-a" || a == "-L") {
      opts.asm_options.push_back(a);
    } else if (a == "-b" || a == "-X" || a == "-p" || a == "-m") {
      if (i + 1 >= args.size()) throw UsageError{2, "option " + a + " needs a value (try --help)"};
      opts.asm_options.push_back(a);
      opts.asm_options.push_back(args[++i]);
    } else if (a[0] == '-' && std::string("bXpm").find(a[1]) != std::string::npos) {
      opts.asm_options.push_back(a);
    } else {
      throw UsageError{2, "unknown option " + a + " (try --help)"};
    }
  }
  if (args.size() - i != 1) throw UsageError{2, ""};
  opts.source = args[i];
  if (opts.boot_tape)
    for (const TapeUnit& t : opts.tapes)
      if (t.unit == 1) throw UsageError{2, "tape unit 1 holds the program when booting with --tape; use units 2-6"};
  return Parsed::Run;
}

}  // namespace velumar::run

namespace velumar::run {

std::string usage_text() {
  return R"(Usage: velumar-run [options] source-file
Assembles source-file with velumar and runs it on the SimH 1401 (i1401).
The printer's lines go to standard output; messages to standard error.

Options:
  -d, --data FILE       data cards that follow the object deck in the card
                        reader (one card a line); may be given several times
  --tape                boot from tape (the tape file, through tape2simh)
                        instead of the card reader; data cards stay in the reader
  --tape N=FILE         attach tape unit N (1-6) to FILE, a tape file in text
                        form: read when it exists, and written back in text
                        form when the program writes the tape
  --punch FILE          keep the punched cards in FILE (without it: a count
                        and the first cards on standard error)
  --print-limit N       stop the program after N printed lines (default
                        10000; 0 for no limit)
  -k, --keep DIR        keep the listing, deck, tape, printer, punch, console and
                        simulator command files in DIR (created if needed)
  --time-limit SECONDS  stop the simulator after SECONDS (default 10)
  -a, -L                passed to velumar
  -b X, -X N, -p N, -m FILE
                        passed to velumar, with their value

Debugging (in the program's own labels and lines; on standard error):
  --why                 say where the program stopped also after a halt
                        (after any other stop it is always said)
  --trace[=FROM..TO]    each instruction executed (between the labels FROM
                        and TO): line, location, label, operation, operands
                        and the A and B registers after it
  --trace-limit N       at most N trace lines or breakpoint stops (default
                        10000; 0 for no limit)
  --break LABEL[+N]     report each time the program reaches LABEL (plus N);
                        may be given several times
  --show LABEL,...      the fields to print at each break (a field is read
                        from its rightmost position back to its word mark)
  --stop-at-break       end the run at the first break instead of going on
  --dump                print every labelled field's value at the end
  -h, --help            print this text and stop
  --version             print the version and stop

Exit status: 0 the program halted; 1 the assembly had errors; 2 bad usage or
a file that cannot be read; 3 the simulator stopped on an error (or without
a halt); 4 the time limit or the print-line limit passed; 127 i1401 or velumar
is not installed; 128+N when ended by signal N (130 for Ctrl-C).
)";
}

}  // namespace velumar::run
