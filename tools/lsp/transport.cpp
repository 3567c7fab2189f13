#include "tools/lsp/transport.h"

#include <algorithm>
#include <cctype>

namespace velumar::lsp {

namespace {

// Header names compare without regard to case, as in HTTP.
bool header_is(std::string_view line, std::string_view name) {
  if (line.size() < name.size() + 1 || line[name.size()] != ':') return false;
  return std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

// The decimal value of a Content-Length header; nothing when it is not a
// plain number.
std::optional<std::size_t> parse_length(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::size_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::size_t>(c - '0');
  }
  return value;
}

}  // namespace

std::optional<FrameReader::Frame> FrameReader::next() {
  if (skipping_ > 0) {
    const std::size_t n = std::min(skipping_, pending());
    start_ += n;
    skipping_ -= n;
    compact();
    if (skipping_ > 0) return std::nullopt;
  }
  const std::string_view data = std::string_view(buffer_).substr(start_);
  const std::size_t header_end = data.find("\r\n\r\n");
  if (header_end == std::string_view::npos) {
    // A header block never grows this large: drop it rather than hold the
    // bytes of a stream that is not framed at all.
    if (data.size() > 8192) {
      start_ = buffer_.size();
      compact();
      return Frame{false, {}, "header block too long"};
    }
    return std::nullopt;
  }
  std::optional<std::size_t> length;
  bool bad_length = false;
  for (std::string_view headers = data.substr(0, header_end); !headers.empty();) {
    const std::size_t eol = headers.find("\r\n");
    const std::string_view line = headers.substr(0, eol);
    headers = eol == std::string_view::npos ? std::string_view() : headers.substr(eol + 2);
    if (header_is(line, "Content-Length")) {
      length = parse_length(line.substr(15));
      bad_length = !length;
    }
  }
  start_ += header_end + 4;
  if (bad_length || !length) {
    compact();
    return Frame{false, {}, bad_length ? "bad Content-Length header" : "missing Content-Length header"};
  }
  if (*length > kMaxBody) {
    // Too large to hold: its bytes are dropped as they come.
    skipping_ = *length;
    compact();
    return Frame{false, {}, "message body too large"};
  }
  if (pending() < *length) {
    start_ -= header_end + 4;  // wait for the whole body
    return std::nullopt;
  }
  Frame frame{true, buffer_.substr(start_, *length), {}};
  start_ += *length;
  compact();
  return frame;
}

void FrameReader::compact() {
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > 65536 && start_ > buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
}

std::string frame(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out.append(body);
  return out;
}

}  // namespace velumar::lsp
