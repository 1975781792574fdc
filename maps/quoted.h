// A name or an entry in double quotes, as every message quotes one.
// Header-only, like counted.h, for every library's messages.
#pragma once

#include <string>
#include <string_view>

inline std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return quoted;
}
