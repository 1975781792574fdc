// Feeds arbitrary bytes to the plug-in's map loading as a drop or a paste
// does: the file is either refused in one line naming it, or every bank and
// page it offers builds a state the plug-in's own save format holds. A
// load of another program's map keeps everything but the slots; a refused
// load leaves the state it was given untouched. plughost's reader of the
// same bytes refuses them in the same words, or reads them too, and gives
// each page the slots its --bank and --pick give. The first byte chooses
// the name the file is dropped under.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "maps/map_loading.h"
#include "maps/state_bytes.h"
#include "tools/plughost/settings_source.h"

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

// The words after "NAME: ", on one line as the panel's hint has them.
std::string Refusal(const std::string& message, const std::string& prefix) {
  std::string rest = message.rfind(prefix, 0) == 0 ? message.substr(prefix.size()) : message;
  for (char& c : rest)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return rest;
}

// The slots plughost gives for a page: --bank and --pick of its articulations.
bool PlughostSlots(const std::string& name, SettingsSource source, size_t bank, const MapPage& page,
                   PluginSettings& slots) {
  ImportChoice choice{std::to_string(bank + 1), {}};
  for (size_t number : page.numbers) choice.pick.push_back(std::to_string(number));
  std::string error;
  if (!ChooseSettings(name, choice, source, error)) return false;
  slots = source.settings;
  return true;
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
  SettingsSource source;
  std::string error;
  const bool plughostRead = ReadSettingsSource(name, bytes, source, error);
  if (!InspectMapFile(name, bytes, offer, report)) {
    if (report.summary.rfind("Not loaded: " + name + ": ", 0) != 0)
      Broken("a refusal that does not name the file", report.summary);
    if (report.summary.find('\n') != std::string::npos)
      Broken("a refusal of two lines", report.summary);
    if (plughostRead) Broken("plughost reads what the panel refuses", report.summary);
    if (Refusal(report.summary, "Not loaded: " + name + ": ") != Refusal(error, name + ": "))
      Broken("plughost refuses in other words", report.summary + " | " + error);
    return 0;
  }
  if (!plughostRead) Broken("plughost refuses what the panel reads", error);
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
        PluginSettings imported;
        if (!PlughostSlots(name, source, b, offer.banks[b].pages[p], imported) ||
            imported.slots != loaded.slots)
          Broken("plughost gives a page other slots", report.summary);
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
