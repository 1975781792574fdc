#include "maps/map_loading.h"

#include <exception>
#include <memory>
#include <new>

#include "maps/counted.h"
#include "maps/map_import.h"
#include "maps/map_reading.h"
#include "maps/quoted.h"
#include "maps/state_bytes.h"
#include "maps/state_replay.h"

namespace {

// One line, whatever a reader quoted of the file: a hint shows one line.
bool Refuse(MapLoadReport& report, const std::string& file, const std::string& where,
            const std::string& message) {
  report = {};
  report.summary = "Not loaded: " + file + ": " + (where.empty() ? "" : where + ": ") + message;
  for (char& c : report.summary)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return false;
}

std::string CountsOf(const MapLoadReport& report) {
  std::string counts;
  if (!report.warnings.empty()) counts += "; " + Counted(report.warnings.size(), "warning");
  if (!report.notes.empty())
    counts += (counts.empty() ? "; " : ", ") + Counted(report.notes.size(), "note");
  return counts;
}

// One thing to load, named `name`: our own file, a factory map.
MapBankOffer OneThing(const std::string& name) {
  MapBankOffer one;
  one.label = one.title = name;
  one.pages.resize(1);
  return one;
}

// What the file read offers: our own map or state one thing, another
// program's map its banks and their pages.
MapOffer OfferOf(const std::string& file, MapFileContent content) {
  MapOffer offer;
  offer.fileName = file;
  offer.kind = content.kind;
  if (content.kind != MapFileKind::ForeignMap) {
    offer.ourState = std::move(content.state);
    offer.banks.push_back(OneThing(file));
    return offer;
  }
  offer.foreign = std::move(content.foreign);
  for (const ForeignBank& bank : offer.foreign.banks) offer.banks.push_back(BankOffer(bank));
  return offer;
}

// Our map or state applied as the host applies a state to an instance that
// has loaded one already: the current state first, then the file's.
bool BuildOurs(const MapOffer& offer, const std::vector<uint8_t>& current,
               std::vector<uint8_t>& newState, MapLoadReport& report) {
  StateReplay after = ReplayStates(current, &offer.ourState);
  PluginSettings loaded;
  std::string why;
  if (!DecodeState(after.saved, loaded, why))
    return Refuse(report, offer.fileName, "", "the loaded state does not read back: " + why);
  MapLoadReport out;
  out.summary = std::string("Loaded the ") +
                (offer.kind == MapFileKind::OurMap ? "map " : "state ") + offer.fileName + ": " +
                Counted(loaded.UsedSlots(), "slot");
  if (after.preservingBefore)
    out.summary += "; channel " + std::to_string((after.channelBefore & 0x0F) + 1) + " and port " +
                   std::to_string(after.portBefore & 0xFF) + " kept (preservePortChannel is set)";
  newState = std::move(after.saved);
  report = std::move(out);
  return true;
}

// A factory map's slots in place of the sixteen; the rest stays.
bool BuildFactory(const MapOffer& offer, const std::vector<uint8_t>& current,
                  std::vector<uint8_t>& newState, MapLoadReport& report) {
  PluginSettings settings, factory;
  std::string why;
  if (!DecodeState(current, settings, why))
    return Refuse(report, offer.fileName, "", "the plug-in's current state does not read: " + why);
  if (!DecodeState(offer.ourState, factory, why))
    return Refuse(report, offer.fileName, "", "the map does not read back: " + why);
  settings.slots = factory.slots;
  MapLoadReport out;
  out.summary = "Loaded " + Quoted(offer.factoryName) + " from " + offer.fileName + ": " +
                Counted(settings.UsedSlots(), "slot");
  newState = EncodeState(settings);
  report = std::move(out);
  return true;
}

bool BuildForeign(const MapOffer& offer, MapPick pick, const std::vector<uint8_t>& current,
                  std::vector<uint8_t>& newState, MapLoadReport& report) {
  const std::string& file = offer.fileName;
  if (pick.bank >= offer.banks.size() || pick.bank >= offer.foreign.banks.size())
    return Refuse(report, file, "", "it holds no bank " + std::to_string(pick.bank + 1));
  const MapBankOffer& bank = offer.banks[pick.bank];
  // A bank that cannot be loaded is refused by the import, in its words.
  if (bank.problem.empty() && pick.page >= bank.pages.size())
    return Refuse(report, file, "",
                  "bank " + bank.label + " has no page " + std::to_string(pick.page + 1));
  const std::string pageLabel = bank.pages.empty() ? "" : bank.pages[pick.page].label;

  PluginSettings settings;
  std::string why;
  if (!DecodeState(current, settings, why))
    return Refuse(report, file, "", "the plug-in's current state does not read: " + why);

  ImportChoice choice;
  choice.bank = std::to_string(pick.bank + 1);
  choice.bankOption = "bank";
  choice.page = static_cast<int>(pick.page);
  ImportResult imported;
  ImportError problem;
  if (!ImportForeignMap(offer.foreign, file, choice, imported, problem))
    return Refuse(report, file, problem.where, problem.message);

  settings.slots = imported.settings.slots;
  MapLoadReport out;
  out.warnings = std::move(imported.warnings);
  out.notes = std::move(imported.notes);
  out.summary = "Loaded " + Quoted(bank.title) +
                (pageLabel.empty() ? "" : " (articulations " + pageLabel + ")") + " from " + file +
                ": " + Counted(settings.UsedSlots(), "slot") + CountsOf(out);
  newState = EncodeState(settings);
  report = std::move(out);
  return true;
}

}  // namespace

