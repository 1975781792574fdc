// The sound check over the whole built-in library, through the DLL as a host
// drives it: every map the program has built in, factory and community
// maps alike, is loaded into one
// instance of the plug-in, which plays one note per slot, and before each
// note it must send exactly the messages the map's source lists for that
// articulation, in order, on the right channel, and play the note on the
// channels the source routes it to.
//
// Usage: factory_sound_check SOURCES [DLL]. The sources are converted again
// to know where each map comes from (and the built-in library must be what
// they give); each source file is then read as the file it is.
//
// The plug-in sends a slot's keyswitch, UACC and modwheel first, then its
// other messages: where the source lists them in another order, the check
// expects the plug-in's (the conversion warns of each such slot) and counts
// those slots.
//
// The plug-in sends a slot's keyswitch, UACC and modwheel only when they
// differ from what it sent last since the map was loaded (a keyswitch by its
// note and velocity, so keyswitches told apart by velocity are sent again):
// a listed message that is the slot's own keyswitch, UACC or modwheel and
// already in force is not expected again, and the check counts them. The map's channel is set to 3,
// so messages for the track's channel must follow it, and controller broadcasts are silenced (CC
// ghosting), so what comes out is the switching alone.
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "maps/articulation_map.h"
#include "maps/factory_library.h"
#include "maps/map_formats.h"
#include "maps/state_bytes.h"
#include "tools/factory/factory_conversion.h"
#include "tools/plughost/plug_host.h"
#include "tools/plughost/plugin_instance.h"
#include "tools/render/host_voice_params.h"

namespace {

constexpr int kChannel = 2;  // 0-based: channel 3
constexpr int kPlayedKey = 60;

struct Message {
  uint8_t status, data1, data2;
  bool operator==(const Message&) const = default;
};

std::string Text(const Message& m) {
  char text[48];
  std::snprintf(text, sizeof text, "%02X %d %d", m.status, m.data1, m.data2);
  return text;
}

std::string Texts(const std::vector<Message>& list) {
  std::string out;
  for (const Message& m : list) out += (out.empty() ? "" : ", ") + Text(m);
  return "[" + out + "]";
}

bool IsNoteOff(const Message& m) {
  return (m.status & 0xF0) == 0x80 || ((m.status & 0xF0) == 0x90 && m.data2 == 0);
}

class Recorder final : public HostListener {
 public:
  std::vector<uint32_t> midi;
  int32_t colour = 0;
  std::vector<int32_t> ended;
  void OnMidi(uint32_t message) override { midi.push_back(message); }
  int32_t OnColour(int32_t) override { return colour; }
  void OnVoiceEnded(int32_t tag) override { ended.push_back(tag); }
};

// What the source lists for one articulation, as messages; false when it
// lists something no message can send.
bool Listed(const ForeignArticulation& a, std::vector<Message>& out, std::vector<Message>& tapped,
            uint16_t& routes) {
  routes = 0;
  for (const ForeignOutput& o : a.outputs) {
    const uint8_t ch = static_cast<uint8_t>(o.channel < 0 ? kChannel : o.channel);
    if (o.routes) routes |= static_cast<uint16_t>(1u << ch);
    const uint8_t d1 = static_cast<uint8_t>(o.data1), d2 = static_cast<uint8_t>(o.data2);
    switch (o.kind) {
      case ForeignOutput::Kind::Note:
        tapped.push_back({static_cast<uint8_t>(0x90 | ch), d1, 0});
        [[fallthrough]];
      case ForeignOutput::Kind::HeldNote:
        out.push_back({static_cast<uint8_t>(0x90 | ch), d1, d2 == 0 ? uint8_t{127} : d2});
        break;
      case ForeignOutput::Kind::ControlChange:
        out.push_back({static_cast<uint8_t>(0xB0 | ch), d1, d2});
        break;
      case ForeignOutput::Kind::ProgramChange:
        out.push_back({static_cast<uint8_t>(0xC0 | ch), d1, 0});
        break;
      case ForeignOutput::Kind::PitchBend: {
        const int bend = o.data1 + 8192;
        out.push_back({static_cast<uint8_t>(0xE0 | ch), static_cast<uint8_t>(bend & 0x7F),
                       static_cast<uint8_t>(bend >> 7)});
        break;
      }
      case ForeignOutput::Kind::Routing:
        break;
      case ForeignOutput::Kind::Other:
        return false;
    }
  }
  if (routes == 0) routes = 1u << kChannel;
  return true;
}

// The slot's three fields as the plug-in holds them, and what it sent last.
struct InForce {
  std::optional<std::pair<int, int>> keyswitch;
  std::optional<int> uacc, modwheel;
};

// `listed` in the plug-in's order: the first messages that are the slot's
// keyswitch, UACC and modwheel moved to the front in that order, the rest
// after them as listed.
std::vector<Message> FieldsFirst(const SlotSettings& slot, const std::vector<Message>& listed) {
  std::vector<Message> rest = listed, fields;
  const auto take = [&](const Message& m) {
    const auto found = std::find(rest.begin(), rest.end(), m);
    if (found == rest.end()) return;
    fields.push_back(*found);
    rest.erase(found);
  };
  const uint8_t cc = 0xB0 | kChannel;
  if (slot.keyswitch != kUnset)
    take({static_cast<uint8_t>(0x90 | kChannel), static_cast<uint8_t>(slot.keyswitch),
          static_cast<uint8_t>(slot.additions.keyswitchVelocity)});
  if (slot.uacc != kUnset) take({cc, 32, static_cast<uint8_t>(slot.uacc)});
  if (slot.modwheel != kUnset) take({cc, 1, static_cast<uint8_t>(slot.modwheel)});
  fields.insert(fields.end(), rest.begin(), rest.end());
  return fields;
}

// Drops from `listed` the first message that is a field already in force.
void DropInForce(const SlotSettings& slot, const InForce& last, std::vector<Message>& listed,
                 size_t& notResent) {
  const auto drop = [&](const Message& m) {
    for (auto it = listed.begin(); it != listed.end(); ++it)
      if (*it == m) {
        listed.erase(it);
        ++notResent;
        return;
      }
  };
  const uint8_t cc = 0xB0 | kChannel;
  const int velocity = slot.additions.keyswitchVelocity;
  if (slot.keyswitch != kUnset && last.keyswitch == std::make_pair(slot.keyswitch, velocity))
    drop({static_cast<uint8_t>(0x90 | kChannel), static_cast<uint8_t>(slot.keyswitch),
          static_cast<uint8_t>(velocity)});
  if (slot.uacc != kUnset && last.uacc == slot.uacc)
    drop({cc, 32, static_cast<uint8_t>(slot.uacc)});
  if (slot.modwheel != kUnset && last.modwheel == slot.modwheel)
    drop({cc, 1, static_cast<uint8_t>(slot.modwheel)});
}

struct Totals {
  size_t maps = 0, good = 0, notes = 0, notResent = 0, velocityResent = 0, reordered = 0;
};

class Check {
 public:
  Check(const PluginLibrary& library, const std::filesystem::path& sources)
      : host_(&recorder_), instance_(library, &host_), sources_(sources) {}

