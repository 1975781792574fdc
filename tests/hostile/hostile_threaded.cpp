// The hostile host on three threads, as hosts call: notes, parameters and
// events on an audio thread; state saves and loads, name queries and
// playback dispatches on the main thread; editor edits and map loads,
// pastes, undos and saves (as the panel makes them) on a window thread.
// Built under ThreadSanitizer, which reports any access that is a data race;
// at the end the run stops playback, kills every voice and checks that no
// key sounds and that every message was well formed.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "tests/hostile/engine_target.h"
#include "tests/hostile/hostile_driver.h"
#include "tests/hostile/map_loads.h"
#include "tests/hostile/run_options.h"

namespace {

using hostile::Random;

struct LiveVoice {
  intptr_t handle;
  int32_t tag;
};

// The audio thread's host: it starts voices, releases and kills them, and
// kills those the plug-in asked it to end, whichever thread asked.
void AudioThread(ArticulationEngine& engine, HostileHost& host, uint64_t seed, const std::atomic<bool>& stop,
                 size_t& calls) {
  Random random(seed);
  std::vector<LiveVoice> voices;
  std::vector<int32_t> ended;
  int32_t nextTag = 0;
  float buffer[2 * 64];
  while (!stop.load(std::memory_order_relaxed)) {
    const uint32_t a = random.Word(), b = random.Word(), c = random.Word();
    ++calls;
    switch (a % 10) {
      case 0:
      case 1:
      case 2: {
        unsigned char params[32] = {};
        const float level = hostile::detail::Level(c);
        const float pitch = hostile::detail::Pitch(b, c);
        std::memcpy(params + 4, &level, 4);
        std::memcpy(params + 28, &pitch, 4);
        host.PlanColour(hostile::detail::Colour(c >> 8));
        const intptr_t handle = engine.TriggerVoice(params, ++nextTag);
        if (handle != 0) voices.push_back({handle, nextTag});
        break;
      }
      case 3:
        if (!voices.empty()) engine.ReleaseVoice(voices[b % voices.size()].handle);
        break;
      case 4:
      case 5: {
        // Kill what the plug-in asked to end.
        for (int32_t tag : host.TakeEnded()) ended.push_back(tag);
        for (size_t i = 0; i < voices.size();) {
          const bool asked = std::find(ended.begin(), ended.end(), voices[i].tag) != ended.end();
          if (asked) {
            engine.KillVoice(voices[i].handle);
            voices[i] = voices.back();
            voices.pop_back();
          } else {
            ++i;
          }
        }
        ended.clear();
        break;
      }
      case 6:
        if (!voices.empty() && b % 4 == 0) {
          const size_t i = b % voices.size();
          engine.KillVoice(voices[i].handle);
          voices[i] = voices.back();
          voices.pop_back();
        }
        break;
      case 7:
        engine.ProcessParam(hostile::detail::AnyInt(b, c, -2, 130), static_cast<int32_t>(c % 200) - 30,
                            static_cast<int32_t>(b & 0x37));
        break;
      case 8: engine.ProcessEvent(2 + static_cast<int32_t>(b % 2), static_cast<int32_t>(c), 0); break;
      default: {
        int32_t length = static_cast<int32_t>(b % 64);
        engine.RenderVoice(voices.empty() ? 0 : voices[b % voices.size()].handle, buffer, &length);
        break;
      }
    }
  }
  // The end of the session: playback stops; the host kills everything.
  for (int32_t tag : host.TakeEnded()) ended.push_back(tag);
  for (const LiveVoice& v : voices) engine.KillVoice(v.handle);
}

void MainThread(ArticulationEngine& engine, MapLoader& loader, uint64_t seed, const std::atomic<bool>& stop,
                size_t& calls) {
  Random random(seed);
  std::vector<uint8_t> saved;
  char text[256];
  while (!stop.load(std::memory_order_relaxed)) {
    const uint32_t a = random.Word(), b = random.Word(), c = random.Word();
    ++calls;
    switch (a % 6) {
      case 0: {
        MemoryStream out;
        loader.SaveHostState(out);
        saved = out.bytes;
        break;
      }
      case 1: {
        MemoryStream in(hostile::detail::DamagedState(saved, b, c, a));
        loader.LoadHostState(in);
        break;
      }
      case 2: engine.GetName(static_cast<int32_t>(b % 3 == 2 ? 8 : b % 3), static_cast<int32_t>(c % 20), 0, text); break;
      case 3: engine.PlaybackChanged(true); break;
      case 4: engine.PlaybackChanged(false); break;
      default: std::this_thread::yield(); break;
    }
  }
}

// A map action of the panel's: a load of a real map (whole or damaged, any
// bank or page), a paste of the instance's own map, an undo, a save.
void MapAction(MapLoader& loader, uint32_t a, uint32_t b, uint32_t c, size_t& loads) {
  MapLoadReport report;
  switch (hostile::DrawMapAction(a)) {
    case hostile::MapAction::kLoad: {
      const hostile::MapFileDraw file = hostile::DrawMapFile(b, c);
      MapOffer offer;
      MapPick pick;
      if (MapLoader::Inspect(file.name, file.bytes, offer, report) &&
          hostile::NthChoice(offer, file.choice, pick) && loader.Load(offer, pick, report))
        ++loads;
      break;
    }
    case hostile::MapAction::kPaste: {
      std::string json;
      if (loader.CurrentMapJson(json, report) &&
          loader.LoadFile("the clipboard", {json.begin(), json.end()}, report))
        ++loads;
      break;
    }
    case hostile::MapAction::kUndo:
      loader.UndoLoad(report);
      break;
    case hostile::MapAction::kSaveAs: {
      std::string text;
      loader.CurrentMapText(std::string("map") + hostile::DrawSaveExtension(b), text, report);
      break;
    }
  }
}

void WindowThread(ArticulationEngine& engine, MapLoader& loader, uint64_t seed, const std::atomic<bool>& stop,
                  size_t& calls, size_t& loads) {
  Random random(seed);
  while (!stop.load(std::memory_order_relaxed)) {
    const uint32_t kind = random.Word(), a = random.Word(), b = random.Word();
    if (kind % 16 == 0) {
      MapAction(loader, a, b, random.Word(), loads);
    } else {
      hostile::ApplyEditorEdit(engine, kind, a, b);
    }
    ++calls;
  }
}

}  // namespace

