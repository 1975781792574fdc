#include "editor/map_table_columns.h"

#include <cctype>
#include <string>

namespace {

constexpr std::array<const char*, kMapColumnCount> kTitles = {
    "Slot", "Name", "Icon", "Keyswitch", "UACC", "Modwheel", "Outputs", "Latency (ms)"};

std::string Folded(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  std::string folded;
  for (char c : text) folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace

const char* ColumnTitle(MapColumn column) {
  const int index = ColumnIndex(column);
  return index >= 0 && index < kMapColumnCount ? kTitles[index] : "";
}

std::optional<MapColumn> ColumnForTitle(std::string_view title) {
  const std::string wanted = Folded(title);
  for (int i = 0; i < kMapColumnCount; ++i)
    if (wanted == Folded(kTitles[i])) return ColumnAt(i);
  if (wanted == "#") return MapColumn::kSlot;
  if (wanted == "latency") return MapColumn::kLatency;
  return std::nullopt;
}
