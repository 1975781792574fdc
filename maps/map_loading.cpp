#include "maps/map_loading.h"

#include <exception>
#include <memory>
#include <new>

#include "maps/counted.h"
#include "maps/map_file.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"
#include "maps/state_bytes.h"
#include "maps/state_replay.h"

namespace {

constexpr const char* kEnDash = "\xE2\x80\x93";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// One line, whatever a reader quoted of the file: a hint shows one line.
bool Refuse(MapLoadReport& report, const std::string& file, const std::string& where,
            const std::string& message) {
  report = {};
  report.summary = "Not loaded: " + file + ": " + (where.empty() ? "" : where + ": ") + message;
  for (char& c : report.summary)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return false;
}

// The words ReadForeignMap uses for the formats it knows were written for
// plughost's messages; in the plug-in they say the same of the plug-in.
std::string InPluginWords(std::string message) {
  const std::string tool = "plughost reads";
  const size_t at = message.find(tool);
  if (at != std::string::npos) message.replace(at, tool.size(), "the plug-in reads");
  return message;
}

int UsedSlots(const PluginSettings& settings) {
  int used = 0;
  for (const auto& slot : settings.slots) used += slot.IsDefault() ? 0 : 1;
  return used;
}

std::string CountsOf(const MapLoadReport& report) {
  std::string counts;
  if (!report.warnings.empty()) counts += "; " + Counted(report.warnings.size(), "warning");
  if (!report.notes.empty())
    counts += (counts.empty() ? "; " : ", ") + Counted(report.notes.size(), "note");
  return counts;
}

// Our own state file, checked as strictly as the plug-in's own saves are
// written: a version-5 state must decode whole; an older one must hold
// exactly the fields of its version.
bool CheckOurState(const std::string& file, const std::vector<uint8_t>& bytes, int32_t version,
                   MapLoadReport& report) {
  std::string why;
  if (version == kWrittenStateVersion) {
    PluginSettings unused;
    return DecodeState(bytes, unused, why) || Refuse(report, file, "", why);
  }
  const StateReplay read = ReplayStates(bytes, nullptr);
  if (read.ranShort)
    return Refuse(report, file, "",
                  "a version-" + std::to_string(version) + " state cut short: " +
                      Counted(bytes.size(), "byte") + " hold only part of its fields");
  if (read.unread != 0)
    return Refuse(report, file, "",
                  Counted(read.unread, "byte") + " after the end of a version-" +
                      std::to_string(version) + " state");
  return true;
}

bool InspectOurs(const std::string& file, const std::vector<uint8_t>& bytes, MapOffer& offer,
                 MapLoadReport& report) {
  MapOffer out;
  out.fileName = file;
  if (LooksLikeMapFile(bytes)) {
    PluginSettings settings;
    MapError problem;
    if (!ParseMapFile(bytes, settings, problem))
      return Refuse(report, file, problem.field, problem.message);
    out.kind = MapFileKind::OurMap;
    out.formatName = "articulation map (JSON)";
    out.ourState = EncodeState(settings);
  } else {
    int32_t version = 0;
    if (!StateVersion(bytes, version) || version < 1 || version > kWrittenStateVersion)
      return false;  // not ours: the caller reports it as a foreign file
    if (!CheckOurState(file, bytes, version, report)) return false;
    out.kind = MapFileKind::OurState;
    out.formatName = "plug-in state";
    out.ourState = bytes;
  }
  offer = std::move(out);
  report = {};
  return true;
}

// The articulations a bank's pages cover: those its program shows, in file
// order, sixteen to a page.
void AddPages(const ForeignBank& bank, MapBankOffer& offer) {
  std::vector<size_t> visible;
  for (size_t i = 0; i < bank.articulations.size(); ++i)
    if (!bank.articulations[i].hidden) visible.push_back(i + 1);
  offer.articulations = visible.size();
  if (!offer.problem.empty() || visible.empty()) return;
  if (visible.size() <= static_cast<size_t>(kSlotCount)) {
    offer.pages.push_back({});
    return;
  }
  for (size_t start = 0; start < visible.size(); start += kSlotCount) {
    MapPage page;
    for (size_t i = start; i < visible.size() && i < start + kSlotCount; ++i)
      page.pick.push_back(visible[i]);
    page.label = std::to_string(page.pick.front()) + kEnDash + std::to_string(page.pick.back());
    offer.pages.push_back(std::move(page));
  }
}

bool InspectForeign(const std::string& file, const std::vector<uint8_t>& bytes, MapOffer& offer,
                    MapLoadReport& report) {
  MapOffer out;
  out.fileName = file;
  out.kind = MapFileKind::ForeignMap;
  ImportError problem;
  if (!ReadForeignMap(file, bytes, out.foreign, problem))
    return Refuse(report, file, problem.where, InPluginWords(problem.message));
  out.formatName = MapFormatName(DetectMapFormat(file, bytes));
  for (const ForeignBank& bank : out.foreign.banks) {
    MapBankOffer b;
    b.label = ForeignBankLabel(bank);
    b.title = bank.displayName.empty() ? bank.name : bank.displayName;
    b.group = bank.group;
    b.problem = bank.problem;
    AddPages(bank, b);
    if (b.problem.empty() && b.pages.empty()) b.problem = "it holds no articulation that is shown";
    out.banks.push_back(std::move(b));
  }
  offer = std::move(out);
  report = {};
  return true;
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
                Counted(UsedSlots(loaded), "slot");
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
                Counted(UsedSlots(settings), "slot");
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
  if (!bank.problem.empty())
    return Refuse(report, file, offer.foreign.banks[pick.bank].where,
                  "bank " + bank.label + " cannot be loaded: " + bank.problem);
  if (pick.page >= bank.pages.size())
    return Refuse(report, file, "",
                  "bank " + bank.label + " has no page " + std::to_string(pick.page + 1));
  const MapPage& page = bank.pages[pick.page];

  PluginSettings settings;
  std::string why;
  if (!DecodeState(current, settings, why))
    return Refuse(report, file, "", "the plug-in's current state does not read: " + why);

  ImportChoice choice;
  choice.bank = std::to_string(pick.bank + 1);
  choice.bankOption = "bank";
  for (size_t number : page.pick) choice.pick.push_back(std::to_string(number));
  ImportResult imported;
  ImportError problem;
  if (!ImportForeignMap(offer.foreign, file, choice, imported, problem))
    return Refuse(report, file, problem.where, problem.message);

  settings.slots = imported.settings.slots;
  MapLoadReport out;
  out.warnings = std::move(imported.warnings);
  out.notes = std::move(imported.notes);
  out.summary = "Loaded " + Quoted(bank.title) +
                (page.label.empty() ? "" : " (articulations " + page.label + ")") + " from " +
                file + ": " + Counted(UsedSlots(settings), "slot") + CountsOf(out);
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
  if (kind != MapFileKind::ForeignMap) return 1;
  size_t count = 0;
  for (const MapBankOffer& bank : banks) count += bank.pages.size();
  return count;
}

std::string MapDisplayName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool InspectMapFile(const std::string& fileName, const std::vector<uint8_t>& bytes, MapOffer& offer,
                    MapLoadReport& report) noexcept {
  std::string file;  // made inside the try: it may need memory
  try {
    file = MapDisplayName(fileName);
    report = {};
    if (bytes.empty()) return Refuse(report, file, "", "the file is empty");
    if (bytes.size() > kMaxMapFileBytes)
      return Refuse(report, file, "",
                    Counted(bytes.size(), "byte") + " is larger than any map (at most " +
                        Counted(kMaxMapFileBytes, "byte") + ")");
    // The formats of other programs first: a byte order mark alone does
    // not make a file our JSON map.
    if (DetectMapFormat(fileName, bytes) != MapFormat::Unknown)
      return InspectForeign(file, bytes, offer, report);
    if (InspectOurs(file, bytes, offer, report)) return true;
    if (!report.summary.empty()) return false;
    return InspectForeign(file, bytes, offer, report);
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
