// The factory library: what the converter makes of its sources, the
// committed folder, and the library built into the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "maps/articulation_map.h"
#include "maps/factory_library.h"
#include "maps/factory_search.h"
#include "maps/map_file.h"
#include "tools/factory/factory_conversion.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file of a folder, by its path in it.
std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[entry.path().lexically_relative(folder).generic_string()] = ReadText(entry.path());
  return files;
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// One test over the whole library, not one per map: the committed folder is
// exactly what the sources give today, file for file.
TEST(FactoryLibrary, CommittedMapsAreWhatTheSourcesGive) {
  if (!fs::is_directory(ARTSW_FACTORY_SOURCES))
    GTEST_SKIP() << "the factory sources are not at " << ARTSW_FACTORY_SOURCES
                 << " (shared/ beside the clone): the committed library is not checked";
  FactoryConversion conversion;
  std::string error;
  ASSERT_TRUE(ConvertFactorySources(ARTSW_FACTORY_SOURCES, conversion, error)) << error;
  std::printf("%s\n", FactorySummary(conversion).c_str());
  for (const std::string& failure : conversion.failures) ADD_FAILURE() << failure;

  const auto committed = FolderFiles(ARTSW_FACTORY_DIR);
  int differences = 0;
  for (const auto& [file, text] : conversion.libraryFiles) {
    const auto found = committed.find(file);
    if (found == committed.end())
      ADD_FAILURE() << "missing from factory/: " << file;
    else if (found->second != text)
      ADD_FAILURE() << "factory/" << file << " differs from what its source gives";
    else
      continue;
    if (++differences == 10) break;
  }
  for (const auto& [file, text] : committed)
    EXPECT_TRUE(conversion.libraryFiles.count(file)) << "factory/" << file << " has no source";
  if (HasFailure()) std::printf("factory-build SOURCES factory brings the library up to date\n");
}

// The built-in library lists the committed maps in the index's order and
// gives back each text unchanged; every one is a map the plug-in reads.
TEST(FactoryLibrary, BuiltInLibraryGivesBackEveryMap) {
  const nlohmann::json index =
      nlohmann::json::parse(ReadText(fs::path(ARTSW_FACTORY_DIR) / "maps.json"));
  ASSERT_EQ(FactoryMapCount(), index.size());
  ASSERT_GT(FactoryMapCount(), 0u);
  for (size_t i = 0; i < FactoryMapCount(); ++i) {
    const FactoryMapInfo info = FactoryMapAt(i);
    const auto& entry = index[i];
    ASSERT_EQ(info.maker, entry["maker"].get<std::string>()) << i;
    ASSERT_EQ(info.product, entry["product"].get<std::string>()) << i;
    ASSERT_EQ(info.name, entry["name"].get<std::string>()) << i;
    ASSERT_EQ(info.title, entry["title"].get<std::string>()) << i;
    ASSERT_EQ(info.source, entry["source"].get<std::string>()) << i;
    ASSERT_EQ(info.community, entry["community"].get<bool>()) << i;
    // The factory maps first, then the community maps.
    if (i > 0) {
      ASSERT_LE(FactoryMapAt(i - 1).community, info.community) << i;
    }
    std::string text, error;
    ASSERT_TRUE(FactoryMapText(i, text, error)) << i << ": " << error;
    ASSERT_EQ(text, ReadText(fs::path(ARTSW_FACTORY_DIR) / entry["file"].get<std::string>()))
        << info.name;
    PluginSettings settings;
    MapError mapError;
    ASSERT_TRUE(ParseArticulationMap(text, settings, mapError))
        << info.name << ": " << mapError.field << ": " << mapError.message;
  }
  std::string text = "kept", error;
  EXPECT_FALSE(FactoryMapText(FactoryMapCount(), text, error));
  EXPECT_EQ(text, "kept");
  EXPECT_NE(error.find("there is no factory map"), std::string::npos) << error;
  EXPECT_STREQ(FactoryMapAt(FactoryMapCount()).name, "");
  EXPECT_STREQ(FactoryMapAt(FactoryMapCount()).source, "");
  EXPECT_TRUE(FactoryMapAt(0).source[0] != '\0');
}

