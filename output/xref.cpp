#include "output/xref.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/text.h"

namespace velumar {

namespace {

constexpr std::size_t kLineWidth = 130;
constexpr std::size_t kUsesAt = 34;   // where the list of uses starts
constexpr std::size_t kUseWidth = 7;  // "  12345" and the store mark

constexpr std::string_view kXrefHeading = "0SYMBOL  ADDRESS  INDEX  DEFINED  REFERENCES (* STORES INTO IT)";
constexpr std::string_view kStorageHeading = "0 FIRST   LAST  POSITIONS  CONTENTS";

// The fixed areas a program should not place anything in by mistake.
struct FixedArea {
  int first, last;
  std::string_view name;
};
constexpr std::array<FixedArea, 3> kFixedAreas = {{
    {1, 80, "READ AREA"},
    {101, 180, "PUNCH AREA"},
    {201, 332, "PRINT AREA"},
}};

// Lines on pages of their own, each page opening with the page line and
// the section's heading.
class PagedSection {
 public:
  PagedSection(ListingWriter& listing, int max_lines, std::string_view heading)
      : listing_(listing), max_lines_(std::max(max_lines, 4)), heading_(heading) {
    new_page();
  }
  void line(std::string_view text) {
    if (listing_.lines_on_page() >= max_lines_) new_page();
    listing_.print(text);
    listing_.set_lines_on_page(listing_.lines_on_page() + 1);
  }

 private:
  void new_page() {
    listing_.page_line();
    listing_.print(heading_);
    listing_.print("");
    listing_.set_lines_on_page(listing_.lines_on_page() + 2);
  }
  ListingWriter& listing_;
  int max_lines_;
  std::string_view heading_;
};

// The name, value, index register and definition; a name longer than its
// 6 positions (a literal) stands on a line of its own before them.
std::string entry_start(PagedSection& out, const XrefEntry& e) {
  std::string t = " ";
  if (e.name.size() > 6) {
    out.line(" " + e.name);
    t.append(6, ' ');
  } else {
    append_padded(t, e.name, 6);
  }
  if (e.value)
    append_int(t, *e.value, 9);
  else
    t += "    UNDEF";
  t += e.index_reg > 0 ? "     X" + std::to_string(e.index_reg) : std::string(7, ' ');
  if (e.defined)
    append_int(t, *e.defined, 9);
  else
    t.append(9, ' ');
  return pad(t, kUsesAt);
}

void write_entry(PagedSection& out, const XrefEntry& e) {
  std::string t = entry_start(out, e);
  for (const XrefUse& u : e.uses) {
    if (t.size() + kUseWidth > kLineWidth) {
      out.line(t);
      t.assign(kUsesAt, ' ');
    }
    append_int(t, u.seq, 6);
    t += u.store ? '*' : ' ';
  }
  out.line(t);
}

std::string range_line(int first, int last, std::string_view what) {
  std::string t = " ";
  append_int_zero(t, first, 6, 4);
  append_int_zero(t, last, 7, 4);
  append_int(t, last - first + 1, 11);
  t += "  ";
  t += what;
  return t;
}

// Where the ranges meet the fixed areas and the end of core.
void write_overlaps(PagedSection& out, const StorageSummary& s) {
  for (const XrefRange& r : s.ranges) {
    for (const FixedArea& a : kFixedAreas) {
      const int lo = std::max(r.first, a.first), hi = std::min(r.last, a.last);
      if (lo <= hi) out.line(range_line(lo, hi, "OVERLAPS THE " + std::string(a.name) + " (" + std::to_string(a.first) + "-" + std::to_string(a.last) + ")"));
    }
    if (r.last >= s.core_size)
      out.line(range_line(std::max(r.first, s.core_size), r.last,
                          "BEYOND THE CORE SIZE OF " + std::to_string(s.core_size)));
  }
}

std::string upper(std::string_view s) {
  std::string t(s);
  for (char& c : t)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return t;
}

}  // namespace

void write_xref(ListingWriter& listing, int max_lines, const std::vector<XrefEntry>& entries,
                const StorageSummary& storage) {
  if (!listing.active()) return;
  {
    PagedSection out(listing, max_lines, kXrefHeading);
    for (const XrefEntry& e : entries) write_entry(out, e);
  }
  PagedSection out(listing, max_lines, kStorageHeading);
  int highest = -1;
  for (const XrefRange& r : storage.ranges) {
    out.line(range_line(r.first, r.last, upper(r.kind)));
    highest = std::max(highest, r.last);
  }
  out.line("");
  if (highest >= 0) {
    std::string t = " HIGHEST POSITION USED ";
    append_int_zero(t, highest, 5, 4);
    out.line(t);
  } else {
    out.line(" NO STORAGE USED");
  }
  write_overlaps(out, storage);
}

}  // namespace velumar
