// The run driver: command line, files, and the job loop.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velumar {

namespace layout {
class LocationLog;
}
class ProgramCollector;

/// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitAssemblyErrors = 1;  ///< some job had errors, or the input ended without END
constexpr int kExitUsageOrIo = 2;      ///< bad option or value, or a file that could not be used

/// The whole program: parses argv, opens the files, assembles every job.
/// `in` is standard input, `out` standard output.
int velumar_main(int argc, char** argv, std::istream& in, std::ostream& out);
/// The same with standard error given: `err` receives the located
/// diagnostics, in colour when `err_terminal` and NO_COLOR is not set.
/// With `locations`, every pass reports there where it leaves the location
/// counter after each record (the tests and the fuzzer compare them).
int velumar_main(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err, bool err_terminal,
                 layout::LocationLog* locations = nullptr);

/// Assembles `source` as the command-line `options` ask (without the
/// invocation name; options naming files open nothing), writing no file and
/// nothing to standard output or error, and describes every job to `collector`.
void run_in_memory(const std::vector<std::string>& options, std::string_view source, ProgramCollector& collector);

}  // namespace velumar
