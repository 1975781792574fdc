#include "tools/factory/factory_conversion.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "maps/articulation_map.h"
#include "maps/counted.h"
#include "maps/file_names.h"
#include "maps/formats/xml_support.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"
#include "maps/name_matching.h"
#include "maps/quoted.h"
#include "maps/text_encoding.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kIndexFile = "maps.json";
constexpr const char* kNoticeFile = "NOTICE.txt";
constexpr const char* kYamlLicence = "LICENSE-ArticulationMappingFiles.txt";
constexpr const char* kBankLicence = "LICENSE-reaticulate.txt";
constexpr const char* kUserBankLicence = "LICENSE-reaticulate-userbanks.txt";
constexpr const char* kKeySwitchLicence = "LICENSE-studio-one-user-presets.txt";
// Where the community maps lie in the library.
constexpr const char* kCommunityFolder = "community/";
// The folder of a key switch collection below which folders name the maker.
constexpr const char* kKeySwitchRoot = "Key Switches/";

bool ReadBytes(const fs::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The collection's files with the extension, by their path below `sources`
// in byte order, so every system converts in the same order.
std::vector<std::string> FilesOf(const fs::path& sources, const fs::path& folder,
                                 const std::string& extension) {
  std::vector<std::string> files;
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(folder, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored))
    if (it->is_regular_file(ignored) && it->path().extension() == extension)
      files.push_back(it->path().lexically_relative(sources).generic_string());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (part.empty()) continue;
    out += (out.empty() ? "" : " ") + part;
  }
  return out;
}

// The map's parts of name: maker, product, then the rest of the library
// path and the bank's own name, a part that repeats the one before it said
// once ("Section" patch, "Section" group).
struct MapNames {
  std::string maker, product, title;
};

MapNames NamesOf(const ForeignBank& bank) {
  std::vector<std::string> parts = bank.library;
  parts.push_back(bank.displayName.empty() ? bank.name : bank.displayName);
  std::vector<std::string> kept;
  for (const std::string& part : parts)
    if (!part.empty() && (kept.empty() || !SameName(kept.back(), part))) kept.push_back(part);
  MapNames names;
  if (kept.size() > 2) {
    names.maker = kept[0];
    names.product = kept[1];
    names.title = Joined({kept.begin() + 2, kept.end()});
  } else {
    // A bank filed under less than a maker and a product: its name is all
    // there is.
    names.maker = kept.size() == 2 ? kept[0] : "Other";
    names.product = kept.size() == 2 ? kept[1] : kept.empty() ? "" : kept[0];
    names.title = kept.empty() ? bank.name : kept.back();
  }
  return names;
}

// The whole name of a map: a title that only repeats its product, perhaps
// with a page or number after it, says the product once ("Cinematic Strings
// Full Ensemble", "VSL Vienna Choir (1–16)").
std::string FullName(const std::string& maker, const std::string& product,
                     const std::string& title) {
  const bool repeats =
      !product.empty() && title.compare(0, product.size(), product) == 0 &&
      (title.size() == product.size() || title.compare(product.size(), 2, " (") == 0);
  return Joined({maker, repeats ? "" : product, title});
}

// A key switch list's place in its maker's library, from its folders below
// "Key Switches/": "Spitfire" for Spitfire/Strings.keyswitch; a folder
// "Cremona Quartet - Stradivari Violin" is a maker and a product.
std::vector<std::string> KeySwitchLibrary(const std::string& file) {
  std::vector<std::string> parts;
  const size_t root = file.find(kKeySwitchRoot);
  std::string folders =
      root == std::string::npos ? "" : file.substr(root + std::strlen(kKeySwitchRoot));
  for (size_t slash; (slash = folders.find('/')) != std::string::npos;) {
    const std::string folder = folders.substr(0, slash);
    folders.erase(0, slash + 1);
    const size_t dash = folder.find(" - ");
    if (dash == std::string::npos) {
      parts.push_back(folder);
    } else {
      parts.push_back(folder.substr(0, dash));
      parts.push_back(folder.substr(dash + 3));
    }
  }
  return parts;
}

