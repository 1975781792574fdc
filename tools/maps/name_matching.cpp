#include "tools/maps/name_matching.h"

#include <cctype>

std::string FoldedName(const std::string& name) {
  size_t begin = 0, end = name.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(name[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(name[end - 1]))) --end;
  std::string folded;
  for (size_t i = begin; i < end; ++i)
    folded += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  return folded;
}

bool SameName(const std::string& a, const std::string& b) { return FoldedName(a) == FoldedName(b); }
