// Real maps of other programs (tests/files/real): each imports whole, and
// our exports have the shape of the program's own files: every element or
// key we write stands where the real files have it, with the same children
// in the same order (expression maps) or keys in sorted order (property
// lists, as Logic writes them). Values are not compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <vector>

#include "example_maps.h"
#include "real_maps.h"
#include "maps/articulation_map.h"
#include "maps/formats/articulation_plist.h"
#include "maps/formats/expression_map.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(RealMaps, EachImportsWhole) {
  int files = 0;
  for (const RealMap& real : kRealMaps) {
    ++files;
    const std::string text = real.text;
    ForeignMap map;
    ImportError error;
    ASSERT_TRUE(ReadForeignMap(real.name, {text.begin(), text.end()}, map, error))
        << real.name << ": " << error.where << ": " << error.message;
    for (const ForeignBank& bank : map.banks) {
      EXPECT_TRUE(bank.problem.empty()) << real.name << ": " << bank.problem;
      // Every articulation, sixteen at a time.
      for (size_t first = 1; first <= bank.articulations.size(); first += kSlotCount) {
        ImportChoice choice{map.banks.size() > 1 ? bank.name : "", {}};
        for (size_t i = first; i < first + kSlotCount && i <= bank.articulations.size(); ++i)
          choice.pick.push_back(std::to_string(i));
        ImportResult result;
        EXPECT_TRUE(ImportForeignMap(map, real.name, choice, result, error))
            << real.name << ": " << error.where << ": " << error.message;
      }
    }
  }
  EXPECT_GE(files, 10);
}

TEST(RealMaps, LogicSetsAsSavedWithoutVelocities) {
  // Logic writes Note On outputs without ValueLow: full velocity, no warning.
  for (const RealMap& real : kRealMaps) {
    if (std::string(real.name) != "AR1_Strings.plist") continue;
    const std::string text = real.text;
    ForeignMap map;
    ImportError error;
    ImportResult result;
    ASSERT_TRUE(ReadForeignMap(real.name, {text.begin(), text.end()}, map, error));
    ASSERT_TRUE(ImportForeignMap(map, real.name, {}, result, error));
    EXPECT_TRUE(result.warnings.empty()) << result.warnings.front();
    EXPECT_EQ(result.settings.slots[4].name, "Pizzicato");
    EXPECT_EQ(result.settings.slots[4].keyswitch, 4);
    return;
  }
  FAIL() << "AR1_Strings.plist is not among the real maps";
}

// An element as the shape compares it: its tag with the attribute that
// says what it is (class, else name), such as obj[PSlotMidiAction] or
// int[key]; for a property list, a dict's value by its key.
std::string Label(pugi::xml_node node) {
  std::string label = node.name();
  const char* what =
      node.attribute("class") ? node.attribute("class").value() : node.attribute("name").value();
  if (*what) label += std::string("[") + what + "]";
  return label;
}

// Every element's path from the root, with the labels of its children in
// order (a run of like children once); for property lists a dict's children are its keys, each path
// step of a dict value the key's text.
using Shapes = std::map<std::string, std::set<std::vector<std::string>>>;

void CollectXml(pugi::xml_node node, const std::string& path, Shapes& shapes) {
  std::vector<std::string> children;
  for (pugi::xml_node child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    // A list's length is a value: a run of like objects counts once.
    if (children.empty() || children.back() != Label(child)) children.push_back(Label(child));
    CollectXml(child, path + "/" + Label(child), shapes);
  }
  shapes[path].insert(children);
}

void CollectPlist(pugi::xml_node node, const std::string& path, Shapes& shapes) {
  std::vector<std::string> keys;
  std::string key;
  for (pugi::xml_node child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    if (std::string(child.name()) == "key") {
      key = child.text().get();
      keys.push_back(key);
      continue;
    }
    const std::string step = std::string(node.name()) == "dict" ? key : "[]";
    CollectPlist(child, path + "/" + step + ":" + child.name(), shapes);
  }
  if (std::string(node.name()) == "dict") shapes[path].insert(keys);
}

Shapes ShapesOf(const std::string& text, bool plist) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(text.c_str()));
  Shapes shapes;
  if (plist)
    CollectPlist(doc.document_element(), "plist", shapes);
  else
    CollectXml(doc.document_element(), Label(doc.document_element()), shapes);
  return shapes;
}

