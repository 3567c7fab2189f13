#include "tools/run/devices.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "core/charset.h"

namespace velumar::run {

namespace {

namespace fs = std::filesystem;

constexpr int kWordSeparator = 29;  // "=" in load mode
constexpr int kAlternateBlank = 16;  // SimH writes a blank as this code

std::uint32_t get_length(const std::string& image, std::size_t at) {
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(image[at + static_cast<std::size_t>(i)]);
  return n;
}

std::string three_digits(std::size_t n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%03zu", n > 999 ? std::size_t{999} : n);
  return buf;
}

}  // namespace

std::string tape_text(const std::string& image) {
  std::string text;
  std::size_t at = 0;
  while (at + 4 <= image.size()) {
    const std::uint32_t word = get_length(image, at);
    at += 4;
    if (word == 0) continue;                // a tape mark
    if (word == 0xFFFFFFFFu) break;         // the end of the medium
    const std::size_t n = word & 0x00FFFFFFu;  // the high byte holds error flags
    if (at + n > image.size()) break;        // a record cut short: keep what is whole
    std::string record;
    std::size_t separators = 0;
    for (std::size_t i = 0; i < n; ++i) {
      int code = static_cast<unsigned char>(image[at + i]) & 63;
      if (code == kAlternateBlank) code = 0;
      if (code == kWordSeparator) ++separators;
      record += bcd_char(code);
    }
    text += three_digits(n) + three_digits(n - separators) + record + "\n";
    at += n + (n % 2) + 4;
  }
  return text;
}

long LineCounter::count() {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return lines_;
  in.seekg(offset_);
  char buf[65536];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    const std::streamsize got = in.gcount();
    for (std::streamsize i = 0; i < got; ++i) lines_ += buf[i] == '\n';
    offset_ += got;
  }
  return lines_;
}

bool read_whole(const fs::path& p, std::string& out) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool write_whole(const fs::path& p, const std::string& text) {
  const fs::path tmp = p.string() + ".velumar-run-tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(tmp, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(tmp, p, ec);
  if (ec) fs::remove(tmp, ec);
  return !ec;
}

std::vector<std::string> Devices::prepare(const std::string& suffix) const {
  std::error_code ec;
  for (const char* f : {"print", "punch"}) fs::remove(work / (f + suffix + ".txt"), ec);
  std::vector<std::string> cmds = {"set cpu oldconversions", "attach cdr cards.txt",
                                   "attach lpt print" + suffix + ".txt", "attach cdp punch" + suffix + ".txt"};
  if (!boot_image.empty()) {
    write_whole(work / ("tape" + suffix + ".tap"), boot_image);
    cmds.push_back("attach mt1 tape" + suffix + ".tap");
  }
  for (const Tape& t : tapes) {
    const std::string name = "mt" + std::to_string(t.unit) + suffix + ".tap";
    fs::remove(work / name, ec);
    if (t.existed) write_whole(work / name, t.image);
    cmds.push_back("attach mt" + std::to_string(t.unit) + " " + name);
  }
  return cmds;
}

std::vector<std::string> Devices::save_tapes(std::string& error) const {
  std::vector<std::string> notes;
  for (const Tape& t : tapes) {
    std::string now;
    const std::string name = "mt" + std::to_string(t.unit) + ".tap";
    if (!read_whole(work / name, now) || now == t.image) continue;
    const std::string text = tape_text(now);
    if (!write_whole(t.file, text)) {
      error = "cannot write the tape file '" + t.file + "' of unit " + std::to_string(t.unit);
      continue;
    }
    std::size_t records = 0;
    for (char c : text) records += c == '\n';
    notes.push_back("tape unit " + std::to_string(t.unit) + " written to '" + t.file + "' (" +
                    std::to_string(records) + (records == 1 ? " record)" : " records)"));
  }
  return notes;
}

}  // namespace velumar::run
