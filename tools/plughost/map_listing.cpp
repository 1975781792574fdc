#include "tools/plughost/map_listing.h"

#include <cstdio>
#include <vector>

#include "engine/note_names.h"
#include "maps/bank_choice.h"
#include "maps/counted.h"
#include "maps/formats/export_items.h"
#include "maps/quoted.h"
#include "maps/text_encoding.h"

namespace {

using Output = ForeignOutput;

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

// An output as a musician reads it: "C0 v120", "F#0 v120 held", "CC 3 = 20",
// "program 5", "bend -4096", "ch 2" for routing; " ch N" when it has a channel.
std::string Readable(const Output& o) {
  const std::string channel = o.channel >= 0 ? " ch " + std::to_string(o.channel + 1) : "";
  const int velocity = o.data2 == 0 ? 127 : o.data2;
  switch (o.kind) {
    case Output::Kind::Note:
    case Output::Kind::HeldNote:
      return NoteName(o.data1) + " v" + std::to_string(velocity) +
             (o.kind == Output::Kind::HeldNote ? " held" : "") + channel;
    case Output::Kind::ControlChange:
      return "CC " + std::to_string(o.data1) + " = " + std::to_string(o.data2) + channel;
    case Output::Kind::ProgramChange:
      return "program " + std::to_string(o.data1) + channel;
    case Output::Kind::PitchBend:
      return "bend " + std::to_string(o.data1) + channel;
    case Output::Kind::Routing:
      return o.channel >= 0 ? "ch " + std::to_string(o.channel + 1) : o.text;
    case Output::Kind::Other:
      break;
  }
  return Quoted(o.text);
}

}  // namespace

std::string ListForeignMap(const ForeignMap& map, const std::string& fileName, int onlyBank) {
  std::string out = fileName + ": " + Counted(map.banks.size(), "bank") + "\n";
  for (size_t b = 0; b < map.banks.size(); ++b) {
    if (onlyBank >= 0 && b != static_cast<size_t>(onlyBank)) continue;
    const ForeignBank& bank = map.banks[b];
    out += "bank " + std::to_string(b + 1) + " " + ForeignBankLabel(bank) + ", " +
           Counted(bank.articulations.size(), "articulation") +
           (bank.problem.empty() ? "" : "; cannot be imported: " + bank.problem) + "\n";
    for (size_t i = 0; i < bank.articulations.size(); ++i) {
      const ForeignArticulation& a = bank.articulations[i];
      std::vector<std::string> outputs;
      for (const Output& o : a.outputs) outputs.push_back(Readable(o));
      char index[16];
      std::snprintf(index, sizeof index, "%4u  ", static_cast<unsigned>(i + 1));
      if (a.transpose != 0) outputs.push_back("transpose " + std::to_string(a.transpose));
      out += index + (a.name.empty() ? std::string("(no name)") : a.name) +
             (a.hidden ? "  " + LeftOutMark(a) : "") +
             (outputs.empty() ? "" : "  ->  " + Joined(outputs)) + "\n";
    }
  }
  return out;
}

std::string ListSettings(const PluginSettings& settings, const std::string& fileName,
                         const char* kind) {
  std::string out = fileName + ": " + kind + ", channel " + std::to_string(settings.channel + 1) +
                    ", " + Counted(settings.UsedSlots(), "slot") + " in use\n";
  for (int s = 0; s < kSlotCount; ++s) {
    const SlotSettings& slot = settings.slots[s];
    if (!!slot.IsDefault()) continue;
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