// Slot names made unique within the map: the second "Legato" becomes
// "Legato 2". Only a name the source repeats exactly: "trill m2" and
// "trill M2" are different trills.
void UniqueSlotNames(PluginSettings& settings, const std::string& label,
                     std::vector<std::string>& notes) {
  std::set<std::string> taken;
  for (const SlotSettings& slot : settings.slots)
    if (!slot.name.empty()) taken.insert(slot.name);
  std::map<std::string, int> seen;
  for (size_t i = 0; i < settings.slots.size(); ++i) {
    std::string& name = settings.slots[i].name;
    if (name.empty() || ++seen[name] == 1) continue;
    std::string unique;
    for (int n = seen[name];; ++n) {
      const std::string suffix = std::string(" ").append(std::to_string(n));
      // A slot's name holds at most 255 bytes: a long one gives way to the number.
      unique = name.substr(0, 255 - suffix.size()) + suffix;
      if (taken.insert(unique).second) break;
    }
    notes.push_back(label + ": slot " + std::to_string(i + 1) + " " +
                    Quoted(Windows1252ToUtf8(name)) + " named " +
                    Quoted(Windows1252ToUtf8(unique)) + ", as an earlier slot has its name");
    name = unique;
  }
}

// A page's part of a map's name: its articulations' places among the
// bank's shown ones, "(17–32)".
std::string PageLabel(size_t page, const std::vector<MapPage>& pages) {
  const size_t first = page * kSlotCount + 1;
  const size_t last = first + pages[page].numbers.size() - 1;
  return "(" + std::to_string(first) + kEnDash + std::to_string(last) + ")";
}

// A message as the order check compares it: status, data bytes and channel
// (1..16, or 0 for the plug-in's).
using Sent = std::array<int, 4>;

// What an articulation's outputs send, in the source's order.
std::vector<Sent> SourceOrder(const ForeignArticulation& a) {
  std::vector<Sent> sent;
  for (const ForeignOutput& o : a.outputs) {
    const int channel = o.channel < 0 ? 0 : o.channel + 1;
    switch (o.kind) {
      case ForeignOutput::Kind::Note:
      case ForeignOutput::Kind::HeldNote:
        sent.push_back({144, o.data1, o.data2 == 0 ? 127 : o.data2, channel});
        break;
      case ForeignOutput::Kind::ControlChange:
        sent.push_back({176, o.data1, o.data2, channel});
        break;
      case ForeignOutput::Kind::ProgramChange:
        sent.push_back({192, o.data1, 0, channel});
        break;
      case ForeignOutput::Kind::PitchBend: {
        const int bend = o.data1 + kPitchBendCentre;
        sent.push_back({224, bend & 0x7F, bend >> 7, channel});
        break;
      }
      default:
        break;
    }
  }
  return sent;
}

// The plug-in sends a slot's keyswitch, UACC and modwheel before its other
// messages: a line for each slot that so sends what its source lists in
// another order. (What it does not send at all has warnings of its own.)
void OrderWarnings(const ForeignBank& bank, const ImportResult& result, const std::string& file,
                   std::vector<std::string>& warnings) {
  for (size_t k = 0; k < result.taken.size() && k < kSlotCount; ++k) {
    const ForeignArticulation& a = bank.articulations[result.taken[k] - 1];
    std::vector<Sent> source = SourceOrder(a), plugin;
    for (const SlotMessage& m : SlotMessages(result.settings.slots[k]))
      plugin.push_back({m.status, m.data1, m.data2, m.channel});
    if (source == plugin) continue;
    std::vector<Sent> sortedSource = source, sortedPlugin = plugin;
    std::sort(sortedSource.begin(), sortedSource.end());
    std::sort(sortedPlugin.begin(), sortedPlugin.end());
    if (sortedSource != sortedPlugin) continue;
    warnings.push_back(file + ": slot " + std::to_string(k + 1) + " \"" + a.name +
                       "\" (articulation " + std::to_string(result.taken[k]) + " in the file" +
                       (a.where.empty() ? "" : ", " + a.where) +
                       "): its keyswitch, UACC and modwheel are sent before the outputs its "
                       "source lists ahead of them");
  }
}

// A bank file of comments alone (Reaticulate's header of its factory banks).
bool CommentsOnly(const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line.compare(first, 2, "//") != 0) return false;
  }
  return true;
}

class Converter {
 public:
  Converter(const fs::path& sources, FactoryConversion& out) : sources_(sources), out_(out) {}

