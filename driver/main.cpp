// velumar: a cross-assembler for the IBM 1401.
#include <iostream>

#include "driver/run.h"

int main(int argc, char** argv) { return velumar::velumar_main(argc, argv, std::cin, std::cout); }
