// libFuzzer target over the language server's message handling. The first
// byte of an input chooses how the rest reaches the server, after an
// initialize and the opening of a small deck:
//   0: the raw byte stream of the client, framing included;
//   1: message bodies separated by NUL bytes;
//   other: the text of a document, opened and then asked every request at
//          positions over its cards.
// The server must never throw, must answer every request exactly once, and
// everything it writes must be JSON.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "tools/lsp/server.h"
#include "tools/lsp/transport.h"

namespace {

using nlohmann::json;

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "velumar_lsp_fuzz: %s\n", what.c_str());
  std::abort();
}

constexpr std::string_view kDeck =
    "     START     CS   332\\n               CS\\n     LOOP      A    @1@,N\\n"
    "               BU   LOOP\\n     N         DCW  0\\n               END  START\\n";

// The server, with a count of the replies to each id it was asked.
class Harness {
 public:
  Harness()
      : server_([this](const std::string& body) { sent(body); }, std::chrono::milliseconds(0)) {
    send(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{}}})");
    send(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
    send(std::string(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)") +
         R"({"uri":"file:///seed.s","version":1,"text":")" + std::string(kDeck) + R"("}}})");
  }

  void send(const std::string& body) { server_.handle(body); }
  void raw(std::string_view bytes) {
    velumar::lsp::FrameReader reader;
    reader.feed(bytes);
    while (auto f = reader.next()) {
      if (f->ok) server_.handle(f->body);
      else server_.framing_error(f->error);
    }
  }
  /// Sends a request with a fresh id; checks that it gets one reply.
  void ask(const std::string& method, const json& params) {
    const long long id = ++last_id_;
    replies_ = 0;
    asked_ = id;
    send(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump());
    if (replies_ != 1) finding("request " + method + " got " + std::to_string(replies_) + " replies");
  }
  void tick() { server_.tick(velumar::lsp::Server::Clock::now() + std::chrono::hours(1)); }

 private:
  void sent(const std::string& body) {
    const json msg = json::parse(body, nullptr, false);
    if (msg.is_discarded()) finding("the server wrote something that is not JSON: " + body.substr(0, 200));
    if (msg.contains("id") && msg["id"] == asked_) ++replies_;
  }

  velumar::lsp::Server server_;
  long long last_id_ = 1000;
  long long asked_ = -1;
  int replies_ = 0;
};

// Every request at positions over the cards of `text`.
void exercise(Harness& h, const std::string& text) {
  const json doc = {{"uri", "file:///f.s"}};
  h.send(json{{"jsonrpc", "2.0"},
              {"method", "textDocument/didOpen"},
              {"params", {{"textDocument", {{"uri", "file:///f.s"}, {"version", 1}, {"text", text}}}}}}
             .dump(-1, ' ', false, json::error_handler_t::replace));
  int lines = 1;
  for (char c : text) lines += c == '\n';
  // The label, the operation and a column of the operand field of the first
  // cards (the replies are parsed again to check them: few enough to fuzz fast).
  for (int line = 0; line < std::min(lines, 12); ++line) {
    for (int ch : {5, 16, 20 + line % 5}) {
      const json at = {{"textDocument", doc}, {"position", {{"line", line}, {"character", ch}}}};
      for (const char* m : {"textDocument/hover", "textDocument/definition", "textDocument/prepareRename"})
        h.ask(m, at);
      if (line % 4 == 0) h.ask("textDocument/completion", at);
      json refs = at;
      refs["context"] = {{"includeDeclaration", true}};
      h.ask("textDocument/references", refs);
      json ren = at;
      ren["newName"] = line % 2 ? "NEWNM" : "X";
      h.ask("textDocument/rename", ren);
    }
  }
  h.ask("textDocument/documentSymbol", {{"textDocument", doc}});
  h.ask("textDocument/semanticTokens/full", {{"textDocument", doc}});
  h.ask("textDocument/formatting", {{"textDocument", doc}, {"options", {{"tabSize", 8}, {"insertSpaces", true}}}});
  h.ask("textDocument/codeAction", {{"textDocument", doc},
                                    {"range", {{"start", {{"line", 0}, {"character", 0}}},
                                               {"end", {{"line", lines}, {"character", 0}}}}},
                                    {"context", {{"diagnostics", json::array()}}}});
  // An incremental change that cuts the text in the middle, then a request.
  h.send(json{{"jsonrpc", "2.0"},
              {"method", "textDocument/didChange"},
              {"params", {{"textDocument", {{"uri", "file:///f.s"}, {"version", 2}}},
                          {"contentChanges", json::array({{{"range", {{"start", {{"line", lines / 2}, {"character", 3}}},
                                                                      {"end", {{"line", lines}, {"character", 1}}}}},
                                                           {"text", "\tB\tX\n"}}})}}}}
             .dump());
  h.tick();
  h.ask("textDocument/hover", {{"textDocument", doc}, {"position", {{"line", lines / 2}, {"character", 17}}}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  Harness h;
  switch (data[0]) {
    case 0: h.raw(rest); break;
    case 1:
      for (std::size_t from = 0; from <= rest.size();) {
        const std::size_t end = std::min(rest.find('\0', from), rest.size());
        h.send(std::string(rest.substr(from, end - from)));
        from = end + 1;
      }
      break;
    default: exercise(h, std::string(rest)); break;
  }
  h.tick();
  return 0;
}