std::string MapLoadReport::Message() const {
  std::string text = summary;
  for (const std::string& line : warnings) text += "\nwarning: " + line;
  for (const std::string& line : notes) text += "\nnote: " + line;
  return text;
}

size_t MapOffer::ChoiceCount() const {
  size_t count = 0;
  for (const MapBankOffer& bank : banks) count += bank.pages.size();
  return count;
}

bool InspectMapFile(const std::string& fileName, const std::vector<uint8_t>& bytes, MapOffer& offer,
                    MapLoadReport& report) noexcept {
  std::string file;  // made inside the try: it may need memory
  try {
    file = MapDisplayName(fileName);
    report = {};
    MapFileContent content;
    ImportError problem;
    if (!ReadMapFile(fileName, bytes, content, problem))
      return Refuse(report, file, problem.where, problem.message);
    offer = OfferOf(file, std::move(content));
    return true;
  } catch (const std::bad_alloc&) {
    return Refuse(report, file, "", "not enough memory to read it");
  } catch (const std::exception& e) {
    return Refuse(report, file, "", std::string("cannot be read: ") + e.what());
  } catch (...) {
    return Refuse(report, file, "", "cannot be read");
  }
}

bool InspectFactoryMapText(const std::string& name, const std::string& json, MapOffer& offer,
                           MapLoadReport& report) noexcept {
  const std::string source = "factory maps";
  try {
    MapOffer out;
    if (!InspectMapFile(name, std::vector<uint8_t>(json.begin(), json.end()), out, report))
      return false;
    if (out.kind != MapFileKind::OurMap)
      return Refuse(report, name, "", "the factory library holds something else than a map");
    out.kind = MapFileKind::FactoryMap;
    out.fileName = source;
    out.factoryName = name;
    out.banks.assign(1, OneThing(name));
    offer = std::move(out);
    return true;
  } catch (const std::bad_alloc&) {
    return Refuse(report, name, "", "not enough memory to read it");
  } catch (...) {
    return Refuse(report, name, "", "cannot be read");
  }
}

bool BuildLoadedState(const MapOffer& offer, MapPick pick, const std::vector<uint8_t>& currentState,
                      std::vector<uint8_t>& newState, MapLoadReport& report) noexcept {
  try {
    if (offer.kind == MapFileKind::ForeignMap)
      return BuildForeign(offer, pick, currentState, newState, report);
    if (offer.kind == MapFileKind::FactoryMap)
      return BuildFactory(offer, currentState, newState, report);
    return BuildOurs(offer, currentState, newState, report);
  } catch (const std::bad_alloc&) {
    return Refuse(report, offer.fileName, "", "not enough memory to load it");
  } catch (const std::exception& e) {
    return Refuse(report, offer.fileName, "", std::string("cannot be loaded: ") + e.what());
  } catch (...) {
    return Refuse(report, offer.fileName, "", "cannot be loaded");
  }
}

MapLoadReport NotLoaded(const std::string& fileName, const ImportError& problem) {
  MapLoadReport report;
  Refuse(report, MapDisplayName(fileName), problem.where, problem.message);
  return report;
}
