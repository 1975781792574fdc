#include "maps/name_matching.h"

#include <cstdint>

#include "maps/text_encoding.h"

namespace {

// Unicode's space separators, the line and paragraph separators and ASCII's
// blanks.
bool IsBlank(uint32_t c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// The dashes and hyphens that look like the hyphen-minus: the hyphen, the
// figure, en and em dashes, the horizontal bar, the minus sign and their
// small and full-width forms.
bool IsDash(uint32_t c) {
  return (c >= 0x2010 && c <= 0x2015) || c == 0x2212 || c == 0xFE58 || c == 0xFE63 || c == 0xFF0D;
}

}  // namespace

std::string FoldedName(const std::string& name) {
  std::string folded;
  folded.reserve(name.size());
  const auto* s = reinterpret_cast<const unsigned char*>(name.data());
  for (size_t i = 0; i < name.size();) {
    uint32_t c = 0;
    const size_t length = Utf8Character(s + i, name.size() - i, c);
    if (length == 0) {
      folded += name[i++];
      continue;
    }
    i += length;
    if (IsBlank(c)) continue;
    if (IsDash(c))
      folded += '-';
    else if (c >= 'A' && c <= 'Z')
      folded += static_cast<char>(c - 'A' + 'a');
    else
      folded.append(name, i - length, length);
  }
  return folded;
}

bool SameName(const std::string& a, const std::string& b) { return FoldedName(a) == FoldedName(b); }