  bool created() const { return instance_.created(); }

  // Empty when the map sends what its source lists; else the first difference.
  std::string Map(const FactoryMap& m, const std::string& text, Totals& totals) {
    const ForeignBank* bank = SourceBank(m.source, m.bank);
    if (!bank) return "its source bank cannot be read";
    std::vector<const ForeignArticulation*> visible;
    for (const ForeignArticulation& a : bank->articulations)
      if (!a.hidden) visible.push_back(&a);
    PluginSettings settings;
    MapError mapError;
    if (!ParseArticulationMap(text, settings, mapError)) return "not a map: " + mapError.message;
    settings.channel = kChannel;
    settings.ccGhosting = 1;

    // A load starts from nothing sent, so every slot's messages are due.
    std::string error;
    if (!instance_.LoadState(EncodeState(settings), error)) return error;
    InForce last;
    for (size_t k = 0; k < kSlotCount; ++k) {
      const size_t source = m.page * kSlotCount + k;
      if (source >= visible.size()) break;
      const ForeignArticulation& a = *visible[source];
      const SlotSettings& slot = settings.slots[k];
      std::vector<Message> listed, tapped;
      uint16_t routes = 0;
      if (!Listed(a, listed, tapped, routes))
        return "slot " + std::to_string(k + 1) + " lists an output no message sends";
      std::vector<Message> ordered = FieldsFirst(slot, listed);
      if (ordered != listed) ++totals.reordered;
      listed = std::move(ordered);
      DropInForce(slot, last, listed, totals.notResent);
      if (slot.keyswitch != kUnset) {
        const std::pair<int, int> ks{slot.keyswitch, slot.additions.keyswitchVelocity};
        if (last.keyswitch && last.keyswitch->first == ks.first &&
            last.keyswitch->second != ks.second)
          ++totals.velocityResent;
        last.keyswitch = ks;
      }
      if (slot.uacc != kUnset) last.uacc = slot.uacc;
      if (slot.modwheel != kUnset) last.modwheel = slot.modwheel;

      std::vector<Message> sent;
      for (uint32_t word : Play(k)) {
        if (word >> 24 != 0) return "a message on port " + std::to_string(word >> 24);
        sent.push_back({static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                        static_cast<uint8_t>(word >> 16)});
      }
      ++totals.notes;

      const std::string where = "slot " + std::to_string(k + 1) + " \"" + a.name + "\": ";
      // The played note, last, on each routed channel from the lowest.
      const int key = kPlayedKey + a.transpose;
      std::vector<Message> played;
      for (int ch = 0; ch < 16; ++ch)
        if (routes & (1u << ch))
          played.push_back({static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(key), 0});
      if (sent.size() < played.size()) return where + "sent " + Texts(sent) + ", no note";
      for (size_t i = 0; i < played.size(); ++i) {
        Message got = sent[sent.size() - played.size() + i];
        got.data2 = 0;
        if (!(got == played[i]))
          return where + "the note went out as " + Texts(sent) + ", not on the channels routed";
      }
      sent.resize(sent.size() - played.size());
      std::vector<Message> switching, offs;
      for (const Message& s : sent) (IsNoteOff(s) ? offs : switching).push_back(s);
      if (switching != listed)
        return where + "sent " + Texts(switching) + ", its source lists " + Texts(listed);
      for (const Message& on : tapped) {
        const bool ended = std::any_of(offs.begin(), offs.end(), [&](const Message& off) {
          return (off.status & 0x0F) == (on.status & 0x0F) && off.data1 == on.data1;
        });
        const bool listedNow = std::find_if(listed.begin(), listed.end(), [&](const Message& l) {
                                 return l.status == on.status && l.data1 == on.data1;
                               }) != listed.end();
        if (listedNow && !ended) return where + "no note-off for the tapped " + Text(on);
      }
    }
    return "";
  }

