// SimH magnetic-tape images of our loadable tape files.
#pragma once

#include <string>
#include <string_view>

namespace velumar {

/// Converts a tape file (one record a line; columns 1-3 the text length,
/// 4-6 the storage positions covered, then the record text) into a SimH
/// tape image: per record a 4-byte little-endian length, one byte per
/// character holding its 6-bit code (the word separator is a character
/// like any other: the 1401 reads it in load mode), a pad byte after an odd
/// length, and the length again; a tape mark at the end.
std::string tape_image(std::string_view tape_file);

}  // namespace velumar