  // `community`: from a collection of users' maps, whose files and banks
  // that fail are left out rather than failures.
  void File(const std::string& file, bool community) {
    ++out_.files;
    std::string text;
    if (!ReadBytes(sources_ / file, text)) {
      Failed(community, "unreadable", file + ": cannot be read");
      return;
    }
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    ForeignMap map;
    ImportError error;
    if (!ReadForeignMap(file, bytes, map, error)) {
      if (CommentsOnly(text)) {
        out_.notes.push_back(file + ": holds no bank, only comments");
        return;
      }
      Failed(community, "refused by its reader",
             file + ": " + (error.where.empty() ? "" : error.where + ": ") + error.message);
      return;
    }
    if (DetectMapFormat(file, bytes) == MapFormat::KeySwitchList)
      for (ForeignBank& bank : map.banks) {
        if (bank.library.empty()) bank.library = KeySwitchLibrary(file);
        if (bank.name.empty()) bank.name = FileStem(file);
      }
    for (size_t b = 0; b < map.banks.size(); ++b) Bank(map, b, file, community);
  }

  // Menu order, duplicates left out and unique names, once every map is in.
  void Finish() {
    std::stable_sort(maps_.begin(), maps_.end(), [](const Pending& a, const Pending& b) {
      if (a.map.community != b.map.community) return b.map.community;
      const std::string am = FoldedName(a.map.maker), bm = FoldedName(b.map.maker);
      return am != bm ? am < bm : FoldedName(a.map.product) < FoldedName(b.map.product);
    });
    std::vector<FactoryMap> kept = WithoutDuplicates();
    std::map<std::string, std::string> makers, products;
    std::map<std::string, int> names;
    std::set<std::string> files;
    for (FactoryMap& m : kept) {
      m.maker = makers.emplace(FoldedName(m.maker), m.maker).first->second;
      m.product = products.emplace(FoldedName(m.maker) + "/" + FoldedName(m.product), m.product)
                      .first->second;
      const std::string base = m.title;
      for (int n = ++names[FoldedName(m.maker + m.product + base)]; n > 1;) {
        m.title = base + " (" + std::to_string(n) + ")";
        if (names.emplace(FoldedName(m.maker + m.product + m.title), 1).second) break;
        ++n;
      }
      if (m.title != base)
        out_.notes.push_back("map " + Quoted(FullName(m.maker, m.product, base)) + " named " +
                             Quoted(FullName(m.maker, m.product, m.title)) +
                             ", as an earlier map has its name");
      m.name = FullName(m.maker, m.product, m.title);
      const std::string folder = std::string(m.community ? kCommunityFolder : "") +
                                 FileNameFor(m.maker) + "/" + FileNameFor(m.product) + "/";
      m.file = folder + FileNameFor(m.title) + ".json";
      // Names that differ only where a file name cannot keep them.
      for (int n = 2; !files.insert(FoldedName(m.file)).second; ++n)
        m.file = folder + FileNameFor(m.title) + " " + std::to_string(n) + ".json";
      out_.slots += m.slots;
    }
    out_.maps = std::move(kept);
  }

 private:
  // A map made, with what its import could not keep: that goes into the
  // summary only if the map stays in the library.
  struct Pending {
    FactoryMap map;
    std::vector<std::string> warnings, notes;
  };

  void Failed(bool community, const std::string& reason, const std::string& line) {
    if (!community) {
      out_.failures.push_back(line);
      return;
    }
    out_.leftOut.push_back(line + " (" + reason + ")");
    ++out_.leftOutReasons[reason];
  }

