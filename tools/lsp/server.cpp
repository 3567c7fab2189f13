#include "tools/lsp/server.h"

#include <exception>
#include <set>
#include <utility>

#include "tools/lsp/features.h"

namespace velumar::lsp {

namespace {

// JSON-RPC and LSP error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;

// A request the server refuses with a code and a message.
struct Refusal {
  int code;
  std::string message;
};

// A JSON-RPC id is a number or a string.
bool valid_id(const json& id) { return id.is_number_integer() || id.is_string(); }

bool offers_utf8(const json& params) {
  const json* general = params.contains("capabilities") ? &params["capabilities"] : nullptr;
  if (!general || !general->is_object() || !general->contains("general")) return false;
  const json& g = (*general)["general"];
  if (!g.is_object() || !g.contains("positionEncodings") || !g["positionEncodings"].is_array()) return false;
  for (const json& e : g["positionEncodings"])
    if (e == "utf-8") return true;
  return false;
}

}  // namespace

Server::Server(Send send, std::chrono::milliseconds debounce) : send_(std::move(send)), debounce_(debounce) {}

void Server::handle(std::string_view body, Clock::time_point now) {
  json msg = json::parse(body, nullptr, false);
  if (msg.is_discarded()) return error(nullptr, kParseError, "the message is not JSON");
  if (!msg.is_object() || !msg.contains("method") || !msg["method"].is_string()) {
    // A reply from the client (to a request the server never sends) is dropped.
    if (msg.is_object() && !msg.contains("method") && (msg.contains("result") || msg.contains("error"))) return;
    const json id = msg.is_object() && msg.contains("id") && valid_id(msg["id"]) ? msg["id"] : json(nullptr);
    return error(id, kInvalidRequest, "a request needs a method name");
  }
  dispatch(msg, now);
}

void Server::framing_error(std::string_view why) { error(nullptr, kParseError, why); }

void Server::dispatch(const json& msg, Clock::time_point now) {
  const std::string method = msg["method"];
  const json params = msg.contains("params") ? msg["params"] : json::object();
  const bool is_request = msg.contains("id");
  const json id = is_request ? msg["id"] : json(nullptr);
  try {
    if (!is_request) return notification(method, params, now);
    if (!valid_id(id)) return error(nullptr, kInvalidRequest, "a request id is a number or a string");
    if (shutdown_) return error(id, kInvalidRequest, "the server is shut down");
    if (!initialized_ && method != "initialize") return error(id, kServerNotInitialized, "initialize first");
    reply(id, request(method, params));
  } catch (const Refusal& r) {
    if (is_request) error(id, r.code, r.message);
  } catch (const json::exception& e) {
    if (is_request) error(id, kInvalidParams, std::string("invalid params: ") + e.what());
  } catch (const std::exception& e) {
    if (is_request) error(id, kInternalError, e.what());
  }
}

json Server::request(const std::string& method, const json& params) {
  if (method == "initialize") return initialize(params);
  if (method == "shutdown") {
    shutdown_ = true;
    return nullptr;
  }
  static const std::set<std::string, std::less<>> kMethods = {
      "textDocument/semanticTokens/full", "textDocument/formatting", "textDocument/rangeFormatting",
      "textDocument/hover", "textDocument/definition", "textDocument/references", "textDocument/documentSymbol",
      "textDocument/completion", "textDocument/prepareRename", "textDocument/rename", "textDocument/codeAction"};
  if (!kMethods.contains(method)) throw Refusal{kMethodNotFound, "unknown method " + method};
  const auto at = [&] { return position_from(params.at("position")); };
  if (method == "textDocument/semanticTokens/full") return semantic_tokens(entry(params).doc, enc_);
  if (method == "textDocument/formatting") return formatting(entry(params).doc, enc_);
  if (method == "textDocument/rangeFormatting") return formatting(entry(params).doc, enc_);
  Entry& e = fresh(entry(params));
  const Model m = model(e);
  if (method == "textDocument/hover") return hover(m, at());
  if (method == "textDocument/definition") return definition(m, at());
  if (method == "textDocument/references") {
    const json& ctx = params.contains("context") ? params["context"] : json::object();
    return references(m, at(), ctx.value("includeDeclaration", true));
  }
  if (method == "textDocument/documentSymbol") return document_symbols(m);
  if (method == "textDocument/completion") return completion(m, at());
  if (method == "textDocument/prepareRename") return prepare_rename(m, at());
  if (method == "textDocument/rename") {
    auto result = rename(m, at(), params.at("newName").get<std::string>());
    if (auto* why = std::get_if<std::string>(&result)) throw Refusal{kRequestFailed, *why};
    return std::get<json>(std::move(result));
  }
  return code_actions(m, range_from(params.at("range")));
}

json Server::initialize(const json& params) {
  if (initialized_) throw Refusal{kInvalidRequest, "initialize was already sent"};
  initialized_ = true;
  enc_ = offers_utf8(params) ? Encoding::Utf8 : Encoding::Utf16;
  if (params.contains("initializationOptions") && params["initializationOptions"].is_object()) {
    const json& o = params["initializationOptions"];
    if (o.contains("options") && o["options"].is_array())
      for (const json& opt : o["options"])
        if (opt.is_string()) options_.push_back(opt);
  }
  json caps = {
      {"positionEncoding", enc_ == Encoding::Utf8 ? "utf-8" : "utf-16"},
      {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
      {"hoverProvider", true},
      {"definitionProvider", true},
      {"referencesProvider", true},
      {"documentSymbolProvider", true},
      {"renameProvider", {{"prepareProvider", true}}},
      {"completionProvider", {{"triggerCharacters", json::array({","})}}},
      {"documentFormattingProvider", true},
      {"codeActionProvider", {{"codeActionKinds", json::array({"quickfix"})}}},
      {"semanticTokensProvider", {{"legend", semantic_legend()}, {"full", true}}},
  };
  return {{"capabilities", std::move(caps)}, {"serverInfo", {{"name", "velumar-lsp"}, {"version", "1.0"}}}};
}

void Server::notification(const std::string& method, const json& params, Clock::time_point now) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ || shutdown_) return;
  if (method == "textDocument/didOpen") {
    const json& td = params.at("textDocument");
    const std::string uri = td.at("uri").get<std::string>();
    docs_.insert_or_assign(uri, Entry{Document(uri, td.value("version", 0LL), td.at("text").get<std::string>()), {}, true, now});
    fresh(docs_.at(uri));
  } else if (method == "textDocument/didChange") {
    did_change(params, now);
  } else if (method == "textDocument/didClose") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (docs_.erase(uri) > 0) notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", json::array()}});
  }
}

