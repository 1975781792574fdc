// What the XML map readers and writers share: parsing with an error placed
// by line and column, strict numbers, element names for messages, and the
// messages a slot sends in the order the plug-in sends them.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "maps/foreign_map.h"
#include "maps/plugin_settings.h"

// Fills `error` and returns false, for readers to return at once.
bool Fail(ImportError& error, std::string where, std::string message);

// Parses a whole document. A failure names the line and column where
// parsing stopped and what pugixml found there.
bool ParseXml(const std::string& text, pugi::xml_document& doc, ImportError& error);

// Text as one line: line breaks become spaces, and spaces and tabs at
// either end go (the same blanks the import's name cut removes, so a name
// comes back as it was written).
std::string OneLineText(std::string_view text);

// A whole decimal number with an optional sign and nothing else around it
// but spaces; false when out of the int range.
bool ParseWholeNumber(std::string_view text, int& value);

// A decimal number, as property lists write <real>, whose value is whole and
// fits an int ("1002.0", "1002", "1.002e3"); false for anything else.
bool ParseWholeReal(std::string_view text, int& value);

// All the text directly inside an element (character data and CDATA).
std::string ElementText(pugi::xml_node node);

// An element's name as a tag: <dict>.
std::string Tag(pugi::xml_node node);

// A value from the file for a message: quoted, and cut when long.
std::string Shown(std::string_view text);

// `label` followed by the articulation's name in quotes when it has one:
// slot 3 ("Legato").
std::string Placed(const std::string& label, const std::string& name);

// Fails unless `value` lies in 0..127, naming `what` and where it stands.
bool CheckMidiByte(int value, const std::string& where, const std::string& what,
                   ImportError& error);

// The number of slots an export writes: up to the last slot in use, so the
// empty slots before it keep every later slot in its position, and at least
// one, since a map without articulations is no map. An empty slot is written
// as a placeholder: no name, no icon, nothing to send.
int ExportedSlotCount(const PluginSettings& settings);

// What a slot sends when selected, in the plug-in's order: the keyswitch
// note at its velocity, CC 32 with the UACC value, CC 1 with the modwheel,
// then its actions (held notes as their note-on).
struct SlotMessage {
  int status;  // 144 note-on, 176 control change, 192 program, 224 pitch bend
  int data1;
  int data2;
  int channel = 0;    // 1..16, or 0 for the plug-in's
  bool held = false;  // a note held until the next switch of slot
  int action = -1;    // its index among the slot's actions; -1 for the slot's own three fields
};
std::vector<SlotMessage> SlotMessages(const SlotSettings& slot);

// The name of the slot's icon in the shared icon table; empty for an icon
// outside it.
std::string SlotIconName(const SlotSettings& slot);

// The document as UTF-8 text, indented by `indent`.
std::string XmlToString(const pugi::xml_document& doc, const char* indent);
