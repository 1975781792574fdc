// The panel's file dialogs and drops as plain rules: the lists of types, the
// extension a saved map's name gets, and the files a drop leaves alone.
#include "editor/map_dialog_rules.h"

#include <gtest/gtest.h>

namespace {

const std::vector<MapFileType> kTypes = {{"Articulation map (JSON)", {".json"}},
                                         {"Reaticulate bank (.reabank)", {".reabank"}},
                                         {"Universal Definition (.yaml)", {".yaml", ".yml"}}};

std::vector<std::string> Lines(const std::vector<DialogFileType>& types) {
  std::vector<std::string> lines;
  for (const DialogFileType& type : types) lines.push_back(type.description + "|" + type.patterns);
  return lines;
}

TEST(MapDialogRules, TheLoadListOpensWithAllMapsAndEndsWithAllFiles) {
  EXPECT_EQ(Lines(LoadDialogTypes(kTypes)),
            (std::vector<std::string>{
                "All maps (.json, .reabank, .yaml, .yml)|*.json;*.reabank;*.yaml;*.yml",
                "Articulation map (JSON)|*.json", "Reaticulate bank (.reabank)|*.reabank",
                "Universal Definition (.yaml)|*.yaml;*.yml", "All files|*.*"}));
  EXPECT_EQ(Lines(SaveDialogTypes(kTypes)),
            (std::vector<std::string>{"Articulation map (JSON)|*.json",
                                      "Reaticulate bank (.reabank)|*.reabank",
                                      "Universal Definition (.yaml)|*.yaml;*.yml"}));
}

TEST(MapDialogRules, ANameWithoutASavedTypesExtensionGetsTheChosenTypes) {
  struct Case {
    const char* extension;  // the name's, lower case
    size_t typeIndex;       // from 1
    const char* added;
  } cases[] = {
      {"", 2, ".reabank"}, {".txt", 1, ".json"}, {".yml", 1, ""}, {".reabank", 1, ""},
      {"", 3, ".yaml"},    {"", 0, ""},          {"", 4, ""},     {".json", 3, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExtensionToAdd(c.extension, c.typeIndex, kTypes), c.added)
        << c.extension << " " << c.typeIndex;
}

TEST(MapDialogRules, OneMapIsLoadedOfFilesDroppedAtOnce) {
  EXPECT_EQ(FilesLeftAlone(0), "");
  EXPECT_EQ(FilesLeftAlone(1), "");
  EXPECT_EQ(FilesLeftAlone(2),
            "1 more file was dropped and left alone: one map is loaded at a time");
  EXPECT_EQ(FilesLeftAlone(4),
            "3 more files were dropped and left alone: one map is loaded at a time");
}

}  // namespace
