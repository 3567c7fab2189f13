#include "tools/tape_image.h"

#include <cstdint>

#include "core/charset.h"

namespace velumar {
namespace {

void put_length(std::string& image, std::uint32_t n) {
  for (int i = 0; i < 4; ++i) image += static_cast<char>((n >> (8 * i)) & 0xFF);
}

}  // namespace

std::string tape_image(std::string_view tape_file) {
  std::string image;
  std::size_t pos = 0;
  while (pos < tape_file.size()) {
    std::size_t end = tape_file.find('\n', pos);
    if (end == std::string_view::npos) end = tape_file.size();
    std::string_view line = tape_file.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Columns 1-6 hold the two counts; the record is the text after them,
    // one tape character per host character.
    std::string_view text = line.size() > 6 ? line.substr(6) : std::string_view();
    std::string record;
    for (char c : text) record += static_cast<char>(bcd_code(c));
    auto n = static_cast<std::uint32_t>(record.size());
    put_length(image, n);
    image += record;
    if (n % 2 == 1) image += '\0';
    put_length(image, n);
  }
  put_length(image, 0);  // a tape mark ends the file
  return image;
}

}  // namespace velumar
