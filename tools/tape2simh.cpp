// tape2simh: turns a velumar tape file into a SimH tape image, so that the
// program can be booted from a simulated tape drive:
//   tape2simh prog.tape prog.tap
//   i1401:  set cpu oldconversions / attach mt1 prog.tap / boot mt1
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/tape_image.h"

int main(int argc, char** argv) {
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