  // The maps in order, but for a community map with the maker, product and
  // slots of a factory map, or the whole name and slots of a community map
  // before it: users' copies of a bank the library already has.
  std::vector<FactoryMap> WithoutDuplicates() {
    std::vector<FactoryMap> kept;
    // Maker, product and text of the factory maps; with the title too of
    // the community maps; each to its index in `kept`.
    std::map<std::string, size_t> factory, community;
    for (Pending& p : maps_) {
      FactoryMap& m = p.map;
      const std::string key = FoldedName(m.maker) + "\n" + FoldedName(m.product) + "\n" + m.text;
      const std::string titled = FoldedName(m.title) + "\n" + key;
      const auto inFactory = factory.find(key);
      const auto inCommunity = community.find(titled);
      const bool duplicate =
          m.community && (inFactory != factory.end() || inCommunity != community.end());
      if (!duplicate) {
        out_.warnings.insert(out_.warnings.end(), p.warnings.begin(), p.warnings.end());
        out_.notes.insert(out_.notes.end(), p.notes.begin(), p.notes.end());
        (m.community ? community.emplace(titled, kept.size()) : factory.emplace(key, kept.size()));
        kept.push_back(std::move(m));
        continue;
      }
      const FactoryMap& original =
          kept[inFactory != factory.end() ? inFactory->second : inCommunity->second];
      out_.duplicates.push_back(
          m.source + ": map " + Quoted(FullName(m.maker, m.product, m.title)) +
          " has the slots of the " + (original.community ? "community" : "factory") + " map " +
          Quoted(FullName(original.maker, original.product, original.title)) + " (" +
          original.source + "), which is kept");
      if (!original.community) ++out_.duplicatesOfFactory;
    }
    maps_.clear();
    return kept;
  }

  void Bank(const ForeignMap& map, size_t b, const std::string& file, bool community) {
    const ForeignBank& bank = map.banks[b];
    ++out_.banks;
    const std::vector<MapPage> paged = BankPages(bank);
    if (community && paged.empty() && bank.problem.empty()) {
      Failed(community, "no articulation",
             file + ": bank " + ForeignBankLabel(bank) +
                 (bank.where.empty() ? "" : " (" + bank.where + ")") +
                 " converts to no articulation");
      return;
    }
    const MapNames names = NamesOf(bank);
    const size_t pages = ImportPageCount(bank);
    for (size_t page = 0; page < pages; ++page) {
      ImportChoice choice;
      choice.bank = std::to_string(b + 1);
      choice.page = static_cast<int>(page);
      ImportResult result;
      ImportError error;
      if (!ImportForeignMap(map, file, choice, result, error)) {
        Failed(community, "cannot be imported",
               file + ": " + (error.where.empty() ? "" : error.where + ": ") + error.message);
        return;
      }
      FactoryMap m;
      m.maker = names.maker;
      m.product = names.product;
      m.title = names.title + (pages > 1 ? " " + PageLabel(page, paged) : "");
      UniqueSlotNames(result.settings,
                      file + ": map " + Quoted(Joined({m.maker, m.product, m.title})),
                      result.notes);
      MapError mapError;
      if (!FormatArticulationMap(result.settings, m.text, mapError)) {
        Failed(community, "cannot be written",
               file + ": " + mapError.field + ": " + mapError.message);
        return;
      }
      m.slots = static_cast<size_t>(result.settings.UsedSlots());
      m.source = file;
      m.bank = b;
      m.page = page;
      m.community = community;
      OrderWarnings(bank, result, file, result.warnings);
      maps_.push_back({std::move(m), std::move(result.warnings), std::move(result.notes)});
    }
  }

  fs::path sources_;
  FactoryConversion& out_;
  std::vector<Pending> maps_;
};

// Repository and commit of a collection, from the sources' table:
// "| `folder/` | owner/name | commit | ...".
bool SourceRow(const std::string& table, const std::string& folder, std::string& repository,
               std::string& commit) {
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("`" + folder + "/`") == std::string::npos) continue;
    std::vector<std::string> cells;
    std::istringstream row(line);
    for (std::string cell; std::getline(row, cell, '|');) {
      const size_t first = cell.find_first_not_of(' ');
      cells.push_back(first == std::string::npos
                          ? ""
                          : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
    }
    if (cells.size() < 4) return false;
    repository = cells[2];
    commit = cells[3];
    return true;
  }
  return false;
}

// A collection's repository and commit, as SOURCES.md names them.
struct Origin {
  std::string repository, commit;
};