// factory:NAME: a whole name whatever its case and blanks, else words that
// fit one map; otherwise an error naming the closest.
TEST(FactoryLibrary, NamesFindOneMapOrSayWhichCome) {
  const auto name = [](size_t i) { return std::string(FactoryMapAt(i).name); };
  struct Case {
    const char* asked;
    const char* found;  // the map's name; null for an error
    const char* error;  // a part of the error
  };
  const Case cases[] = {
      {"spitfire  MASSE brass", "Spitfire Masse Brass", nullptr},
      {"Masse Tutti", "Spitfire Masse Tutti", nullptr},
      {"masse", nullptr, "\"masse\" fits "},
      {"Masse Kazoo", nullptr,
       "no factory map is called \"Masse Kazoo\"; the closest: \"Spitfire Masse"},
      {"zzqx", nullptr, "no factory map is called \"zzqx\", and none shares a word with it"},
      // A hyphen typed for the name's en dash, whole or as a word.
      {"8dio forgotten voices cait slot (1-16)",
       "8DIO Forgotten Voices Cait Slot (1\xE2\x80\x93"
       "16)",
       nullptr},
      {"Cait (17-24)",
       "8DIO Forgotten Voices Cait Slot (17\xE2\x80\x93"
       "24)",
       nullptr},
      {"", nullptr, "no factory map is called \"\""},
  };
  for (const Case& c : cases) {
    size_t index = 0;
    std::string error;
    const bool found = FindFactoryMap(c.asked, index, error);
    ASSERT_EQ(found, c.found != nullptr) << c.asked << ": " << error;
    if (found)
      EXPECT_EQ(name(index), c.found) << c.asked;
    else
      EXPECT_NE(error.find(c.error), std::string::npos) << c.asked << ": " << error;
  }
  const std::vector<size_t> masse = FactoryMapsWithWords("masse");
  EXPECT_GT(masse.size(), 1u);
  for (size_t i : masse) EXPECT_NE(name(i).find("Masse"), std::string::npos);
  EXPECT_EQ(FactoryMapsWithWords("").size(), FactoryMapCount());
  EXPECT_EQ(FactoryMapsWithWords("Spitfire Masse").size(), masse.size());
}

// The rules on a small collection of our own: pages of 16 in source order
// (hidden articulations neither counted nor paged), names from maker to
// group with a repeated part said once, slot names the source repeats made
// unique, maps in menu order, the comments-only header skipped.
TEST(FactoryLibrary, PagesNamesAndOrder) {
  const fs::path sources = fs::temp_directory_path() / "factory_rules_test";
  fs::remove_all(sources);
  WriteText(sources / "SOURCES.md",
            "| `articulation-mapping-files/` | someone/yaml | abc1234 | MIT |\n"
            "| `reaticulate-banks/` | someone/banks | def5678 | Apache |\n");
  WriteText(sources / "articulation-mapping-files/LICENSE", "MIT text\n");
  WriteText(sources / "reaticulate-banks/LICENSE.md", "Apache text\n");
  fs::create_directories(sources / "articulation-mapping-files/articluster-files");
  WriteText(sources / "reaticulate-banks/banks/00-header.reabank", "// only comments\n//!\n");
  std::string big = "//! g=\"Zed/Strings/Violins\" n=\"Violins\"\nBank * * ZS Violins\n";
  for (int i = 0; i < 20; ++i)
    big += std::string(i == 3 ? "//! f=hidden o=cc:1,1\n"
                              : "//! o=cc:32," + std::to_string(i) + "\n") +
           std::to_string(i) + (i == 5 || i == 9 ? " Legato" : " Art " + std::to_string(i)) + "\n";
  WriteText(sources / "reaticulate-banks/banks/10-zed.reabank", big);
  WriteText(
      sources / "reaticulate-banks/banks/20-alpha.reabank",
      "//! g=\"alpha/Winds\" n=\"Flute: Solo\"\nBank * * Flute\n//! o=note:24\n1 Long\n"
      "//! g=\"Alpha/Winds\" n=\"Flute: Solo\"\nBank * * Flute again\n//! o=note:25\n1 Long\n");

  FactoryConversion c;
  std::string error;
  ASSERT_TRUE(ConvertFactorySources(sources.string(), c, error)) << error;
  EXPECT_TRUE(c.failures.empty());
  struct Want {
    const char* name;
    const char* file;
    size_t slots;
  };
  const Want wanted[] = {
      {"alpha Winds Flute: Solo", "alpha/Winds/Flute- Solo.json", 1},
      {"alpha Winds Flute: Solo (2)", "alpha/Winds/Flute- Solo (2).json", 1},
      {"Zed Strings Violins (1\u201316)", "Zed/Strings/Violins (1\u201316).json", 16},
      {"Zed Strings Violins (17\u201319)", "Zed/Strings/Violins (17\u201319).json", 3},
  };
  ASSERT_EQ(c.maps.size(), std::size(wanted));
  for (size_t i = 0; i < std::size(wanted); ++i) {
    EXPECT_EQ(c.maps[i].name, wanted[i].name) << i;
    EXPECT_EQ(c.maps[i].file, wanted[i].file) << i;
    EXPECT_EQ(c.maps[i].slots, wanted[i].slots) << i;
    EXPECT_TRUE(c.libraryFiles.count(wanted[i].file)) << i;
  }
  EXPECT_EQ(c.slots, 21u);
  PluginSettings first, second;
  MapError mapError;
  ASSERT_TRUE(ParseArticulationMap(c.maps[2].text, first, mapError)) << mapError.message;
  ASSERT_TRUE(ParseArticulationMap(c.maps[3].text, second, mapError)) << mapError.message;
  // Articulation 3 is hidden: slot 4 is articulation 4, slot 16 articulation 16.
  EXPECT_EQ(first.slots[3].uacc, 4);
  EXPECT_EQ(first.slots[4].name, "Legato");
  EXPECT_EQ(first.slots[8].name, "Legato 2");
  EXPECT_EQ(first.slots[15].uacc, 16);
  EXPECT_EQ(second.slots[0].uacc, 17);
  EXPECT_EQ(second.slots[2].uacc, 19);
  EXPECT_TRUE(second.slots[3].IsDefault());

  const auto noted = [&](const std::string& part) {
    return std::count_if(c.notes.begin(), c.notes.end(),
                         [&](const std::string& n) { return n.find(part) != std::string::npos; });
  };
  EXPECT_EQ(noted("00-header.reabank: holds no bank, only comments"), 1);
  EXPECT_EQ(noted("\"Legato\" named \"Legato 2\""), 1);
  EXPECT_EQ(noted("left out, as its program hides it"), 1);  // once, not once a page
  EXPECT_EQ(noted("named \"alpha Winds Flute: Solo (2)\""), 1);
  EXPECT_NE(c.libraryFiles["NOTICE.txt"].find("someone/banks\n  (commit def5678)"),
            std::string::npos);
  EXPECT_EQ(c.libraryFiles["LICENSE-reaticulate.txt"], "Apache text\n");
  fs::remove_all(sources);
}