void Server::did_change(const json& params, Clock::time_point now) {
  Entry& e = entry(params);
  const long long version = params.at("textDocument").value("version", e.doc.version() + 1);
  if (version < e.doc.version()) return;  // older than what the server holds
  for (const json& change : params.at("contentChanges")) {
    if (change.contains("range")) e.doc.edit(range_from(change["range"]), change.at("text").get<std::string>(), enc_);
    else e.doc.replace(change.at("text").get<std::string>(), version);
  }
  e.doc.set_version(version);
  e.stale = true;
  e.due = now + debounce_;
}

void Server::tick(Clock::time_point now) {
  for (auto& [uri, e] : docs_)
    if (e.stale && e.due <= now) fresh(e);
}

std::optional<Server::Clock::time_point> Server::next_deadline() const {
  std::optional<Clock::time_point> next;
  for (const auto& [uri, e] : docs_)
    if (e.stale && (!next || e.due < *next)) next = e.due;
  return next;
}

Server::Entry& Server::entry(const json& params) {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  const auto it = docs_.find(uri);
  if (it == docs_.end()) throw Refusal{kInvalidParams, "the document is not open: " + uri};
  return it->second;
}

Server::Entry& Server::fresh(Entry& e) {
  if (!e.stale) return e;
  e.program = analyze(e.doc.text(), options_);
  e.stale = false;
  notify("textDocument/publishDiagnostics",
         {{"uri", e.doc.uri()}, {"version", e.doc.version()}, {"diagnostics", diagnostics(model(e))}});
  return e;
}

void Server::reply(const json& id, json result) {
  send_(json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}}.dump(-1, ' ', false, json::error_handler_t::replace));
}

void Server::error(const json& id, int code, std::string_view message) {
  const json body = {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", std::string(message)}}}};
  send_(body.dump(-1, ' ', false, json::error_handler_t::replace));
}

void Server::notify(std::string_view method, json params) {
  const json body = {{"jsonrpc", "2.0"}, {"method", std::string(method)}, {"params", std::move(params)}};
  send_(body.dump(-1, ' ', false, json::error_handler_t::replace));
}

}  // namespace velumar::lsp