std::string Notice(const Origin& yaml, const Origin& banks, const Origin* userBanks,
                   bool userBankLicenceOwn, const Origin* keySwitches) {
  std::string notice =
      "Factory maps of Quindle Velmora\n"
      "\n"
      "The maps in this library were converted by Quindle Velmora's own code from\n"
      "other programs' public articulation maps, and so changed from the original\n"
      "files:\n"
      "\n"
      "- from the Universal Definition YAML files of https://github.com/" +
      yaml.repository + "\n  (commit " + yaml.commit +
      "), under the MIT License. Its copyright and permission notice\n"
      "  are in " +
      kYamlLicence +
      ".\n"
      "\n"
      "- from the factory banks (.reabank files) of https://github.com/" +
      banks.repository + "\n  (commit " + banks.commit +
      "), under the Apache License, Version 2.0. Its licence\n"
      "  is in " +
      kBankLicence + ".\n";
  if (!userBanks && !keySwitches) return notice;
  notice +=
      "\n"
      "The community maps (the folder community/, and the menu's \"Community maps\n"
      "(untested)\") were converted the same way from maps that users of other\n"
      "programs shared, which nobody checked:\n";
  if (userBanks)
    notice += "\n- from the user banks (.reabank files, userbanks/) of https://github.com/" +
              userBanks->repository + "\n  (commit " + userBanks->commit +
              "), under the Apache License, Version 2.0. Its licence\n  is in " +
              (userBankLicenceOwn ? kUserBankLicence : kBankLicence) +
              ". That repository calls them \"uncurated and untested\".\n";
  if (keySwitches)
    notice +=
        "\n- from the Studio One key switch lists (.keyswitch files) of\n"
        "  https://github.com/" +
        keySwitches->repository + " (commit " + keySwitches->commit +
        "),\n  dedicated to the public domain under CC0 1.0 Universal (" + kKeySwitchLicence +
        ").\n";
  return notice;
}

// Reads a collection's row of SOURCES.md and its licence into the library.
bool AddLicence(const fs::path& sources, const std::string& table, const char* collection,
                const char* licenceFile, const char* libraryName, Origin& origin,
                FactoryConversion& out, std::string& error) {
  if (!SourceRow(table, collection, origin.repository, origin.commit)) {
    error = "SOURCES.md has no row for " + std::string(collection) + "/";
    return false;
  }
  const fs::path path = sources / collection / licenceFile;
  std::string licence;
  if (!ReadBytes(path, licence)) {
    error = "the licence " + path.string() + " must be readable: the maps are shipped under it";
    return false;
  }
  out.libraryFiles[libraryName] = licence;
  return true;
}

bool AddLicences(const fs::path& sources, bool userBanks, bool keySwitches, FactoryConversion& out,
                 std::string& error) {
  std::string table;
  if (!ReadBytes(sources / "SOURCES.md", table)) {
    error = (sources / "SOURCES.md").string() + " cannot be read: it names the sources' commits";
    return false;
  }
  Origin yaml, banks, users, lists;
  if (!AddLicence(sources, table, kYamlCollection, "LICENSE", kYamlLicence, yaml, out, error) ||
      !AddLicence(sources, table, kBankCollection, "LICENSE.md", kBankLicence, banks, out, error) ||
      (userBanks && !AddLicence(sources, table, kUserBankCollection, "LICENSE.md", kUserBankLicence,
                                users, out, error)) ||
      (keySwitches && !AddLicence(sources, table, kKeySwitchCollection, "LICENSE",
                                  kKeySwitchLicence, lists, out, error)))
    return false;
  // The user banks come from the factory banks' repository, under the same
  // licence: one copy of it when the texts are the same.
  bool ownUserBankLicence = false;
  if (userBanks) {
    ownUserBankLicence = out.libraryFiles[kUserBankLicence] != out.libraryFiles[kBankLicence];
    if (!ownUserBankLicence) out.libraryFiles.erase(kUserBankLicence);
  }
  out.libraryFiles[kNoticeFile] = Notice(yaml, banks, userBanks ? &users : nullptr,
                                         ownUserBankLicence, keySwitches ? &lists : nullptr);
  return true;
}

std::string IndexText(const std::vector<FactoryMap>& maps) {
  nlohmann::ordered_json index = nlohmann::ordered_json::array();
  for (const FactoryMap& m : maps)
    index.push_back({{"maker", m.maker},
                     {"product", m.product},
                     {"name", m.name},
                     {"title", m.title},
                     {"file", m.file},
                     {"source", m.source},
                     {"bank", m.bank + 1},
                     {"page", m.page + 1},
                     {"community", m.community}});
  return index.dump(1) + "\n";
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

}  // namespace

