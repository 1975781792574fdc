#include "maps/plugin_settings.h"

namespace {

std::string Pair(int32_t wanted, int32_t kept) {
  return " (wanted " + std::to_string(wanted) + ", kept " + std::to_string(kept) + ")";
}

}  // namespace

std::string FirstDifference(const PluginSettings& wanted, const PluginSettings& kept) {
  auto word = [](const char* field, int32_t a, int32_t b) {
    return a == b ? std::string() : field + Pair(a, b);
  };
  for (const std::string& d :
       {word("channel (0-based)", wanted.channel, kept.channel),
        word("port", wanted.port, kept.port),
        word("options.ccGhosting", wanted.ccGhosting, kept.ccGhosting),
        word("midiExtend", wanted.midiExtend, kept.midiExtend),
        word("options.preservePortChannel", wanted.preservePortChannel, kept.preservePortChannel),
        word("page (index)", wanted.pageIndex, kept.pageIndex),
        word("selectedSlot (0-based)", wanted.selectedSlot, kept.selectedSlot)})
    if (!d.empty()) return d;
  for (int i = 0; i < kControllerCount; ++i)
    if (wanted.controllers[i] != kept.controllers[i])
      return std::string("controllers.") + kControllerNames[i] +
             Pair(wanted.controllers[i], kept.controllers[i]);
  for (int i = 0; i < kSlotCount; ++i) {
    const SlotSettings& a = wanted.slots[i];
    const SlotSettings& b = kept.slots[i];
    const std::string where = "slot " + std::to_string(i + 1) + ".";
    if (a.name != b.name) return where + "name";
    if (a.icon != b.icon) return where + "icon" + Pair(a.icon, b.icon);
    if (a.keyswitch != b.keyswitch) return where + "keyswitch" + Pair(a.keyswitch, b.keyswitch);
    if (a.uacc != b.uacc) return where + "uacc" + Pair(a.uacc, b.uacc);
    if (a.modwheel != b.modwheel) return where + "modwheel" + Pair(a.modwheel, b.modwheel);
    const SlotAdditions& x = a.additions;
    const SlotAdditions& y = b.additions;
    if (x.keyswitchVelocity != y.keyswitchVelocity)
      return where + "keyswitchVelocity" + Pair(x.keyswitchVelocity, y.keyswitchVelocity);
    if (x.noteChannels != y.noteChannels) return where + "noteChannels";
    if (x.transpose != y.transpose) return where + "transpose" + Pair(x.transpose, y.transpose);
    if (x.latencyMs != y.latencyMs) return where + "latency" + Pair(x.latencyMs, y.latencyMs);
    if (!(x == y)) return where + "actions";
  }
  return "";
}
