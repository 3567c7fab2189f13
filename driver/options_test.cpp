#include "driver/options.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <utility>

#include "tests/support/harness.h"

namespace velumar {
namespace {

struct Parsed {
  OptionsResult result;
  Options opts;
  std::string out;
  std::vector<std::pair<FileOption, std::string>> opened;
};

// Runs the option loop with a file opener that records what it was asked
// to open and fails for names starting with "bad".
Parsed parse(std::vector<std::string> args) {
  Parsed p;
  std::ostringstream out;
  args.insert(args.begin(), "velumar");
  p.result = parse_options(args, p.opts, out, [&](FileOption which, const std::string& name) {
    p.opened.emplace_back(which, name);
    return name.rfind("bad", 0) != 0;
  });
  p.out = out.str();
  return p;
}

using e2e::lines_of;

constexpr const char* kBadBoot = "Boot Loader (-b option) must be I or N or B or V; IX used\n";

TEST(Options, ValueOptionsTestOnlyTheirLetter) {
  Parsed p = parse({"-bogus", "-list.lst", "-oout.obj", "-t", "-x.tape", "prog.s", "-l", "ignored"});
  EXPECT_TRUE(p.result.run);
  EXPECT_EQ(p.out, kBadBoot);  // -b with the value "ogus"
  EXPECT_EQ(p.opts.settings.boot_loader, 'I');
  ASSERT_EQ(p.opened.size(), 3u);
  EXPECT_EQ(p.opened[0], std::make_pair(FileOption::Listing, std::string("ist.lst")));
  EXPECT_EQ(p.opened[1], std::make_pair(FileOption::Object, std::string("out.obj")));
  // A separate value is taken whole, even when it begins with "-".
  EXPECT_EQ(p.opened[2], std::make_pair(FileOption::Tape, std::string("-x.tape")));
  EXPECT_TRUE(p.opts.do_list && p.opts.do_object && p.opts.do_tape);
  EXPECT_EQ(p.opts.input, "prog.s");
}

TEST(Options, FlagsMustBeExact) {
  Parsed p = parse({"-a", "-i", "-L", "-s", "--keepscratch"});
  EXPECT_TRUE(p.result.run);
  EXPECT_FALSE(p.opts.settings.keep_out_of_1_80);
  EXPECT_TRUE(p.opts.settings.interleave);
  EXPECT_TRUE(p.opts.long_literals);
  EXPECT_TRUE(p.opts.dump_symbols);
  EXPECT_TRUE(p.opts.keep_scratch);
  EXPECT_FALSE(p.opts.input.has_value());

  // Trailing blanks do not make an argument a different one.
  p = parse({"-a ", "-s  ", "--keepscratch ", "- ", "prog.s"});
  EXPECT_TRUE(p.result.run);
  EXPECT_FALSE(p.opts.settings.keep_out_of_1_80);
  EXPECT_TRUE(p.opts.dump_symbols && p.opts.keep_scratch);
  EXPECT_FALSE(p.opts.input.has_value());
  p = parse({"-h "});
  EXPECT_EQ(p.result.status, 0);
  EXPECT_EQ(lines_of(p.out).size(), 26u);

  for (const char* arg : {"-ax", "-ss", "-Lx", "-ix", "--keep", "-q", "-Vx", "- a"}) {
    Parsed bad = parse({arg, "prog.s"});
    EXPECT_FALSE(bad.result.run) << arg;
    EXPECT_EQ(bad.result.status, 2) << arg;
    EXPECT_EQ(lines_of(bad.out).size(), 26u) << arg;
    EXPECT_FALSE(bad.opts.input.has_value()) << arg;
  }
}

TEST(Options, HelpIsTheUsageTextAndSucceeds) {
  Parsed p = parse({"-bI4", "-h", "-l", "never"});
  EXPECT_FALSE(p.result.run);
  EXPECT_EQ(p.result.status, 0);
  EXPECT_TRUE(p.opened.empty());
  std::vector<std::string> lines = lines_of(p.out);
  ASSERT_EQ(lines.size(), 26u);
  EXPECT_EQ(lines[0], "Usage: velumar [options] input-file");
  EXPECT_EQ(lines[1], " Options: -h => Print this information and stop");
  // The default shown is the core size as set so far.
  EXPECT_EQ(lines[9], "               x => 16000.  Default 4000");
  EXPECT_EQ(lines[10], "          -i => Interleave object deck into listing (needs -o and -l)");
  EXPECT_EQ(lines[12], "          -L => Store long literals once (unlike \"real\" Velumar)");
  EXPECT_EQ(lines[24], "               flag 4 => Queue SW instructions");
  EXPECT_EQ(lines[25], kVersion);
}

TEST(Options, VersionPrintsTheBannerAndStops) {
  Parsed p = parse({"-V", "-lnever"});
  EXPECT_FALSE(p.result.run);
  EXPECT_EQ(p.result.status, 0);
  EXPECT_EQ(p.out, std::string(kVersion) + "\n");
  EXPECT_TRUE(p.opened.empty());
  EXPECT_LE(kVersion.size(), 72u);
  EXPECT_TRUE(kVersion.starts_with("1401 Velumar"));
  EXPECT_TRUE(kVersion.ends_with("version 1.3"));
}

TEST(Options, BootLoaderAndCoreSize) {
  struct Case {
    std::vector<std::string> args;
    char loader;
    int core;
    std::string out;
  };
  const Case cases[] = {
      {{"-bn"}, 'N', 16000, ""},
      {{"-bI"}, 'I', 16000, ""},
      {{"-bI4", "-bI"}, 'I', 4000, ""},  // a blank selector keeps the current size
      {{"-bI1"}, 'I', 1400, ""},
      {{"-b", "i2"}, 'I', 2000, ""},
      {{"-b", "  I8"}, 'I', 8000, ""},
      {{"-bIv"}, 'I', 12000, ""},
      {{"-bI2", "-bIX"}, 'I', 16000, ""},
      {{"-bIz"}, 'I', 16000, "Invalid core size flag.  16000 used.\n"},
      {{"-bI8", "-bI9"}, 'I', 8000, "Invalid core size flag.  8000 used.\n"},
      {{"-bI4", "-bQ3"}, 'I', 4000, kBadBoot},  // the selector is ignored after a bad letter
      {{"-bB4"}, 'B', 16000, ""},               // only I has a selector
      {{"-bv"}, 'V', 16000, ""},
      {{"-b"}, 'I', 16000, kBadBoot},           // no value at all
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.args);
    std::string label = c.args.back();
    EXPECT_TRUE(p.result.run) << label;
    EXPECT_EQ(p.opts.settings.boot_loader, c.loader) << label;
    EXPECT_EQ(p.opts.settings.core_size, c.core) << label;
    EXPECT_EQ(p.out, c.out) << label;
  }
}

TEST(Options, IntegerValues) {
  Parsed p = parse({"-p", " 60 ", "-X5", "-T", "lpPCxyz"});
  EXPECT_TRUE(p.result.run);
  EXPECT_EQ(p.opts.settings.max_line, 60);
  EXPECT_EQ(p.opts.settings.extras, 5);
  EXPECT_EQ(p.opts.traces.letters, "lpPCxy");
}

TEST(Options, BadIntegerValuesStopTheRun) {
  Parsed p = parse({"-pabc", "-lnever"});
  EXPECT_FALSE(p.result.run);
  EXPECT_EQ(p.result.status, 2);
  EXPECT_TRUE(p.opened.empty());
  EXPECT_EQ(p.out, "While converting -p optipon\nInvalid argument\nError status code = " + std::to_string(EINVAL) + "\n");

  p = parse({"-X", "99999999999"});
  EXPECT_EQ(p.result.status, 2);
  EXPECT_EQ(lines_of(p.out)[0], "While processing X option");
  EXPECT_EQ(lines_of(p.out)[2], "Error status code = " + std::to_string(ERANGE));

  EXPECT_EQ(parse({"-p"}).result.status, 2);  // no value
  EXPECT_EQ(parse({"-X", "1.5"}).result.status, 2);
}

TEST(Options, FreeFormIntegers) {
  int v = 0, st = 0;
  EXPECT_TRUE(read_free_int("  -42  ", v, st));
  EXPECT_EQ(v, -42);
  EXPECT_TRUE(read_free_int("2147483647", v, st));
  EXPECT_EQ(v, 2147483647);
  EXPECT_TRUE(read_free_int("-2147483648", v, st));
  EXPECT_EQ(v, -2147483647 - 1);
  for (const char* bad : {"", "   ", "-", "4 2", "12x", "0x10"}) {
    EXPECT_FALSE(read_free_int(bad, v, st)) << bad;
    EXPECT_EQ(st, EINVAL) << bad;
  }
  EXPECT_FALSE(read_free_int("2147483648", v, st));
  EXPECT_EQ(st, ERANGE);
  EXPECT_FALSE(read_free_int(std::string(400, '9'), v, st));
  EXPECT_EQ(st, ERANGE);
}

TEST(Options, EndOfOptionsAndInput) {
  Parsed p = parse({"-", "prog.s"});
  EXPECT_TRUE(p.result.run);
  EXPECT_FALSE(p.opts.input.has_value());

  p = parse({"-s", "", "prog.s"});  // an empty argument also means standard input
  EXPECT_TRUE(p.result.run);
  EXPECT_FALSE(p.opts.input.has_value());

  // File names are kept whole, however long.
  std::string long_name(300, 'n');
  p = parse({"-l" + long_name, long_name + ".s"});
  ASSERT_EQ(p.opened.size(), 1u);
  EXPECT_EQ(p.opened[0].second, long_name);
  EXPECT_EQ(p.opts.input, long_name + ".s");
}

TEST(Options, OpenFailureStopsAtOnce) {
  Parsed p = parse({"-mbad.mac", "-o", "x.obj", "-V"});
  EXPECT_FALSE(p.result.run);
  EXPECT_EQ(p.result.status, 2);
  ASSERT_EQ(p.opened.size(), 1u);
  EXPECT_EQ(p.opened[0].first, FileOption::Macros);
  EXPECT_TRUE(p.out.empty());  // the opener reports, not the loop
}

}  // namespace
}  // namespace velumar
