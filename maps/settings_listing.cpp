#include "maps/settings_listing.h"

#include <cstdio>
#include <vector>

#include "maps/counted.h"
#include "maps/formats/export_items.h"
#include "maps/text_encoding.h"

namespace {

bool InUse(const SlotSettings& slot) { return !slot.IsDefault(); }

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

std::string ListSettings(const PluginSettings& settings, const std::string& fileName,
                         const char* kind) {
  int used = 0;
  for (const SlotSettings& slot : settings.slots) used += InUse(slot);
  std::string out = fileName + ": " + kind + ", channel " + std::to_string(settings.channel + 1) +
                    ", " + Counted(used, "slot") + " in use\n";
  for (int s = 0; s < kSlotCount; ++s) {
    const SlotSettings& slot = settings.slots[s];
    if (!InUse(slot)) continue;
    std::vector<std::string> items = MessageItems(slot);
    const SlotAdditions& a = slot.additions;
    if (a.transpose != 0) items.push_back(TransposeItem(a.transpose));
    if (a.latencyMs != 0) items.push_back(LatencyItem(a.latencyMs));
    if (a.noteChannels != kPluginChannelBit) {
      for (const std::string& item : NoteSettingItems(slot))
        if (item.rfind("notes on", 0) == 0) items.push_back(item);
    }
    char index[16];
    std::snprintf(index, sizeof index, "%4d  ", s + 1);
    const std::string name = slot.name.empty() ? "(no name)" : Windows1252ToUtf8(slot.name);
    out += index + name + (items.empty() ? "" : "  ->  " + Joined(items)) + "\n";
  }
  return out;
}
