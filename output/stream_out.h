// Hands finished lines to an output stream.
#pragma once

#include <ostream>
#include <string_view>

namespace velumar {

/// Writes `text` to `out` as ostream::write does, but straight into the
/// stream's buffer, without the per-call guard object: the writers call it
/// for every line. A stream that has failed takes nothing more, and a short
/// write marks the stream bad.
inline void write_out(std::ostream& out, std::string_view text) {
  if (!out.good()) return;
  const auto n = static_cast<std::streamsize>(text.size());
  if (out.rdbuf()->sputn(text.data(), n) != n) out.setstate(std::ios::badbit);
}

}  // namespace velumar
