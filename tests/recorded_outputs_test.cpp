// Recorded outputs: a fixed set of generated decks (tests/deckgen.h) is
// assembled by the built velumar, and a checksum of every output of each run
// (listing, object deck, tape file, kept intermediate file, standard output,
// exit status) must equal the one recorded in tests/recorded_outputs.txt.
// Any change of visible behaviour shows up here. When a change is intended,
// VELUMAR_UPDATE_GOLDEN=1 rewrites the recorded file: review its diff, and
// commit it separately, saying why the outputs changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/deckgen.h"
#include "tests/support/simh.h"

namespace velumar::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kDecks = 300;
const fs::path kVelumar = VELUMAR_EXE;
const fs::path kRecorded = fs::path(VELUMAR_SOURCE_DIR) / "tests" / "recorded_outputs.txt";
const std::vector<std::string> kOutputs = {"listing", "deck", "tape", "scratch", "console", "status"};

bool updating() { return updating_golden(); }

// FNV-1a, 64 bits, as 16 hex digits; "absent" for a file that was not written.
std::string checksum(const fs::path& file) {
  if (!fs::exists(file)) return "absent";
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (unsigned char c : read_file(file)) h = (h ^ c) * 0x100000001b3ULL;
  static const char* hex = "0123456789abcdef";
  std::string s(16, '0');
  for (int i = 15; i >= 0; --i, h >>= 4) s[static_cast<std::size_t>(i)] = hex[h & 15];
  return s;
}

// The shell command that assembles deck.s in the current directory.
std::string command_for(const deckgen::Deck& d) {
  std::string c = shell_quote(kVelumar.string());
  for (const std::string& o : d.options) c += " " + shell_quote(o);
  if (d.wants_listing) c += " -l deck.lst";
  if (d.wants_object) c += " -o deck.obj";
  if (d.wants_tape) c += " -t deck.tape";
  c += d.from_stdin ? " - < deck.s" : " deck.s";
  return c + " > console.txt 2> stderr.txt";
}

struct DeckRun {
  std::vector<std::string> sums;  // in the order of kOutputs
  std::string stderr_text;
};

DeckRun assemble(const deckgen::Deck& d, const fs::path& dir) {
  std::ofstream(dir / "deck.s", std::ios::binary) << d.source;
  std::ofstream(dir / "command.sh") << command_for(d) << "\n";
  const int status = run_command("cd " + shell_quote(dir.string()) + " && " + command_for(d));
  DeckRun run;
  for (const char* f : {"deck.lst", "deck.obj", "deck.tape", "scratch", "console.txt"})
    run.sums.push_back(checksum(dir / f));
  run.sums.push_back(std::to_string(status));
  run.stderr_text = read_file(dir / "stderr.txt");
  return run;
}

std::map<int, std::vector<std::string>> read_recorded() {
  std::map<int, std::vector<std::string>> recorded;
  std::ifstream in(kRecorded);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    int deck = -1;
    words >> deck;
    std::vector<std::string> sums;
    for (std::string w; words >> w;) sums.push_back(w);
    recorded[deck] = sums;
  }
  return recorded;
}

TEST(RecordedOutputs, GeneratedDecksGiveTheRecordedOutputs) {
  const std::map<int, std::vector<std::string>> recorded = read_recorded();
  if (!updating()) {
    ASSERT_EQ(recorded.size(), static_cast<std::size_t>(kDecks))
        << kRecorded.string() << " is missing or incomplete (VELUMAR_UPDATE_GOLDEN=1 writes it)";
  }

  std::ostringstream fresh;
  fresh << "# deck";
  for (const std::string& o : kOutputs) fresh << " " << o;
  fresh << "\n";
  std::map<std::string, int> statuses;
  const fs::path kept = fs::current_path() / "recorded-output-failures";
  fs::remove_all(kept);
  for (int i = 0; i < kDecks; ++i) {
    const deckgen::Deck deck = deckgen::generate(static_cast<std::uint64_t>(i));
    TempDir dir;
    const DeckRun run = assemble(deck, dir.path());
    ++statuses[run.sums.back()];
    fresh << i;
    for (const std::string& s : run.sums) fresh << " " << s;
    fresh << "\n";

    std::string changed;
    auto it = recorded.find(i);
    for (std::size_t k = 0; k < kOutputs.size(); ++k)
      if (!updating() && (it == recorded.end() || k >= it->second.size() || it->second[k] != run.sums[k]))
        changed += " " + kOutputs[k];
    const bool sanitizer = run.stderr_text.find("Sanitizer") != std::string::npos ||
                           run.stderr_text.find("runtime error") != std::string::npos;
    if (changed.empty() && !sanitizer) continue;
    // Keep the deck, its command and what the run wrote, for a person to look at.
    const fs::path keep = kept / ("deck-" + std::to_string(i));
    fs::create_directories(keep);
    fs::copy(dir.path(), keep, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    if (sanitizer) ADD_FAILURE() << "deck " << i << ": the sanitizer reported\n" << run.stderr_text;
    if (!changed.empty())
      ADD_FAILURE() << "deck " << i << ": changed output:" << changed << "\n  deck and outputs kept in "
                    << keep.string() << "\n  reproduce: cd " << keep.string() << " && sh command.sh"
                    << "\n  (VELUMAR_UPDATE_GOLDEN=1 records the new outputs when the change is intended)";
  }
  if (updating()) {
    std::ofstream(kRecorded, std::ios::binary) << fresh.str();
    std::cout << "recorded " << kRecorded.string() << "\n";
  }
  // Decks that all failed the same way would protect little: both clean
  // programs and programs with errors must be among them.
  EXPECT_GE(statuses["0"], kDecks / 10) << "too few decks assemble without errors";
  EXPECT_GE(statuses["1"], kDecks / 10) << "too few decks have errors";
}

// The generator is the basis of the recorded checksums: the same seed must
// give the same deck, and different seeds different decks.
TEST(DeckGenerator, IsDeterministicAndVaried) {
  EXPECT_EQ(deckgen::generate(42).source, deckgen::generate(42).source);
  EXPECT_EQ(deckgen::generate(42).options, deckgen::generate(42).options);
  EXPECT_NE(deckgen::generate(42).source, deckgen::generate(43).source);
  deckgen::Random r(7);
  EXPECT_EQ(r.next(), 0x63cbe1e459320dd7ULL);  // a fixed value: the sequence must not change across machines
}

}  // namespace
}  // namespace velumar::e2e
