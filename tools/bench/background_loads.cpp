#include "tools/bench/background_loads.h"

#include <objidl.h>

#include <string>
#include <vector>

#include "embedded_maps.h"
#include "maps/map_loading.h"
#include "tests/support/com_streams.h"

namespace {

struct Choice {
  const MapOffer* offer;
  MapPick pick;
};

}  // namespace

BackgroundLoads::BackgroundLoads(const RawPlugin& plugin, double perSecond)
    : plugin_(plugin), perSecond_(perSecond) {
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

BackgroundLoads::~BackgroundLoads() { Stop(); }

long BackgroundLoads::Stop() {
  stop_.store(true);
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return loads_.load();
}

DWORD WINAPI BackgroundLoads::Run(void* argument) {
  auto& self = *static_cast<BackgroundLoads*>(argument);
  std::vector<MapOffer> offers;
  for (const EmbeddedMap& map : kEmbeddedMaps) {
    const std::string text = map.text;
    MapOffer offer;
    MapLoadReport report;
    if (InspectMapFile(map.name, {text.begin(), text.end()}, offer, report))
      offers.push_back(std::move(offer));
  }
  std::vector<Choice> choices;
  for (const MapOffer& offer : offers) {
    if (offer.kind != MapFileKind::ForeignMap) {
      choices.push_back({&offer, {}});
      continue;
    }
    for (size_t b = 0; b < offer.banks.size(); ++b)
      for (size_t p = 0; p < offer.banks[b].pages.size(); ++p) choices.push_back({&offer, {b, p}});
  }
  const DWORD pause = static_cast<DWORD>(1000.0 / self.perSecond_);
  for (size_t next = 0; !self.stop_.load() && !choices.empty(); ++next) {
    const Choice& choice = choices[next % choices.size()];
    IStream* saved = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &saved);
    self.plugin_.SaveOrLoadState(saved, 1);
    const std::vector<uint8_t> current = StreamBytes(saved);
    saved->Release();
    std::vector<uint8_t> loaded;
    MapLoadReport report;
    if (BuildLoadedState(*choice.offer, choice.pick, current, loaded, report)) {
      IStream* in = StreamOver(loaded);
      self.plugin_.SaveOrLoadState(in, 0);
      in->Release();
      self.loads_.fetch_add(1);
    }
    Sleep(pause);
  }
  return 0;
}
