#include "maps/name_matching.h"

#include <cctype>

std::string FoldedName(const std::string& name) {
  std::string folded;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    // ASCII only: bytes of Windows-1252 or UTF-8 text above 127 are kept as they are.
    if (byte < 128 && std::isspace(byte)) continue;
    folded += byte < 128 ? static_cast<char>(std::tolower(byte)) : c;
  }
  return folded;
}

bool SameName(const std::string& a, const std::string& b) { return FoldedName(a) == FoldedName(b); }
