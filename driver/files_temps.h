// The temporary files of the outputs, known to a signal handler: a fixed
// table it can read without taking a lock or allocating.
#pragma once

#include <string>

namespace velumar::temps {

/// Creates a new temporary file in the directory open on `dir_fd`, writable,
/// with permissions `mode`; returns its descriptor and sets `name` (a short
/// name in that directory), or -1 with errno set. The file is removed by a
/// signal that ends the run until forget() is called for it.
int create(int dir_fd, unsigned mode, std::string& name);

/// A new name in the directory open on `dir_fd` that no file has, for a link
/// to an old file; empty when none was found.
std::string unused_name(int dir_fd);

/// The temporary file `name` in `dir_fd` is committed or removed: a signal
/// leaves it alone from now on.
void forget(int dir_fd, const std::string& name);

}  // namespace velumar::temps
