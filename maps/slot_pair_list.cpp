#include "maps/slot_pair_list.h"

#include <nlohmann/json.hpp>

bool ParseSlotPair(const std::string& text, std::pair<std::string, std::string>& pair) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return false;
  pair = {text.substr(0, eq), text.substr(eq + 1)};
  return true;
}

bool ParseSlotPairFile(const std::string& json, SlotPairList& pairs, std::string& error) {
  const auto parsed = nlohmann::ordered_json::parse(json, nullptr, false);
  if (parsed.is_discarded()) {
    error = "not JSON";
    return false;
  }
  if (!parsed.is_object()) {
    error = "not a JSON object of pairs such as {\"Staccato\": \"Short\", \"3\": 4}";
    return false;
  }
  for (const auto& [from, to] : parsed.items()) {
    if (to.is_string() && !to.get<std::string>().empty()) {
      pairs.emplace_back(from, to.get<std::string>());
    } else if (to.is_number_integer() && to.get<long long>() >= 1 && to.get<long long>() <= 16) {
      pairs.emplace_back(from, std::to_string(to.get<long long>()));
    } else {
      error = "\"" + from + "\": the slot it plays must be a name or a number 1..16";
      return false;
    }
    if (from.empty()) {
      error = "a pair with an empty slot";
      return false;
    }
  }
  return true;
}
