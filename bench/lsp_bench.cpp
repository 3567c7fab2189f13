// The language server's answer to typing: one card of a 5,000-card deck
// changes, the deck is assembled again and its diagnostics are published
// (debounce delay aside). Target: well under 50 ms a change.
#include <benchmark/benchmark.h>

#include <string>

#include "tools/lsp/server.h"

namespace velumar::lsp {
namespace {

// A deck of `cards` cards in one job, within 16,000 positions: cycles of a
// comment, a labelled branch, a set-word-mark, a remark and a constant.
std::string deck(int cards) {
  std::string text = "               JOB  BENCH DECK\n";
  int n = 1;
  for (int i = 1; n + 5 < cards; ++i, n += 5) {
    const std::string id = std::to_string(10000 + i).substr(1);
    text += "     * CYCLE " + id + "\n";
    text += "     L" + id + "     B    L" + id + "\n";
    text += "               SW   K" + id + "\n";
    text += "     * SET THE MARK OF K" + id + "\n";
    text += "     K" + id + "     DCW  1\n";
  }
  for (; n < cards - 1; ++n) text += "     * FILL\n";
  return text + "               END  L0001\n";
}

void BM_ChangeOneCard(benchmark::State& state) {
  std::size_t published = 0;
  Server server([&](const std::string& body) { published += body.size(); }, std::chrono::milliseconds(0));
  const std::string uri = "file:///bench.s";
  server.handle(json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}.dump());
  server.handle(json{{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
                     {"params", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", deck(5000)}}}}}}.dump());
  long long version = 1;
  for (auto _ : state) {
    // Card 2,501 alternates between a branch to a defined and to an
    // undefined label, so that every other publication carries a diagnostic.
    const std::string card = version % 2 ? "               B    L0001" : "               B    NOWHER";
    const json range = {{"start", {{"line", 2500}, {"character", 0}}}, {"end", {{"line", 2500}, {"character", 200}}}};
    server.handle(json{{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"},
                       {"params", {{"textDocument", {{"uri", uri}, {"version", ++version}}},
                                   {"contentChanges", json::array({{{"range", range}, {"text", card}}})}}}}.dump());
    server.tick(Server::Clock::now());
  }
  state.counters["bytes_published"] = benchmark::Counter(static_cast<double>(published), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ChangeOneCard)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velumar::lsp
