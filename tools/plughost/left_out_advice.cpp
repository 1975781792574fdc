#include "tools/plughost/left_out_advice.h"

#include "maps/name_matching.h"
#include "maps/plugin_settings.h"
#include "maps/quoted.h"

std::string PickListText(const std::vector<size_t>& numbers) {
  std::string out;
  for (size_t i = 0; i < numbers.size();) {
    size_t run = i;
    while (run + 1 < numbers.size() && numbers[run + 1] == numbers[run] + 1) ++run;
    out += (out.empty() ? "" : ",") + std::to_string(numbers[i]);
    if (run >= i + 2) {
      out += "-" + std::to_string(numbers[run]);
      i = run + 1;
    } else {
      ++i;
    }
  }
  return out;
}

std::string LeftOutExplanation(const ImportResult& result, const std::string& name,
                               const std::string& fileName, const std::string& pickOption) {
  for (const LeftOutArticulation& a : result.leftOut) {
    if (a.name.empty() || !SameName(a.name, name)) continue;
    // The same slots, the last one given up when all 16 are taken.
    std::vector<size_t> pick = result.taken;
    if (pick.size() >= static_cast<size_t>(kSlotCount)) pick.resize(kSlotCount - 1);
    pick.push_back(a.number);
    return Quoted(a.name) + " is articulation " + std::to_string(a.number) + " of " + fileName +
           ", " + a.why + "; take it with " + pickOption + ", such as " + pickOption + " " +
           PickListText(pick);
  }
  return "";
}
