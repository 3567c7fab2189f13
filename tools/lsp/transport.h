// The JSON-RPC transport of the language server: messages framed by a
// Content-Length header, as LSP clients send them over standard input.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velumar::lsp {

/// Splits a byte stream into message bodies. Bytes are fed as they arrive;
/// a header block that cannot be read is skipped and reported, so that the
/// stream recovers at the next header instead of stopping.
class FrameReader {
 public:
  /// A body larger than this is refused (its bytes are skipped).
  static constexpr std::size_t kMaxBody = 64u << 20;

  /// What next() found.
  struct Frame {
    bool ok = true;      ///< false: a header block was malformed (error says why)
    std::string body;    ///< the message body when ok
    std::string error;   ///< why the header block was refused
  };

  /// Appends bytes read from the client.
  void feed(std::string_view bytes) { buffer_.append(bytes); }
  /// The next complete frame, or nothing until more bytes arrive.
  std::optional<Frame> next();
  /// Bytes held that do not yet make a frame.
  std::size_t pending() const { return buffer_.size() - start_; }

 private:
  /// Drops the consumed prefix of the buffer once it is large.
  void compact();

  std::string buffer_;
  std::size_t start_ = 0;     ///< first byte not consumed
  std::size_t skipping_ = 0;  ///< body bytes of a refused frame still to drop
};

/// `body` framed with its Content-Length header, ready to write.
std::string frame(std::string_view body);

}  // namespace velumar::lsp
