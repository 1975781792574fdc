#include "maps/name_key.h"

std::string NameKey(std::string_view name, std::string_view separators, char joiner) {
  std::string out;
  bool gap = false;
  for (char c : name) {
    if (separators.find(c) != std::string_view::npos) {
      gap = !out.empty();
      continue;
    }
    if (gap) out += joiner;
    gap = false;
    out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}
