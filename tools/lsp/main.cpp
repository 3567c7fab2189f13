// velumar-lsp: the language server over standard input and output.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "tools/lsp/server.h"
#include "tools/lsp/transport.h"

namespace {

// Writes all of `data` to standard output; false when it cannot (the
// client has gone).
bool write_all(const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Milliseconds from now until `deadline` for poll(): -1 for none.
int wait_ms(const std::optional<velumar::lsp::Server::Clock::time_point>& deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - velumar::lsp::Server::Clock::now());
  return static_cast<int>(std::max<long long>(0, left.count()));
}

}  // namespace

int main(int argc, char** argv) {
  // "--stdio" is what some clients add to ask for this transport, the only one.
  if (argc > 1 && std::string(argv[1]) != "--stdio") {
    const std::string arg = argv[1];
    if (arg == "--version") return std::puts("velumar-lsp 1.0") < 0;
    std::fputs("usage: velumar-lsp (an LSP client starts it and speaks to it on standard input and output)\n",
               stderr);
    return arg == "--help" ? 0 : 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  bool out_ok = true;
  velumar::lsp::Server server([&](const std::string& body) {
    if (out_ok) out_ok = write_all(velumar::lsp::frame(body));
  });
  velumar::lsp::FrameReader reader;
  std::string chunk(65536, '\0');
  while (!server.exited() && out_ok) {
    pollfd in{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&in, 1, wait_ms(server.next_deadline()));
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0) {
      const ssize_t n = ::read(STDIN_FILENO, chunk.data(), chunk.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the client closed its end
      reader.feed(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
      while (auto frame = reader.next()) {
        if (frame->ok) server.handle(frame->body);
        else server.framing_error(frame->error);
        if (server.exited()) break;
      }
    }
    server.tick();
  }
  return server.exit_code();
}