bool ConvertFactorySources(const std::string& sourcesDir, FactoryConversion& out,
                           std::string& error) {
  const fs::path sources(sourcesDir);
  FactoryConversion result;
  const fs::path yamlFolder = sources / kYamlCollection;
  const fs::path bankFolder = sources / kBankCollection / "banks";
  const fs::path userBankFolder = sources / kUserBankCollection;
  const fs::path keySwitchFolder = sources / kKeySwitchCollection / kKeySwitchRoot;
  for (const fs::path& folder : {yamlFolder, bankFolder})
    if (!fs::is_directory(folder)) {
      error = folder.string() + " is not a folder: the sources hold " + kYamlCollection + "/ and " +
              kBankCollection + "/banks/";
      return false;
    }
  const bool userBanks = fs::is_directory(userBankFolder);
  const bool keySwitches = fs::is_directory(keySwitchFolder);
  if (!AddLicences(sources, userBanks, keySwitches, result, error)) return false;
  Converter converter(sources, result);
  const std::vector<std::string> yamlFiles = FilesOf(sources, yamlFolder, ".yaml");
  const std::vector<std::string> bankFiles = FilesOf(sources, bankFolder, ".reabank");
  const std::vector<std::string> userBankFiles =
      userBanks ? FilesOf(sources, userBankFolder, ".reabank") : std::vector<std::string>{};
  const std::vector<std::string> keySwitchFiles =
      keySwitches ? FilesOf(sources, keySwitchFolder, ".keyswitch") : std::vector<std::string>{};
  result.yamlFiles = yamlFiles.size();
  result.bankFiles = bankFiles.size();
  result.userBankFiles = userBankFiles.size();
  result.keySwitchFiles = keySwitchFiles.size();
  for (const std::string& file : yamlFiles) converter.File(file, false);
  for (const std::string& file : bankFiles) converter.File(file, false);
  for (const std::string& file : userBankFiles) converter.File(file, true);
  for (const std::string& file : keySwitchFiles) converter.File(file, true);
  converter.Finish();
  for (const FactoryMap& m : result.maps) result.libraryFiles[m.file] = m.text;
  result.libraryFiles[kIndexFile] = IndexText(result.maps);
  out = std::move(result);
  return true;
}

std::string FactorySummary(const FactoryConversion& c) {
  size_t community = 0, userBanks = 0, keySwitches = 0;
  for (const FactoryMap& m : c.maps) {
    if (!m.community) continue;
    ++community;
    userBanks += StartsWith(m.source, std::string(kUserBankCollection) + "/") ? 1 : 0;
    keySwitches += StartsWith(m.source, std::string(kKeySwitchCollection) + "/") ? 1 : 0;
  }
  std::string reasons;
  for (const auto& [reason, count] : c.leftOutReasons)
    reasons += (reasons.empty() ? "" : ", ") + std::to_string(count) + " " + reason;
  return Counted(c.files, "file") + " (" + Counted(c.yamlFiles, "YAML file") + ", " +
         Counted(c.bankFiles, "bank file") + ", " + Counted(c.userBankFiles, "user bank file") +
         ", " + Counted(c.keySwitchFiles, "key switch list") + "), " +
         Counted(c.banks, "bank or group", "banks and groups") + ": " +
         Counted(c.maps.size(), "map") + " (" + std::to_string(c.maps.size() - community) +
         " factory, " + std::to_string(community) + " community: " + std::to_string(userBanks) +
         " from user banks, " + std::to_string(keySwitches) + " from key switch lists), " +
         Counted(c.slots, "slot") + "; not kept: " + Counted(c.warnings.size(), "warning") + ", " +
         Counted(c.notes.size(), "note") + "; left out: " +
         Counted(c.leftOut.size(), "community bank or file", "community banks and files") +
         (reasons.empty() ? "" : " (" + reasons + ")") + ", " +
         Counted(c.duplicates.size(), "duplicate community map") + " (" +
         std::to_string(c.duplicatesOfFactory) + " of factory maps); " +
         Counted(c.failures.size(), "failure");
}

std::string FileNameFor(const std::string& name) {
  std::string out;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    out +=
        byte < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos ? '-' : c;
  }
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  return out.empty() ? "-" : out;
}
