// The language server: JSON-RPC requests and notifications in, answers
// and published diagnostics out. Single-threaded: the caller feeds message
// bodies and calls tick() when the debounce delay of a change runs out.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lsp/model.h"

namespace velumar::lsp {

class Server {
 public:
  using Clock = std::chrono::steady_clock;
  /// Receives each outgoing message body (to be framed and written).
  using Send = std::function<void(const std::string&)>;

  /// `debounce`: how long after a change the document is assembled again,
  /// unless a request needs it sooner.
  explicit Server(Send send, std::chrono::milliseconds debounce = std::chrono::milliseconds(150));

  /// Handles one message body. Never throws: a malformed message gets a
  /// JSON-RPC error reply (with id null when it has no usable id).
  void handle(std::string_view body, Clock::time_point now = Clock::now());
  /// Answers a frame that could not be read (a parse error, id null).
  void framing_error(std::string_view why);
  /// Assembles and publishes the documents whose delay has run out by `now`.
  void tick(Clock::time_point now = Clock::now());
  /// When tick() has work next; nothing when no change waits.
  std::optional<Clock::time_point> next_deadline() const;

  /// The client sent `exit`.
  bool exited() const { return exited_; }
  /// The exit status: 0 when `shutdown` came before `exit`.
  int exit_code() const { return shutdown_ ? 0 : 1; }

 private:
  /// An open document, its last assembly and the pending one.
  struct Entry {
    Document doc;
    ProgramInfo program;
    bool stale = true;  ///< changed since it was assembled
    Clock::time_point due;
  };

  void dispatch(const json& msg, Clock::time_point now);
  json request(const std::string& method, const json& params);
  void notification(const std::string& method, const json& params, Clock::time_point now);
  json initialize(const json& params);
  void did_change(const json& params, Clock::time_point now);

  /// The entry of the document named in `params`; throws when it is not open.
  Entry& entry(const json& params);
  /// Assembles the document when it changed, and publishes its diagnostics.
  Entry& fresh(Entry& e);
  Model model(const Entry& e) const { return Model{e.doc, e.program, enc_}; }

  void reply(const json& id, json result);
  void error(const json& id, int code, std::string_view message);
  void notify(std::string_view method, json params);

  Send send_;
  std::chrono::milliseconds debounce_;
  std::map<std::string, Entry> docs_;
  std::vector<std::string> options_;  ///< assembler options for every document
  Encoding enc_ = Encoding::Utf16;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
};

}  // namespace velumar::lsp