TEST(RealMaps, ExportsHaveTheShapeOfRealFiles) {
  PluginSettings settings;
  MapError mapError;
  ASSERT_TRUE(ParseArticulationMap(kExample_strings_json, settings, mapError));
  settings.slots[10].name = "Spare";  // empty slots before it
  for (const char* out : {"shape.expressionmap", "shape.plist"}) {
    const bool plist = EndsWith(out, ".plist");
    Shapes real;
    int files = 0;
    for (const RealMap& file : kRealMaps) {
      if (!EndsWith(file.name, plist ? ".plist" : ".expressionmap")) continue;
      ++files;
      for (const auto& [path, children] : ShapesOf(file.text, plist))
        real[path].insert(children.begin(), children.end());
    }
    ASSERT_GE(files, 2) << out;

    std::string text, error;
    std::vector<std::string> losses, notes;
    ASSERT_TRUE(ExportForeignMap(out, settings, text, losses, notes, error)) << error;
    for (const auto& [path, shapes] : ShapesOf(text, plist)) {
      ASSERT_TRUE(real.count(path)) << out << ": no real file has " << path;
      for (const std::vector<std::string>& children : shapes) {
        if (plist) {
          // Keys as Logic writes them: sorted, each one a real file has there.
          EXPECT_TRUE(std::is_sorted(children.begin(), children.end())) << out << ": " << path;
          std::set<std::string> known;
          for (const auto& keys : real[path]) known.insert(keys.begin(), keys.end());
          for (const std::string& key : children)
            EXPECT_TRUE(known.count(key)) << out << ": no real file has " << path << "/" << key;
        } else {
          std::string listed;
          for (const std::string& child : children) listed += " " + child;
          EXPECT_TRUE(real[path].count(children))
              << out << ": no real file has " << path << " with the children" << listed;
        }
      }
    }
  }
}

// The attributes of an articulation in the order the file gives them.
std::vector<std::vector<std::string>> EntryAttributes(const std::string& text) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(text.c_str()));
  std::vector<std::vector<std::string>> entries;
  for (pugi::xml_node entry : doc.document_element().children("Attributes")) {
    if (entry.attribute("x:id")) continue;  // the score block
    entries.emplace_back();
    for (pugi::xml_attribute a : entry.attributes()) entries.back().push_back(a.name());
  }
  return entries;
}

// Each real list, imported and written again as a list, comes back as the
// same slots with nothing lost but icons; every articulation we write has
// the attributes of a Sound Variation in a real file, in the same order.
TEST(RealMaps, KeySwitchListsComeBackAndOursLookLikeThem) {
  std::set<std::vector<std::string>> real;
  for (const RealMap& file : kRealMaps)
    if (EndsWith(file.name, ".keyswitch"))
      for (const auto& attributes : EntryAttributes(file.text)) real.insert(attributes);
  int files = 0;
  for (const RealMap& file : kRealMaps) {
    if (!EndsWith(file.name, ".keyswitch")) continue;
    ++files;
    const std::string text = file.text;
    ForeignMap map;
    ImportError error;
    ImportResult imported, back;
    ASSERT_TRUE(ReadForeignMap(file.name, {text.begin(), text.end()}, map, error));
    ASSERT_TRUE(ImportForeignMap(map, file.name, {}, imported, error));
    std::string written, problem;
    std::vector<std::string> losses, notes;
    ASSERT_TRUE(
        ExportForeignMap("again.keyswitch", imported.settings, written, losses, notes, problem))
        << problem;
    EXPECT_TRUE(losses.empty()) << file.name << ": " << losses.front();
    ASSERT_TRUE(ReadForeignMap("again.keyswitch", {written.begin(), written.end()}, map, error));
    ASSERT_TRUE(ImportForeignMap(map, "again.keyswitch", {}, back, error));
    for (int i = 0; i < kSlotCount; ++i)
      back.settings.slots[i].icon = imported.settings.slots[i].icon;
    EXPECT_EQ(back.settings.slots, imported.settings.slots) << file.name << "\n" << written;
    for (const auto& attributes : EntryAttributes(written))
      EXPECT_TRUE(real.count(attributes)) << file.name << ": no real list writes " << written;
  }
  EXPECT_GE(files, 4);
}

}  // namespace
