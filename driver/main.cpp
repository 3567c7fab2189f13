// velumar: a cross-assembler for the IBM 1401.
#include <unistd.h>

#include <iostream>
#include <istream>
#include <ostream>

#include "driver/files.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  // A descriptor 0, 1 or 2 the run was started without would otherwise be
  // taken by the first file opened, and messages would land in an output.
  velumar::open_standard_descriptors();
  velumar::remove_temporaries_on_signals();
  // Standard input and output through buffers that keep the system's error
  // number, so that a failed read or write is reported with its cause.
  velumar::FileBuf in_buf;
  velumar::FileBuf out_buf;
  in_buf.attach(STDIN_FILENO, false);
  out_buf.attach(STDOUT_FILENO, true);
  std::istream in(&in_buf);
  std::ostream out(&out_buf);
  return velumar::velumar_main(argc, argv, in, out, std::cerr, isatty(STDERR_FILENO) == 1);
}