int main(int argc, char** argv) {
  hostile::RunOptions options = hostile::ParseRunOptions(argc, argv);
  HostileHost host(0x5EED);
  ArticulationEngine engine(&host, 0x5EED);
  engine.InitState();
  MapLoader loader(engine.model, nullptr);

  std::atomic<bool> stop{false};
  size_t audioCalls = 0, mainCalls = 0, windowCalls = 0, mapLoads = 0;
  std::thread audio(AudioThread, std::ref(engine), std::ref(host), options.seed, std::cref(stop), std::ref(audioCalls));
  std::thread window(WindowThread, std::ref(engine), std::ref(loader), options.seed + 1, std::cref(stop),
                     std::ref(windowCalls), std::ref(mapLoads));
  std::thread mainThread(MainThread, std::ref(engine), std::ref(loader), options.seed + 2, std::cref(stop),
                         std::ref(mainCalls));
  std::this_thread::sleep_for(std::chrono::duration<double>(options.seconds));
  stop.store(true);
  audio.join();
  window.join();
  mainThread.join();

  // The session ends as at a stop: the notes slot actions hold are let go
  // and everything still in the table is reported. (A stop made while the
  // audio thread was still starting notes may rightly leave a note that a
  // slot holds: it started after that stop.)
  engine.PlaybackChanged(false);
  std::vector<int32_t> reported = host.TakeEnded();
  std::string fault = host.Fault();
  if (engine.voices().LiveCount() != 0) fault = "voices left in the table after the host killed its own";
  const std::string key = host.SoundingKey();
  if (fault.empty() && !key.empty()) fault = "a key still sounds after stop and kill: " + key;

  std::printf("hostile host (threaded): %zu audio, %zu main, %zu window calls (%zu map loads), %llu messages, "
              "seed %llu\n",
              audioCalls, mainCalls, windowCalls, mapLoads, static_cast<unsigned long long>(host.MessageCount()),
              static_cast<unsigned long long>(options.seed));
  if (!fault.empty()) {
    std::printf("finding: %s\n0 passed, 1 failed\n", fault.c_str());
    return 1;
  }
  std::printf("no finding\n1 passed, 0 failed\n");
  return 0;
}
