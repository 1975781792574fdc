// Notes played while the window thread loads one map after another must
// switch with one map's slot or the other's, never with defaults or a mix.
// Two maps differ in every value of every slot (keyswitch, its velocity,
// UACC, modwheel, an action), so each note, played with a colour other than
// the last note's, sends all of its slot's switching messages; the window
// thread alternates the maps by every path that replaces the slots (a load
// from a file, Undo load, the table's ReplaceSlots) and the main thread
// saves as a host does. Built under ThreadSanitizer, which also reports any
// data race on the way.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "engine/voice_params.h"
#include "maps/map_loader.h"
#include "maps/plugin_settings.h"
#include "maps/state_bytes.h"
#include "state/memory_byte_stream.h"
#include "tests/hostile/run_options.h"

namespace {

constexpr int kMaps = 2;
constexpr int kActionController = 58;

// Map m, slot k: every value distinct from every other slot's and map's.
SlotSettings SlotOf(int map, int slot) {
  SlotSettings s;
  s.name = "slot " + std::to_string(slot + 1);
  s.keyswitch = map * 32 + slot;
  s.uacc = map * 32 + slot + 64;
  s.modwheel = map * 32 + slot + 1;
  s.additions.keyswitchVelocity = static_cast<uint8_t>(100 + map);
  s.additions.actionCount = 1;
  s.additions.actions[0] = {ActionKind::kControlChange, 0, kActionController,
                            static_cast<uint16_t>(map * 32 + slot)};
  return s;
}

SlotSettingsArray MapSlots(int map) {
  SlotSettingsArray slots;
  for (int k = 0; k < kSlotCount; ++k) slots[k] = SlotOf(map, k);
  return slots;
}

// The messages one note sent before its note-on, read back as the values
// they carry; -1 for a message that did not come.
struct Switch {
  int keyswitch = -1, velocity = -1, uacc = -1, modwheel = -1, action = -1;
};

// Records only what the audio thread sends: no other thread sends here.
class SwitchHost : public PluginHost {
 public:
  std::vector<uint32_t> sent;
  std::atomic<int32_t> colour{0};

  intptr_t PLUG_CALL HostDispatch(int32_t, int32_t, int32_t, intptr_t) override { return 0; }
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t, int32_t) override {}
  void PLUG_CALL ShowHint(int32_t, const char*) override {}
  void PLUG_CALL EndVoice(int32_t, int32_t) override {}
  int32_t PLUG_CALL QueryVoice(int32_t, int32_t, int32_t, int32_t) override {
    return colour.load();
  }
  void PLUG_CALL SendMidi(int32_t, uint32_t message) override { sent.push_back(message); }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override {
    return 0;
  }
};

// What came before the note's own note-on, the last message of its trigger.
Switch ReadSwitch(const std::vector<uint32_t>& messages) {
  Switch s;
  for (size_t i = 0; i + 1 < messages.size(); ++i) {
    const uint32_t m = messages[i];
    const int status = m & 0xF0, data1 = (m >> 8) & 0x7F, data2 = (m >> 16) & 0x7F;
    if (status == 0x90 && data2 != 0 && s.keyswitch < 0) {
      s.keyswitch = data1;
      s.velocity = data2;
    } else if (status == 0xB0 && data1 == 32) {
      s.uacc = data2;
    } else if (status == 0xB0 && data1 == 1) {
      s.modwheel = data2;
    } else if (status == 0xB0 && data1 == kActionController) {
      s.action = data2;
    }
  }
  return s;
}

bool IsMapsSlot(const Switch& s, int map, int slot) {
  const SlotSettings want = SlotOf(map, slot);
  return s.keyswitch == want.keyswitch && s.velocity == want.additions.keyswitchVelocity &&
         s.uacc == want.uacc && s.modwheel == want.modwheel &&
         s.action == want.additions.actions[0].value;
}

std::vector<uint8_t> MapState(int map) {
  PluginSettings settings;
  settings.slots = MapSlots(map);
  return EncodeState(settings);
}

}  // namespace

int main(int argc, char** argv) {
  const hostile::RunOptions options = hostile::ParseRunOptions(argc, argv);
  SwitchHost host;
  ArticulationEngine engine(&host, 1);
  engine.InitState();
  MapLoader loader(engine.model, nullptr);
  std::string error;
  if (!loader.ReplaceSlots(MapSlots(0), error)) {
    std::printf("could not set up: %s\n", error.c_str());
    return 1;
  }

  std::atomic<bool> stop{false};
  std::atomic<size_t> loads{0}, saves{0};
  // The window thread: map 0 and map 1 by turns, through every path.
  std::thread window([&] {
    std::vector<uint8_t> states[kMaps] = {MapState(0), MapState(1)};
    for (size_t round = 0; !stop.load(); ++round) {
      const int map = static_cast<int>(round % kMaps);
      MapLoadReport report;
      std::string why;
      switch (round / kMaps % 3) {
        case 0:
          loader.LoadFile("map.state", states[map], report);
          break;
        case 1:
          // Back to the other map by Undo load when the last step was a load.
          if (!loader.UndoLoad(report)) loader.ReplaceSlots(MapSlots(map), why);
          break;
        default:
          loader.ReplaceSlots(MapSlots(map), why);
          break;
      }
      loads.fetch_add(1);
    }
  });
  std::thread mainThread([&] {
    while (!stop.load()) {
      MemoryByteStream out;
      loader.SaveHostState(out);
      saves.fetch_add(1);
      std::this_thread::yield();
    }
  });

  // The audio thread: this one. Each note takes the next colour, so the one
  // before it was another slot and every value it switches differs.
  size_t notes = 0, mixed = 0, ofMap[kMaps] = {};
  std::string firstMixed;
  unsigned char params[kVoiceParamsMinSize] = {};
  const float level = 0.8f, pitch = 0.0f;
  std::memcpy(params + kVoiceParamsLevelOffset, &level, sizeof level);
  std::memcpy(params + kVoiceParamsPitchOffset, &pitch, sizeof pitch);
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
  while (std::chrono::steady_clock::now() < end) {
    const int slot = static_cast<int>(notes % kSlotCount);
    host.colour.store(slot);
    host.sent.clear();
    const intptr_t voice = engine.TriggerVoice(params, static_cast<int32_t>(notes + 1));
    const Switch s = ReadSwitch(host.sent);
    engine.KillVoice(voice);
    int from = -1;
    for (int map = 0; map < kMaps; ++map)
      if (IsMapsSlot(s, map, slot)) from = map;
    if (from < 0) {
      if (mixed++ == 0) {
        firstMixed = "slot " + std::to_string(slot + 1) + ": keyswitch " +
                     std::to_string(s.keyswitch) + " v" + std::to_string(s.velocity) + ", UACC " +
                     std::to_string(s.uacc) + ", modwheel " + std::to_string(s.modwheel) +
                     ", action " + std::to_string(s.action);
      }
    } else {
      ++ofMap[from];
    }
    ++notes;
  }
  stop.store(true);
  window.join();
  mainThread.join();

  std::printf(
      "whole switch: %zu loads, %zu saves, %zu notes (%zu of map 1, %zu of map 2), %zu mixed\n",
      loads.load(), saves.load(), notes, ofMap[0], ofMap[1], mixed);
  if (mixed != 0 || ofMap[0] == 0 || ofMap[1] == 0 || loads.load() < 2) {
    if (mixed != 0) std::printf("first mixed switch: %s\n", firstMixed.c_str());
    std::printf("0 passed, 1 failed\n");
    return 1;
  }
  std::printf("1 passed, 0 failed\n");
  return 0;
}