 private:
  // One note of the slot, start to end; what the plug-in sent for its start.
  std::vector<uint32_t> Play(size_t slot) {
    recorder_.midi.clear();
    recorder_.colour = static_cast<int32_t>(slot);
    HostVoiceParams params;
    params.pitch = static_cast<float>((kPlayedKey - 60) * 100);
    const intptr_t voice = instance_.plugin().TriggerVoice(&params, static_cast<int32_t>(slot + 1));
    std::vector<uint32_t> started = recorder_.midi;
    instance_.plugin().ReleaseVoice(voice);
    instance_.plugin().KillVoice(voice);
    return started;
  }

  const ForeignBank* SourceBank(const std::string& file, size_t bank) {
    auto found = read_.find(file);
    if (found == read_.end()) {
      std::ifstream in(sources_ / file, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()};
      ForeignMap map;
      ImportError error;
      if (!ReadForeignMap(file, bytes, map, error)) map.banks.clear();
      found = read_.emplace(file, std::move(map)).first;
    }
    return bank < found->second.banks.size() ? &found->second.banks[bank] : nullptr;
  }

  Recorder recorder_;
  PlugHost host_;
  PluginInstance instance_;
  std::filesystem::path sources_;
  std::map<std::string, ForeignMap> read_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: factory_sound_check SOURCES [DLL]\n", stderr);
    return 2;
  }
  if (!std::filesystem::is_directory(argv[1])) {
    std::printf("factory sound check skipped: the sources are not at %s\n", argv[1]);
    return 0;
  }
  const LARGE_INTEGER start = [] {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
  }();
  FactoryConversion conversion;
  std::string error;
  if (!ConvertFactorySources(argv[1], conversion, error)) {
    std::printf("factory sound check: %s\n", error.c_str());
    return 1;
  }
  if (conversion.maps.size() != FactoryMapCount()) {
    std::printf("the built-in library holds %zu maps, its sources give %zu\n", FactoryMapCount(),
                conversion.maps.size());
    return 1;
  }
  std::string why;
  const auto library = OpenPluginLibrary(argc > 2 ? argv[2] : "QuindleVelmora.dll", why);
  if (!library) {
    std::printf("factory sound check: %s\n", why.c_str());
    return 1;
  }
  Check check(*library, argv[1]);
  if (!check.created()) {
    std::printf("factory sound check: the plug-in made no instance\n");
    return 1;
  }
  Totals totals;
  for (size_t i = 0; i < conversion.maps.size(); ++i) {
    const FactoryMap& m = conversion.maps[i];
    std::string text, problem;
    ++totals.maps;
    if (!FactoryMapText(i, text, problem) || text != m.text || m.name != FactoryMapAt(i).name)
      problem =
          "the built-in map is not what its source gives" + (problem.empty() ? "" : ": " + problem);
    else
      problem = check.Map(m, text, totals);
    if (problem.empty())
      ++totals.good;
    else
      std::printf("%s (%s, bank %zu): %s\n", m.name.c_str(), m.source.c_str(), m.bank + 1,
                  problem.c_str());
  }
  LARGE_INTEGER end, frequency;
  QueryPerformanceCounter(&end);
  QueryPerformanceFrequency(&frequency);
  std::printf(
      "%zu of %zu maps send what their source lists (%zu notes; %zu velocity-coded keyswitches "
      "sent again; %zu listed messages already in force not sent again; %zu slots send their "
      "keyswitch, UACC and modwheel ahead of outputs listed before them) in %.1f s\n",
      totals.good, totals.maps, totals.notes, totals.velocityResent, totals.notResent,
      totals.reordered, double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  return totals.good == totals.maps ? 0 : 1;
}
