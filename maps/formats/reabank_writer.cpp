// Writing one Reaticulate bank from the plug-in's slots.
#include <array>
#include <cstdint>
#include <cstdio>

#include "maps/formats/export_items.h"
#include "maps/formats/reabank.h"
#include "maps/formats/xml_support.h"
#include "maps/icon_names.h"
#include "maps/text_encoding.h"

namespace {

constexpr const char* kGroupPath = "Quindle Velmora";

// Text for one line: line breaks and other control characters become spaces.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return text;
}

std::string QuotedValue(const std::string& text) {
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("&quot;") : std::string(1, c);
  return out + "\"";
}

// A stable id for a bank of this title, so that exporting again keeps the
// bank's identity: two 64-bit FNV-1a hashes of it, marked as a version-8 UUID.
std::string BankId(const std::string& title) {
  const std::string seeds[2] = {"quindle-velmora:" + title, title + ":velmora-bank"};
  uint64_t h[2] = {0xcbf29ce484222325ull, 0xcbf29ce484222325ull};
  for (int k = 0; k < 2; ++k)
    for (unsigned char c : seeds[k]) h[k] = (h[k] ^ c) * 0x100000001b3ull;
  uint8_t b[16];
  for (int i = 0; i < 16; ++i) b[i] = static_cast<uint8_t>(h[i / 8] >> (8 * (i % 8)));
  b[6] = (b[6] & 0x0F) | 0x80;
  b[8] = (b[8] & 0x3F) | 0x80;
  char text[40];
  std::snprintf(text, sizeof text,
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0], b[1],
                b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                b[15]);
  return text;
}

// Program numbers: a slot's UACC value where no earlier slot took it, then
// the lowest numbers still free for the others.
std::array<int, kSlotCount> Programs(const PluginSettings& s, int count) {
  std::array<int, kSlotCount> program{};
  std::array<bool, 128> taken{};
  program.fill(-1);
  for (int i = 0; i < count; ++i) {
    const int uacc = s.slots[i].uacc;
    if (uacc >= 0 && uacc < 128 && !taken[uacc]) program[i] = uacc, taken[uacc] = true;
  }
  int next = 0;
  for (int i = 0; i < count; ++i) {
    if (program[i] >= 0) continue;
    while (taken[next]) ++next;
    program[i] = next;
    taken[next] = true;
  }
  return program;
}

// "@3": an event's channel.
std::string Channel(int channel) {
  std::string text(1, '@');
  return text.append(std::to_string(channel));
}

// Reaticulate reads at most this many events of an articulation.
constexpr size_t kMaxEvents = 16;

// One event per message, "@ch" for a channel of its own. An event routes
// the played notes to its channel unless prefixed with '-', so each routes
// exactly when its channel is one of the slot's note channels; a note
// channel no event reaches gets a bare "@ch". Each event is written with the
// item it holds, for the losses when there are too many.
std::string Outputs(const SlotSettings& slot, int index, ExportLosses& losses) {
  std::vector<std::pair<std::string, std::string>> events;  // text, item
  const uint32_t channels = slot.additions.noteChannels;
  uint32_t reached = 0;
  for (const SlotMessage& m : SlotMessages(slot)) {
    const uint32_t bit = m.channel == 0 ? kPluginChannelBit : 1u << (m.channel - 1);
    const bool routes = (channels & bit) != 0;
    if (routes) reached |= bit;
    const std::string at = m.channel == 0 ? "" : Channel(m.channel);
    const std::string d1 = std::to_string(m.data1), d2 = std::to_string(m.data2);
    std::string event = routes ? "" : "-";
    switch (m.status) {
      case 144:
        event += (m.held ? "note-hold" : "note") + at + ":" + d1 + (m.data2 != 127 ? "," + d2 : "");
        break;
      case 176:
        event += "cc" + at + ":" + d1 + "," + d2;
        break;
      case 192:
        event += "program" + at + ":" + d1;
        break;
      default:
        event += "pitch" + at + ":" + std::to_string((m.data2 << 7 | m.data1) - kPitchBendCentre);
        break;
    }
    events.emplace_back(event, MessageItem(m));
  }
  // With no event that routes, the notes stay on the plug-in's channel.
  if (reached != 0 || channels != kPluginChannelBit) {
    for (int c = 0; c < 16; ++c)
      if ((channels & ~reached) & (1u << c))
        events.emplace_back(Channel(c + 1), NoteChannelItem(c + 1));
    // Only an event sent there routes to the track's own channel.
    if ((channels & kPluginChannelBit) && !(reached & kPluginChannelBit))
      losses.push_back({index, NoteChannelItem(0),
                        "a .reabank plays the notes on the track's channel beside others only "
                        "through an output sent there, and this slot sends none there"});
  }
  std::string out;
  for (size_t i = 0; i < events.size(); ++i) {
    if (i < kMaxEvents)
      out += (out.empty() ? "" : "/") + events[i].first;
    else
      losses.push_back(
          {index, events[i].second,
           "a .reabank articulation holds at most " + std::to_string(kMaxEvents) + " outputs"});
  }
  return out;
}

}  // namespace

std::string WriteReabank(const PluginSettings& settings, const std::string& title,
                         ExportLosses* losses) {
  ExportLosses unused;
  ExportLosses& lost = losses ? *losses : unused;
  std::string name = OneLine(title);
  const size_t first = name.find_first_not_of(' ');
  name = first == std::string::npos ? kGroupPath
                                    : name.substr(first, name.find_last_not_of(' ') - first + 1);
  int count = 1;  // a bank needs one articulation even when every slot is empty
  for (int i = 0; i < kSlotCount; ++i)
    if (!settings.slots[i].IsDefault()) count = i + 1;
  const auto programs = Programs(settings, count);

  std::string out = "// Reaticulate bank written by Quindle Velmora.\n";
  out += "// Articulation k is the plug-in's slot k; a bare number keeps an empty slot's place.\n";
  out +=
      "//! g=" + QuotedValue(kGroupPath) + " n=" + QuotedValue(name) + " id=" + BankId(name) + "\n";
  out += "Bank * * " + name + "\n";
  for (int i = 0; i < count; ++i) {
    const SlotSettings& slot = settings.slots[i];
    const std::string number = std::to_string(programs[i]);
    if (slot.IsDefault()) {
      out += number + "\n";
      continue;
    }
    const char* icon = IconName(slot.icon);
    const std::string outputs = Outputs(slot, i, lost);
    std::string attributes;
    if (icon) attributes += " i=" + std::string(icon);
    if (!outputs.empty()) attributes += " o=" + outputs;
    if (slot.additions.transpose != 0)
      attributes += " transpose=" + std::to_string(slot.additions.transpose);
    if (!attributes.empty()) out += "//!" + attributes + "\n";
    out += number + " " + OneLine(Windows1252ToUtf8(slot.name)) + "\n";
  }
  return out;
}
