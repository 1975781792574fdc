#include "tools/factory/factory_conversion.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "maps/articulation_map.h"
#include "maps/counted.h"
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

  void File(const std::string& file) {
    ++out_.files;
    std::string text;
    if (!ReadBytes(sources_ / file, text)) {
      out_.failures.push_back(file + ": cannot be read");
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
      out_.failures.push_back(file + ": " + (error.where.empty() ? "" : error.where + ": ") +
                              error.message);
      return;
    }
    for (size_t b = 0; b < map.banks.size(); ++b) Bank(map, b, file);
  }

  // Menu order and unique names, once every map is in.
  void Finish() {
    std::stable_sort(maps_.begin(), maps_.end(), [](const FactoryMap& a, const FactoryMap& b) {
      const std::string am = FoldedName(a.maker), bm = FoldedName(b.maker);
      return am != bm ? am < bm : FoldedName(a.product) < FoldedName(b.product);
    });
    std::map<std::string, std::string> makers, products;
    std::map<std::string, int> names;
    std::set<std::string> files;
    for (FactoryMap& m : maps_) {
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
        out_.notes.push_back("map " + Quoted(Joined({m.maker, m.product, base})) + " named " +
                             Quoted(Joined({m.maker, m.product, m.title})) +
                             ", as an earlier map has its name");
      m.name = Joined({m.maker, m.product, m.title});
      const std::string folder = FileNameFor(m.maker) + "/" + FileNameFor(m.product) + "/";
      m.file = folder + FileNameFor(m.title) + ".json";
      // Names that differ only where a file name cannot keep them.
      for (int n = 2; !files.insert(FoldedName(m.file)).second; ++n)
        m.file = folder + FileNameFor(m.title) + " " + std::to_string(n) + ".json";
      out_.slots += m.slots;
    }
    out_.maps = std::move(maps_);
  }

 private:
  void Bank(const ForeignMap& map, size_t b, const std::string& file) {
    const ForeignBank& bank = map.banks[b];
    ++out_.banks;
    const MapNames names = NamesOf(bank);
    const std::vector<MapPage> paged = BankPages(bank);
    const size_t pages = ImportPageCount(bank);
    for (size_t page = 0; page < pages; ++page) {
      ImportChoice choice;
      choice.bank = std::to_string(b + 1);
      choice.page = static_cast<int>(page);
      ImportResult result;
      ImportError error;
      if (!ImportForeignMap(map, file, choice, result, error)) {
        out_.failures.push_back(file + ": " + (error.where.empty() ? "" : error.where + ": ") +
                                error.message);
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
        out_.failures.push_back(file + ": " + mapError.field + ": " + mapError.message);
        return;
      }
      m.slots = static_cast<size_t>(result.settings.UsedSlots());
      m.source = file;
      m.bank = b;
      m.page = page;
      out_.warnings.insert(out_.warnings.end(), result.warnings.begin(), result.warnings.end());
      out_.notes.insert(out_.notes.end(), result.notes.begin(), result.notes.end());
      maps_.push_back(std::move(m));
    }
  }

  fs::path sources_;
  FactoryConversion& out_;
  std::vector<FactoryMap> maps_;
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

std::string Notice(const std::string& yamlRepository, const std::string& yamlCommit,
                   const std::string& bankRepository, const std::string& bankCommit) {
  return "Factory maps of Quindle Velmora\n"
         "\n"
         "The maps in this library were converted by Quindle Velmora's own code from\n"
         "other programs' public articulation maps, and so changed from the original\n"
         "files:\n"
         "\n"
         "- from the Universal Definition YAML files of https://github.com/" +
         yamlRepository + "\n  (commit " + yamlCommit +
         "), under the MIT License. Its copyright and permission notice\n"
         "  are in " +
         kYamlLicence +
         ".\n"
         "\n"
         "- from the factory banks (.reabank files) of https://github.com/" +
         bankRepository + "\n  (commit " + bankCommit +
         "), under the Apache License, Version 2.0. Its licence\n"
         "  is in " +
         kBankLicence + ".\n";
}

bool AddLicences(const fs::path& sources, FactoryConversion& out, std::string& error) {
  std::string table, yamlLicence, bankLicence;
  if (!ReadBytes(sources / "SOURCES.md", table)) {
    error = (sources / "SOURCES.md").string() + " cannot be read: it names the sources' commits";
    return false;
  }
  std::string yamlRepository, yamlCommit, bankRepository, bankCommit;
  if (!SourceRow(table, kYamlCollection, yamlRepository, yamlCommit) ||
      !SourceRow(table, kBankCollection, bankRepository, bankCommit)) {
    error = "SOURCES.md has no row for " + std::string(kYamlCollection) + "/ or " +
            kBankCollection + "/";
    return false;
  }
  const fs::path yamlPath = sources / kYamlCollection / "LICENSE";
  const fs::path bankPath = sources / kBankCollection / "LICENSE.md";
  if (!ReadBytes(yamlPath, yamlLicence) || !ReadBytes(bankPath, bankLicence)) {
    error = "the licences " + yamlPath.string() + " and " + bankPath.string() +
            " must both be readable: the maps are shipped under them";
    return false;
  }
  out.libraryFiles[kYamlLicence] = yamlLicence;
  out.libraryFiles[kBankLicence] = bankLicence;
  out.libraryFiles[kNoticeFile] = Notice(yamlRepository, yamlCommit, bankRepository, bankCommit);
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
                     {"page", m.page + 1}});
  return index.dump(1) + "\n";
}

}  // namespace

bool ConvertFactorySources(const std::string& sourcesDir, FactoryConversion& out,
                           std::string& error) {
  const fs::path sources(sourcesDir);
  FactoryConversion result;
  const fs::path yamlFolder = sources / kYamlCollection;
  const fs::path bankFolder = sources / kBankCollection / "banks";
  for (const fs::path& folder : {yamlFolder, bankFolder})
    if (!fs::is_directory(folder)) {
      error = folder.string() + " is not a folder: the sources hold " + kYamlCollection + "/ and " +
              kBankCollection + "/banks/";
      return false;
    }
  if (!AddLicences(sources, result, error)) return false;
  Converter converter(sources, result);
  const std::vector<std::string> yamlFiles = FilesOf(sources, yamlFolder, ".yaml");
  const std::vector<std::string> bankFiles = FilesOf(sources, bankFolder, ".reabank");
  result.yamlFiles = yamlFiles.size();
  result.bankFiles = bankFiles.size();
  for (const std::string& file : yamlFiles) converter.File(file);
  for (const std::string& file : bankFiles) converter.File(file);
  converter.Finish();
  for (const FactoryMap& m : result.maps) result.libraryFiles[m.file] = m.text;
  result.libraryFiles[kIndexFile] = IndexText(result.maps);
  out = std::move(result);
  return true;
}

std::string FactorySummary(const FactoryConversion& c) {
  return Counted(c.files, "file") + " (" + Counted(c.yamlFiles, "YAML file") + ", " +
         Counted(c.bankFiles, "bank file") + "), " +
         Counted(c.banks, "bank or group", "banks and groups") + ": " +
         Counted(c.maps.size(), "map") + ", " + Counted(c.slots, "slot") +
         "; not kept: " + Counted(c.warnings.size(), "warning") + ", " +
         Counted(c.notes.size(), "note") + "; " + Counted(c.failures.size(), "failure");
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
