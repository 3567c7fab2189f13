// Text of a fixed width held by value: a card image, an operand's label.
// It reads as a std::string_view of exactly N characters; assigning shorter
// text pads it with blanks and longer text is cut, as the card columns do.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace velumar {

template <std::size_t N>
class FixedText {
 public:
  FixedText() { chars_.fill(' '); }
  // Implicit, so that text converts where a field of this width is wanted.
  FixedText(std::string_view text) { assign(text); }
  FixedText(const char* text) { assign(text); }
  FixedText(const std::string& text) { assign(text); }

  FixedText& operator=(std::string_view text) { return assign(text); }
  FixedText& operator=(const char* text) { return assign(text); }
  FixedText& operator=(const std::string& text) { return assign(text); }

  operator std::string_view() const { return view(); }
  std::string_view view() const { return {chars_.data(), N}; }
  std::string str() const { return std::string(view()); }

  static constexpr std::size_t size() { return N; }
  char operator[](std::size_t i) const { return chars_[i]; }
  char& operator[](std::size_t i) { return chars_[i]; }

  bool operator==(const FixedText&) const = default;
  friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const FixedText& a, const char* b) { return a.view() == std::string_view(b); }
  friend bool operator==(const FixedText& a, const std::string& b) { return a.view() == b; }
  friend std::string operator+(const std::string& a, const FixedText& b) { return a + b.str(); }
  friend std::string operator+(const FixedText& a, const std::string& b) { return a.str() + b; }
  friend std::ostream& operator<<(std::ostream& out, const FixedText& t) { return out << t.view(); }

 private:
  FixedText& assign(std::string_view text) {
    if (text.size() >= N) {
      // Text that fills the field (a card's columns, most names): one copy
      // of a size known here, which needs no call.
      std::copy_n(text.data(), N, chars_.data());
      return *this;
    }
    const std::size_t n = text.size();
    std::copy_n(text.data(), n, chars_.data());
    std::fill(chars_.begin() + static_cast<std::ptrdiff_t>(n), chars_.end(), ' ');
    return *this;
  }

  std::array<char, N> chars_;
};

}  // namespace velumar
