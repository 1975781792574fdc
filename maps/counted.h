// A count and the thing it counts, as a reader expects it: "1 warning",
// "2 warnings", "0 notes". Every message that counts something says it
// through here, so none reads "1 warnings". Header-only, so the MIDI file
// library can use it without linking the map library.
#pragma once

#include <string>
#include <string_view>

// `plural` is for nouns that take more than an s or es ("copy", "copies").
inline std::string Counted(long long count, std::string_view singular,
                           std::string_view plural = {}) {
  std::string text = std::to_string(count) + " ";
  if (count == 1) return text.append(singular);
  if (!plural.empty()) return text.append(plural);
  text.append(singular);
  const auto endsWith = [&](std::string_view end) {
    return singular.size() >= end.size() && singular.substr(singular.size() - end.size()) == end;
  };
  const bool sibilant = endsWith("s") || endsWith("x") || endsWith("ch") || endsWith("sh");
  return text.append(sibilant ? "es" : "s");
}
