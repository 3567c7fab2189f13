// A whole exchange with the server, message by message, as a client
// drives it; and the answers to malformed messages.
#include "tools/lsp/server.h"

#include <gtest/gtest.h>

namespace velumar::lsp {
namespace {

using namespace std::chrono_literals;

const std::string kDeck =
    "     * COUNT TO THREE\n"
    "     START     CS   332               CLEAR THE PRINT AREA\n"
    "               CS\n"
    "     LOOP      A    @1@,N             N = N + 1\n"
    "               MCW  N,201\n"
    "               W\n"
    "               C    N,@3@\n"
    "               BU   LOPP\n"
    "               H\n"
    "     N         DCW  0\n"
    "               END  START\n";

class Exchange : public ::testing::Test {
 protected:
  Exchange() : server_([this](const std::string& body) { out_.push_back(json::parse(body)); }) {}

  /// Sends a request and returns its reply; every other message sent meanwhile is kept.
  json ask(const std::string& method, json params) {
    const int id = ++id_;
    server_.handle(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump(), now_);
    for (auto it = out_.begin(); it != out_.end(); ++it) {
      if (it->contains("id") && (*it)["id"] == id) {
        json reply = *it;
        out_.erase(it);
        return reply;
      }
    }
    ADD_FAILURE() << "no reply to " << method;
    return nullptr;
  }
  void tell(const std::string& method, json params) {
    server_.handle(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump(), now_);
  }
  /// The diagnostics published since the last call, the last per document.
  std::vector<json> published() {
    std::vector<json> seen;
    std::erase_if(out_, [&](const json& m) {
      if (m.value("method", "") != "textDocument/publishDiagnostics") return false;
      seen.push_back(m["params"]);
      return true;
    });
    return seen;
  }
  json at(int line, int ch) {
    return {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", line}, {"character", ch}}}};
  }
  void open(const std::string& text) {
    tell("textDocument/didOpen", {{"textDocument", {{"uri", kUri}, {"languageId", "velumar"}, {"version", 1}, {"text", text}}}});
  }
  void initialize() {
    const json r = ask("initialize", {{"processId", nullptr}, {"capabilities", json::object()}});
    ASSERT_TRUE(r.contains("result"));
    tell("initialized", json::object());
  }

  static constexpr const char* kUri = "file:///count.s";
  Server::Clock::time_point now_ = Server::Clock::now();
  std::vector<json> out_;
  Server server_;
  int id_ = 0;
};

json range(int l1, int c1, int l2, int c2) {
  return {{"start", {{"line", l1}, {"character", c1}}}, {"end", {{"line", l2}, {"character", c2}}}};
}

TEST_F(Exchange, WholeSession) {
  const json init = ask("initialize", {{"capabilities", json::object()}});
  const json& caps = init["result"]["capabilities"];
  EXPECT_EQ(caps["positionEncoding"], "utf-16");
  EXPECT_EQ(caps["textDocumentSync"]["change"], 2);
  EXPECT_EQ(init["result"]["serverInfo"]["name"], "velumar-lsp");
  tell("initialized", json::object());

  // Open: assembled at once; the undefined symbol is reported where it is written.
  open(kDeck);
  std::vector<json> pub = published();
  ASSERT_EQ(pub.size(), 1u);
  EXPECT_EQ(pub[0]["version"], 1);
  ASSERT_EQ(pub[0]["diagnostics"].size(), 1u);
  const json& d = pub[0]["diagnostics"][0];
  EXPECT_EQ(d["range"], range(7, 20, 7, 24));
  EXPECT_EQ(d["severity"], 1);
  EXPECT_EQ(d["source"], "velumar");
  EXPECT_EQ(d["code"], "undefined-symbol");
  EXPECT_NE(d["message"].get<std::string>().find("LOPP"), std::string::npos);

  // Hover: a label's value and definition, an operation's purpose.
  json h = ask("textDocument/hover", at(7, 22))["result"];
  EXPECT_NE(h["contents"]["value"].get<std::string>().find("undefined"), std::string::npos);
  h = ask("textDocument/hover", at(4, 20))["result"];  // N in MCW N,201
  EXPECT_EQ(h["contents"]["value"], "**N** (constant)\n\nvalue 366, width 1\n\ndefined on line 10");
  EXPECT_EQ(h["range"], range(4, 20, 4, 21));
  h = ask("textDocument/hover", at(4, 16))["result"];
  EXPECT_NE(h["contents"]["value"].get<std::string>().find("**MCW**: Move characters"), std::string::npos);
  EXPECT_NE(h["contents"]["value"].get<std::string>().find("machine code `M`"), std::string::npos);
  h = ask("textDocument/hover", at(3, 22))["result"];  // the literal @1@
  EXPECT_NE(h["contents"]["value"].get<std::string>().find("literal pool on line 11"), std::string::npos);
  EXPECT_TRUE(ask("textDocument/hover", at(0, 8))["result"].is_null());

  // Change: an incremental edit mends the name; published after the delay only.
  tell("textDocument/didChange", {{"textDocument", {{"uri", kUri}, {"version", 2}}},
                                  {"contentChanges", json::array({{{"range", range(7, 22, 7, 24)}, {"text", "OP"}}})}});
  EXPECT_TRUE(published().empty());
  server_.tick(now_ + 10ms);
  EXPECT_TRUE(published().empty());
  server_.tick(now_ + 1s);
  pub = published();
  ASSERT_EQ(pub.size(), 1u);
  EXPECT_EQ(pub[0]["version"], 2);
  EXPECT_TRUE(pub[0]["diagnostics"].empty());

  // Definition and references of LOOP, from its use.
  json def = ask("textDocument/definition", at(7, 22))["result"];
  EXPECT_EQ(def, (json{{"uri", kUri}, {"range", range(3, 5, 3, 9)}}));
  json refs = ask("textDocument/references", at(3, 6))["result"];
  ASSERT_EQ(refs.size(), 2u);
  EXPECT_EQ(refs[0]["range"], range(3, 5, 3, 9));
  EXPECT_EQ(refs[1]["range"], range(7, 20, 7, 24));

  // Completion: operation codes in 16-20, labels in the operand field.
  json items = ask("textDocument/completion", at(4, 16))["result"]["items"];
  EXPECT_GT(items.size(), 80u);
  EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const json& i) { return i["label"] == "MCW"; }));
  items = ask("textDocument/completion", at(4, 23))["result"]["items"];
  std::vector<std::string> labels;
  for (const json& i : items) labels.push_back(i["label"]);
  EXPECT_EQ(labels, (std::vector<std::string>{"LOOP", "N", "START"}));