// The community collections on a small set of our own: their maps after
// the factory maps, in a folder of their own and marked in the index; a
// community map with a factory map's maker, product and slots, or a
// community map's whole name and slots, left out as a duplicate; banks of no
// articulation, banks that cannot be imported and files the reader refuses
// left out and counted by reason, never failures; key switch lists named by
// their folders and file names; the notice naming every collection.
TEST(FactoryLibrary, CommunityMapsComeAfterMarkedAndWithoutDuplicates) {
  const fs::path sources = fs::temp_directory_path() / "factory_community_test";
  fs::remove_all(sources);
  WriteText(sources / "SOURCES.md",
            "| `articulation-mapping-files/` | someone/yaml | abc1234 | MIT |\n"
            "| `reaticulate-banks/` | someone/banks | def5678 | Apache |\n"
            "| `reaticulate-userbanks/` | someone/banks | def5678 | Apache |\n"
            "| `studio-one-user-presets/` | else/presets | 0123abc | CC0 |\n");
  WriteText(sources / "articulation-mapping-files/LICENSE", "MIT text\n");
  WriteText(sources / "reaticulate-banks/LICENSE.md", "Apache text\n");
  WriteText(sources / "reaticulate-userbanks/LICENSE.md", "Apache text\n");
  WriteText(sources / "studio-one-user-presets/LICENSE", "CC0 text\n");
  fs::create_directories(sources / "articulation-mapping-files/articluster-files");
  const std::string violins = "//! o=note:24\n1 Legato\n//! o=note:25\n2 Staccato\n";
  WriteText(sources / "reaticulate-banks/banks/a.reabank",
            "//! g=\"Zed/Strings\" n=\"Violins\"\nBank * * V\n" + violins);
  WriteText(sources / "reaticulate-userbanks/Zed/zed.reabank",
            // The factory bank under another title: a duplicate.
            "//! g=\"zed/strings\" n=\"Violins A\"\nBank * * V\n" + violins +
                // The same slots for another product: kept.
                "//! g=\"Zed/Brass\" n=\"Horns\"\nBank * * H\n" + violins +
                // Hidden only: no articulation.
                "//! g=\"Zed/Winds\" n=\"Flutes\"\nBank * * F\n//! f=hidden o=note:1\n1 Off\n" +
                // A copy of a bank the file lacks: cannot be imported.
                "//! g=\"Zed/Winds\" n=\"Oboes\" clone=\"Zed/Winds/Nothing\"\nBank * * O\n" +
                // The factory map's name with other slots: named apart.
                "//! g=\"Zed/Strings\" n=\"Violins\"\nBank * * W\n//! o=cc:1,1\n1 Soft\n");
  // The same community bank again in another file: a duplicate.
  WriteText(sources / "reaticulate-userbanks/Zed/zed2.reabank",
            "//! g=\"Zed/Brass\" n=\"Horns\"\nBank * * H\n" + violins);
  const std::string list =
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<Music.KeySwitchList>\n"
      "<Attributes pitch=\"24\" name=\"Long\"/>\n</Music.KeySwitchList>\n";
  WriteText(sources / "studio-one-user-presets/Key Switches/Maker - Product/Flute.keyswitch", list);
  WriteText(sources / "studio-one-user-presets/Key Switches/Maker/Solo Oboe.keyswitch", list);
  WriteText(
      sources / "studio-one-user-presets/Key Switches/Broken.keyswitch",
      "<Music.KeySwitchList><Attributes name=\"A\" activation=\"pb3\"/></Music.KeySwitchList>");

  FactoryConversion c;
  std::string error;
  ASSERT_TRUE(ConvertFactorySources(sources.string(), c, error)) << error;
  EXPECT_TRUE(c.failures.empty()) << c.failures.front();
  struct Want {
    const char* name;
    const char* file;
    bool community;
  };
  const Want wanted[] = {
      {"Zed Strings Violins", "Zed/Strings/Violins.json", false},
      {"Maker Product Flute", "community/Maker/Product/Flute.json", true},
      {"Maker Solo Oboe", "community/Maker/Solo Oboe/Solo Oboe.json", true},
      {"Zed Brass Horns", "community/Zed/Brass/Horns.json", true},
      {"Zed Strings Violins (2)", "community/Zed/Strings/Violins (2).json", true},
  };
  ASSERT_EQ(c.maps.size(), std::size(wanted));
  for (size_t i = 0; i < std::size(wanted); ++i) {
    EXPECT_EQ(c.maps[i].name, wanted[i].name) << i;
    EXPECT_EQ(c.maps[i].file, wanted[i].file) << i;
    EXPECT_EQ(c.maps[i].community, wanted[i].community) << i;
  }
  EXPECT_EQ(c.maps[1].source,
            "studio-one-user-presets/Key Switches/Maker - Product/Flute.keyswitch");

  ASSERT_EQ(c.duplicates.size(), 2u);
  EXPECT_EQ(c.duplicatesOfFactory, 1u);
  EXPECT_EQ(c.duplicates[0].rfind("reaticulate-userbanks/Zed/zed2.reabank: map \"Zed Brass Horns\" "
                                  "has the slots of the community map \"Zed Brass Horns\"",
                                  0),
            0u)
      << c.duplicates[0];
  EXPECT_NE(c.duplicates[1].find("map \"zed strings Violins A\" has the slots of the factory map "
                                 "\"Zed Strings Violins\" (reaticulate-banks/banks/a.reabank)"),
            std::string::npos)
      << c.duplicates[1];
  EXPECT_EQ(c.leftOutReasons,
            (std::map<std::string, size_t>{
                {"cannot be imported", 1}, {"no articulation", 1}, {"refused by its reader", 1}}));
  ASSERT_EQ(c.leftOut.size(), 3u);
  const std::string summary = FactorySummary(c);
  EXPECT_NE(summary.find("5 maps (1 factory, 4 community: 2 from user banks, 2 from key switch "
                         "lists)"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("left out: 3 community banks and files (1 cannot be imported, 1 no "
                         "articulation, 1 refused by its reader), 2 duplicate community maps (1 "
                         "of factory maps)"),
            std::string::npos)
      << summary;

  const nlohmann::json index = nlohmann::json::parse(c.libraryFiles["maps.json"]);
  EXPECT_FALSE(index[0]["community"].get<bool>());
  EXPECT_TRUE(index[4]["community"].get<bool>());
  const std::string& notice = c.libraryFiles["NOTICE.txt"];
  EXPECT_NE(
      notice.find("user banks (.reabank files, userbanks/) of https://github.com/someone/banks"),
      std::string::npos)
      << notice;
  EXPECT_NE(notice.find("\"uncurated and untested\""), std::string::npos);
  EXPECT_NE(notice.find("https://github.com/else/presets (commit 0123abc)"), std::string::npos);
  EXPECT_EQ(c.libraryFiles.count("LICENSE-reaticulate-userbanks.txt"), 0u) << "the same licence";
  EXPECT_EQ(c.libraryFiles["LICENSE-studio-one-user-presets.txt"], "CC0 text\n");
  fs::remove_all(sources);
}

}  // namespace
