// tape2simh: turns a velumar tape file into a SimH tape image, so that the
// program can be booted from a simulated tape drive:
//   tape2simh prog.tape prog.tap
//   i1401:  set cpu oldconversions / attach mt1 prog.tap / boot mt1
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "driver/options.h"
#include "tools/tape_image.h"

namespace {

void usage(std::ostream& os) {
  os << "Usage: tape2simh tape-file simh-tape-image\n"
        "Converts a velumar tape file (one record a line) into a SimH tape image\n"
        "for the i1401 tape drives (attach mt1 IMAGE, boot mt1).\n\n"
        "  -h, --help     print this text and stop\n"
        "  --version      print the version and stop\n\n"
        "Exit status: 0 converted; 2 bad usage, or a file that cannot be read or written.\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    usage(std::cout);
    return 0;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::cout << "tape2simh (" << velumar::kVersion << ")\n";
    return 0;
  }
  if (argc != 3) {
    std::cerr << "Usage: " << (argc > 0 ? argv[0] : "tape2simh") << " tape-file simh-tape-image\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "Cannot open " << argv[1] << '\n';
    return 2;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream out(argv[2], std::ios::binary);
  out << velumar::tape_image(text);
  out.close();
  if (!out) {
    std::cerr << "Cannot write " << argv[2] << '\n';
    return 2;
  }
  return 0;
}
