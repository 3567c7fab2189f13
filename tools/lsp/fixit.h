// What a diagnostic carries besides its text, read from whichever fields
// the diagnostic types have: the identifier (its stable name) and, on a
// note, the replacement text of a fix-it. A type without such a field
// gives none, so that the server follows the diagnostics as they grow.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include <nlohmann/json.hpp>

namespace velumar::lsp {

/// The identifier of a diagnostic, when the diagnostic carries one.
template <class D>
nlohmann::json code_of(const D& d) {
  if constexpr (requires { d.id; }) {
    using Id = std::remove_cvref_t<decltype(d.id)>;
    if constexpr (std::is_convertible_v<Id, std::string_view>) {
      const std::string_view id = d.id;
      if (!id.empty()) return std::string(id);
    } else if constexpr (std::is_integral_v<Id>) {
      return d.id;
    } else if constexpr (requires { diag_info(d.id).name; }) {
      // An identifier from the diagnostics table: its stable name.
      const std::string_view id = diag_info(d.id).name;
      if (!id.empty()) return std::string(id);
    }
  }
  return nullptr;
}

/// The replacement text of a fix-it note: the note's columns are to read
/// this. Nothing for a note that is a hint only.
template <class N>
std::optional<std::string> fix_of(const N& note) {
  if constexpr (requires { note.replacement.has_value(); }) {
    if (note.replacement) return std::string(*note.replacement);
  } else if constexpr (requires { std::string_view(note.replacement); }) {
    if (!std::string_view(note.replacement).empty()) return std::string(note.replacement);
  }
  return std::nullopt;
}

}  // namespace velumar::lsp
