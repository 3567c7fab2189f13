// End to end with a real editor: headless Neovim and its built-in LSP
// client against velumar-lsp (skipped when nvim is not installed).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// The README's Neovim configuration: the indented lines after "Neovim (".
std::string readme_configuration() {
  std::ifstream in(VELUMAR_SOURCE_DIR "/README.md");
  std::string text, line;
  bool in_section = false;
  while (std::getline(in, line)) {
    if (line.starts_with("Neovim (")) in_section = true;
    else if (in_section && line.starts_with("VS Code")) break;
    else if (in_section && (line.starts_with("    ") || line.empty())) text += (line.empty() ? "" : line.substr(4)) + "\n";
  }
  return text;
}

// Neovim started with the README's configuration finds velumar-lsp on PATH.
TEST(Neovim, DiagnosticDefinitionAndCodeAction) {
  if (std::system("command -v nvim >/dev/null 2>&1") != 0) GTEST_SKIP() << "nvim is not installed";
  const fs::path dir = fs::temp_directory_path() / ("velumar-nvim-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path deck = dir / "slip.s";
  // The operands of the second card start one column late, in column 22:
  // the assembler would read them as a remark.
  std::ofstream(deck) << "     START     CS   332\n"
                         "     LOOP      A     @1@,N\n"
                         "               BU   LOOP\n"
                         "     N         DCW  0\n"
                         "               END  START\n";
  const fs::path result = dir / "result.json";
  const std::string configuration = readme_configuration();
  ASSERT_NE(configuration.find("velumar-lsp"), std::string::npos) << configuration;
  std::ofstream(dir / "init.lua") << configuration;
  const std::string command = "cd " + dir.string() + " && PATH=" + fs::path(VELUMAR_LSP_EXE).parent_path().string() +
                              ":$PATH VELUMAR_DECK=" + deck.string() + " VELUMAR_RESULT=" + result.string() +
                              " HOME=" + dir.string() + " XDG_CONFIG_HOME=" + dir.string() + " XDG_DATA_HOME=" +
                              dir.string() + " XDG_STATE_HOME=" + dir.string() +
                              " timeout 60 nvim --headless -u init.lua -i NONE -n -c 'luafile " VELUMAR_SOURCE_DIR
                              "/tools/lsp/nvim_e2e.lua' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(result);
  ASSERT_TRUE(in) << "nvim wrote no result";
  const json seen = json::parse(in);
  fs::remove_all(dir);
  ASSERT_FALSE(seen.contains("error")) << seen["error"];

  // The column slip on the second card, where the operands begin.
  ASSERT_TRUE(seen["got_diagnostics"].get<bool>());
  const json& d = seen["diagnostics"];
  const auto has = [&](const json& list, int lnum, int col, std::string_view words) {
    return std::any_of(list.begin(), list.end(), [&](const json& x) {
      return x["lnum"] == lnum && x["col"] == col && x["message"].get<std::string>().find(words) != std::string::npos;
    });
  };
  EXPECT_TRUE(has(d, 1, 21, "starts in column 22")) << d.dump(1);

  // The definition of START: line 1, column 6 (0-based 5).
  EXPECT_EQ(seen["definition"], json::array({1, 5}));

  // The fix-it moved the operands to column 21; assembled again, nothing is reported.
  EXPECT_EQ(seen["lines"][1], "     LOOP      A    @1@,N ");
  EXPECT_TRUE(seen["diagnostics_after"].empty()) << seen["diagnostics_after"].dump(1);
}

}  // namespace
