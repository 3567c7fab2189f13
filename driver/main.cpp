// velumar: a cross-assembler for the IBM 1401.
#include <iostream>

#include "driver/run.h"

int main(int argc, char** argv) {
  // Nothing here uses C stdio; unsynchronised streams read and write in blocks.
  std::ios::sync_with_stdio(false);
  return velumar::velumar_main(argc, argv, std::cin, std::cout);
}