  // Document symbols.
  json syms = ask("textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}})["result"];
  ASSERT_EQ(syms.size(), 3u);
  EXPECT_EQ(syms[0]["name"], "LOOP");
  EXPECT_EQ(syms[0]["selectionRange"], range(3, 5, 3, 9));

  // Formatting: the deck is in its columns; a TAB card is laid out.
  EXPECT_TRUE(ask("textDocument/formatting", {{"textDocument", {{"uri", kUri}}}, {"options", json::object()}})["result"].empty());
  tell("textDocument/didChange", {{"textDocument", {{"uri", kUri}, {"version", 3}}},
                                  {"contentChanges", json::array({{{"range", range(8, 0, 8, 16)}, {"text", "\tH"}}})}});
  json edits = ask("textDocument/formatting", {{"textDocument", {{"uri", kUri}}}, {"options", json::object()}})["result"];
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_EQ(edits[0], (json{{"range", range(8, 0, 8, 2)}, {"newText", "               H"}}));

  // Rename: refused over six characters or taken; otherwise every card changes.
  json r = ask("textDocument/rename", {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", 3}, {"character", 6}}}, {"newName", "LOOPING"}});
  EXPECT_EQ(r["error"]["code"], -32803);
  r = ask("textDocument/rename", {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", 3}, {"character", 6}}}, {"newName", "start"}});
  EXPECT_EQ(r["error"]["message"], "'START' is already a label of this job");
  r = ask("textDocument/rename", {{"textDocument", {{"uri", kUri}}}, {"position", {{"line", 3}, {"character", 6}}}, {"newName", "AGAIN"}});
  const json& changes = r["result"]["changes"][kUri];
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0]["newText"], "     AGAIN     A    @1@,N             N = N + 1");
  EXPECT_EQ(changes[1]["newText"], "               BU   AGAIN");

  // Shutdown, then exit.
  EXPECT_TRUE(ask("shutdown", nullptr)["result"].is_null());
  EXPECT_EQ(ask("textDocument/hover", at(0, 0))["error"]["code"], -32600);
  tell("exit", nullptr);
  EXPECT_TRUE(server_.exited());
  EXPECT_EQ(server_.exit_code(), 0);
}

TEST_F(Exchange, MalformedMessagesGetErrors) {
  EXPECT_EQ(ask("textDocument/hover", at(0, 0))["error"]["code"], -32002);  // before initialize
  initialize();
  const std::pair<std::string, int> cases[] = {
      {"{not json", -32700},
      {"[1,2]", -32600},
      {R"({"jsonrpc":"2.0","id":1})", -32600},
      {R"({"jsonrpc":"2.0","id":{"a":1},"method":"shutdown"})", -32600},
      {R"({"jsonrpc":"2.0","id":2,"method":"no/such"})", -32601},
      {R"({"jsonrpc":"2.0","id":3,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///x"},"position":{"line":0,"character":0}}})", -32602},
      {R"({"jsonrpc":"2.0","id":4,"method":"textDocument/hover","params":7})", -32602},
      {R"({"jsonrpc":"2.0","id":5,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///count.s"},"position":{"line":"x"}}})", -32602},
      {R"({"jsonrpc":"2.0","id":6,"method":"initialize","params":{}})", -32600},
  };
  open(kDeck);
  published();
  for (const auto& [body, code] : cases) {
    server_.handle(body, now_);
    ASSERT_EQ(out_.size(), 1u) << body;
    EXPECT_EQ(out_[0]["error"]["code"], code) << body;
    out_.clear();
  }
  // Notifications that cannot be handled are dropped without a word.
  tell("textDocument/didChange", {{"textDocument", {{"uri", "file:///nowhere"}}}, {"contentChanges", 3}});
  tell("textDocument/didOpen", {{"textDocument", 5}});
  server_.handle(R"({"jsonrpc":"2.0","id":9,"result":null})", now_);
  EXPECT_TRUE(out_.empty());
  // A client that exits without shutdown ends with status 1.
  tell("exit", nullptr);
  EXPECT_EQ(server_.exit_code(), 1);
}

TEST_F(Exchange, Utf8WhenOffered) {
  const json r = ask("initialize", {{"capabilities", {{"general", {{"positionEncodings", {"utf-16", "utf-8"}}}}}}});
  EXPECT_EQ(r["result"]["capabilities"]["positionEncoding"], "utf-8");
}

}  // namespace
}  // namespace velumar::lsp
