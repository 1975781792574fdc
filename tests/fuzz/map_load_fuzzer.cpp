// Feeds arbitrary bytes to the plug-in's map loading as a drop or a paste
// does: the file is either refused in one line naming it, or every bank and
// page it offers builds a state the plug-in's own save format holds. A
// load of another program's map keeps everything but the slots; a refused
// load leaves the state it was given untouched. The first byte chooses the
// name the file is dropped under.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "maps/map_loading.h"
#include "maps/state_bytes.h"

namespace {

[[noreturn]] void Broken(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "map loading property broken: %s: %s\n", what.c_str(), detail.c_str());
  std::abort();
}

PluginSettings Current() {
  PluginSettings s;
  s.channel = 5;
  s.port = 9;
  s.preservePortChannel = 1;
  s.controllers = {1, 2, 3, 4, 5, 6};
  s.pageIndex = 2;
  s.selectedSlot = 4;
  s.slots[2].name = "before";
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kNames[] = {"f.reabank",     "f.expressionmap", "f.plist",
                                       "f.doricolib",   "f.json",          "f.state",
                                       "the clipboard", "f.yaml",          "f.keyswitch"};
  if (size == 0) return 0;
  const std::string name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
  const std::vector<uint8_t> bytes(data + 1, data + size);
  MapOffer offer;
  MapLoadReport report;
  if (!InspectMapFile(name, bytes, offer, report)) {
    if (report.summary.rfind("Not loaded: " + name + ": ", 0) != 0)
      Broken("a refusal that does not name the file", report.summary);
    if (report.summary.find('\n') != std::string::npos)
      Broken("a refusal of two lines", report.summary);
    return 0;
  }
  const std::vector<uint8_t> current = EncodeState(Current());
  const size_t banks = offer.kind == MapFileKind::ForeignMap ? offer.banks.size() : 1;
  for (size_t b = 0; b < banks; ++b) {
    const size_t pages = offer.kind == MapFileKind::ForeignMap ? offer.banks[b].pages.size() : 1;
    for (size_t p = 0; p < pages; ++p) {
      std::vector<uint8_t> built = {42};
      if (!BuildLoadedState(offer, {b, p}, current, built, report)) {
        if (built != std::vector<uint8_t>{42})
          Broken("a refused load gave a state", report.summary);
        if (report.summary.rfind("Not loaded: ", 0) != 0)
          Broken("a refusal unsaid", report.summary);
        continue;
      }
      PluginSettings loaded;
      std::string why;
      if (!DecodeState(built, loaded, why)) Broken("a built state does not decode", why);
      if (offer.kind == MapFileKind::ForeignMap) {
        PluginSettings kept = loaded;
        kept.slots = Current().slots;
        if (!(kept == Current()))
          Broken("a peer map changed more than the slots", FirstDifference(Current(), kept));
      } else if (loaded.channel != 5 || loaded.port != 9) {
        Broken("our own file moved a preserved channel or port", report.summary);
      }
    }
  }
  return 0;
}
