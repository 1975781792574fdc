#include "maps/formats/articulation_plist.h"

#include <algorithm>
#include <cctype>

#include "maps/formats/export_items.h"
#include "maps/formats/xml_support.h"
#include "maps/text_encoding.h"

namespace {

// A dict's entries in order: each <key> and the element after it.
struct Entry {
  std::string key;
  pugi::xml_node value;
};

bool Entries(pugi::xml_node dict, const std::string& where, std::vector<Entry>& entries,
             ImportError& error) {
  entries.clear();
  for (pugi::xml_node node = dict.first_child(); node; node = node.next_sibling()) {
    const pugi::xml_node value = node.next_sibling();
    if (std::string_view(node.name()) != "key" || value.type() != pugi::node_element)
      return Fail(error, where, "a dict must hold <key> elements each followed by a value");
    entries.push_back({ElementText(node), value});
    node = value;
  }
  return true;
}

// The value of `key`; the first one when a key repeats.
pugi::xml_node Find(const std::vector<Entry>& entries, std::string_view key) {
  for (const Entry& entry : entries)
    if (entry.key == key) return entry.value;
  return {};
}

bool Is(pugi::xml_node node, const char* type) { return std::string_view(node.name()) == type; }

// An <integer>, or a <real> holding a whole value (hand-edited sets write
// 1002.0 where Logic writes 1002).
bool ReadInteger(pugi::xml_node value, const std::string& where, int& number, ImportError& error) {
  if (!value) return Fail(error, where, "missing");
  const bool real = Is(value, "real");
  if (!real && !Is(value, "integer"))
    return Fail(error, where, "must be an <integer>, not " + Tag(value));
  if (real ? !ParseWholeReal(ElementText(value), number)
           : !ParseWholeNumber(ElementText(value), number))
    return Fail(error, where,
                Tag(value) + " " + Shown(ElementText(value)) + " is not a whole number");
  return true;
}

bool ReadString(pugi::xml_node value, const std::string& where, std::string& text,
                ImportError& error) {
  if (!value) return true;
  if (!Is(value, "string")) return Fail(error, where, "must be a <string>, not " + Tag(value));
  text = OneLineText(ElementText(value));
  return true;
}

// A value as a warning shows it.
std::string Describe(pugi::xml_node value) {
  if (Is(value, "true") || Is(value, "false")) return value.name();
  if (Is(value, "dict") || Is(value, "array")) return Tag(value);
  if (Is(value, "integer") || Is(value, "real")) return OneLineText(ElementText(value));
  return Shown(OneLineText(ElementText(value)));
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool ReadOutput(pugi::xml_node dict, const std::string& where, ForeignArticulation& art,
                ImportError& error) {
  if (!Is(dict, "dict")) return Fail(error, where, "an output must be a <dict>");
  std::vector<Entry> entries;
  if (!Entries(dict, where, entries, error)) return false;
  std::string status = "Note On";  // the type a new output starts with
  if (!ReadString(Find(entries, "Status"), where + ".Status", status, error)) return false;
  const std::string type = Lower(status);
  const bool used = type == "note on" || type == "controller";
  ForeignOutput output;
  output.text = "Status " + status;
  struct Field {
    const char* key;
    int& value;
  };
  const bool noteOn = type == "note on";
  for (const Field field : {Field{"MB1", output.data1}, Field{"ValueLow", output.data2}}) {
    const pugi::xml_node value = Find(entries, field.key);
    if (!value && !used) continue;  // only the types we use need both
    // Sets Logic itself saved often leave a Note On's velocity out; nothing
    // public says what Logic sends then, so it is full velocity.
    if (!value && noteOn && &field.value == &output.data2) {
      output.data2 = 127;
      continue;
    }
    const std::string place = where + "." + field.key;
    if (!ReadInteger(value, place, field.value, error)) return false;
    if (used && !CheckMidiByte(field.value, place, field.key, error)) return false;
    output.text += ", " + std::string(field.key) + " " + std::to_string(field.value);
  }
  if (used) {
    output.kind = noteOn ? ForeignOutput::Kind::Note : ForeignOutput::Kind::ControlChange;
  } else if (type == "program change" || type == "program") {
    output.kind = ForeignOutput::Kind::ProgramChange;
  } else if (type == "pitch bend" && output.data1 >= 0 && output.data1 <= 127 &&
             output.data2 >= 0 && output.data2 <= 127) {
    // MB1 the low 7 bits, ValueLow the high, as the message sends them.
    output.kind = ForeignOutput::Kind::PitchBend;
    output.data1 = (output.data2 << 7 | output.data1) - 8192;
  } else {
    output.kind = ForeignOutput::Kind::Other;
  }
  art.outputs.push_back(output);
  for (const Entry& entry : entries) {
    if (entry.key != "Status" && entry.key != "MB1" && entry.key != "ValueLow")
      art.extras.push_back(where.substr(where.rfind('.') + 1) + " " + entry.key + " " +
                           Describe(entry.value));
  }
  return true;
}

bool ReadArticulation(pugi::xml_node dict, const std::string& where, ForeignArticulation& art,
                      int& id, ImportError& error) {
  art.where = where;
  if (!Is(dict, "dict")) return Fail(error, where, "an articulation must be a <dict>");
  std::vector<Entry> entries;
  if (!Entries(dict, where, entries, error) ||
      !ReadString(Find(entries, "Name"), where + ".Name", art.name, error) ||
      !ReadString(Find(entries, "Symbol"), where + ".Symbol", art.iconName, error))
    return false;
  const pugi::xml_node idValue = Find(entries, "ID");
  if (idValue && !ReadInteger(idValue, art.where + ".ID", id, error)) return false;

  const pugi::xml_node output = Find(entries, "Output");
  if (Is(output, "array")) {
    int index = 0;
    for (pugi::xml_node item = output.first_child(); item; item = item.next_sibling()) {
      if (!ReadOutput(item, art.where + ".Output[" + std::to_string(index++) + "]", art, error))
        return false;
    }
  } else if (output && !ReadOutput(output, art.where + ".Output", art, error)) {
    return false;
  }
  for (const Entry& entry : entries) {
    if (entry.key != "ArticulationID" && entry.key != "ID" && entry.key != "Name" &&
        entry.key != "Symbol" && entry.key != "Output")
      art.extras.push_back(entry.key + " " + Describe(entry.value));
  }
  return true;
}

// Input switches select articulations from played notes; the plug-in
// selects by note colour only. They are never sent: each one is a note.
bool ReadSwitches(pugi::xml_node switches, const std::vector<int>& ids, ForeignBank& bank,
                  ImportError& error) {
  int index = 0;
  for (pugi::xml_node item = switches.first_child(); item; item = item.next_sibling(), ++index) {
    const std::string where = "Switches[" + std::to_string(index) + "]";
    std::vector<Entry> entries;
    if (!Is(item, "dict")) return Fail(error, where, "a switch must be a <dict>");
    if (!Entries(item, where, entries, error)) return false;
    std::string described;
    std::vector<std::string>* target = &bank.notes;  // a switch for no articulation of ours
    for (const Entry& entry : entries) {
      int id = 0;
      ImportError unused;
      if (entry.key == "ID" && ReadInteger(entry.value, where, id, unused)) {
        const auto found = std::find(ids.begin(), ids.end(), id);
        if (found != ids.end()) {
          target = &bank.articulations[static_cast<size_t>(found - ids.begin())].notes;
          continue;
        }
      }
      described += (described.empty() ? "" : ", ") + entry.key + " " + Describe(entry.value);
    }
    target->push_back("input switch " + described);
  }
  return true;
}

bool ReadSetSettings(const std::vector<Entry>& top, ForeignBank& bank, ImportError& error) {
  for (const char* key : {"OctaveOffset", "InputMidiChannel"}) {
    const pugi::xml_node value = Find(top, key);
    int number = 0;
    if (value && !ReadInteger(value, key, number, error)) return false;
    if (number != 0) bank.notes.push_back(std::string(key) + " " + std::to_string(number));
  }
  return true;
}

}  // namespace

bool ReadArticulationPlist(const std::string& text, ForeignMap& map, ImportError& error) {
  if (text.compare(0, 6, "bplist") == 0)
    return Fail(error, "file start",
                "a binary property list; only XML property lists are read (convert it first, "
                "for example with plutil -convert xml1)");
  pugi::xml_document doc;
  if (!ParseXml(text, doc, error)) return false;
  const pugi::xml_node root = doc.document_element();
  if (!Is(root, "plist"))
    return Fail(error, Tag(root), "not a property list: the outermost element must be <plist>");
  const pugi::xml_node top = root.first_child();
  if (!Is(top, "dict")) return Fail(error, "<plist>", "must hold a <dict>");
  std::vector<Entry> entries;
  if (!Entries(top, "<plist>", entries, error)) return false;

  ForeignBank bank;
  if (!ReadString(Find(entries, "Name"), "Name", bank.name, error)) return false;
  const pugi::xml_node articulations = Find(entries, "Articulations");
  if (!Is(articulations, "array"))
    return Fail(error, "Articulations", articulations ? "must be an <array>" : "missing");
  std::vector<int> ids;
  for (pugi::xml_node item = articulations.first_child(); item; item = item.next_sibling()) {
    ForeignArticulation art;
    int id = -1;
    const std::string where = "Articulations[" + std::to_string(ids.size()) + "]";
    if (!ReadArticulation(item, where, art, id, error)) return false;
    bank.articulations.push_back(std::move(art));
    ids.push_back(id);
  }
  if (bank.articulations.empty())
    return Fail(error, "Articulations", "the set has no articulations");

  const pugi::xml_node switches = Find(entries, "Switches");
  if (switches && !Is(switches, "array")) return Fail(error, "Switches", "must be an <array>");
  if (!ReadSwitches(switches, ids, bank, error) || !ReadSetSettings(entries, bank, error))
    return false;
  map.banks = {std::move(bank)};
  return true;
}

namespace {

void Key(pugi::xml_node dict, const char* key) { dict.append_child("key").text().set(key); }

void Integer(pugi::xml_node dict, const char* key, int value) {
  Key(dict, key);
  dict.append_child("integer").text().set(value);
}

void String(pugi::xml_node dict, const char* key, const std::string& value) {
  Key(dict, key);
  dict.append_child("string").append_child(pugi::node_pcdata).set_value(value.c_str());
}

// Logic's own symbol for an icon where one fits (names as real sets write
// them, which the icon table takes back as aliases); else our icon's name.
std::string SymbolName(const SlotSettings& slot) {
  struct Symbol {
    const char* icon;
    const char* logic;
  };
  static constexpr Symbol kLogicSymbols[] = {
      {"staccato", "Staccato"},       {"staccatissimo", "Staccatissimo"},
      {"marcato-quarter", "Marcato"}, {"tenuto-quarter", "Tenuto"},
      {"pizz", "Pizzicato"},
  };
  const std::string ours = SlotIconName(slot);
  for (const Symbol& symbol : kLogicSymbols)
    if (ours == symbol.icon) return symbol.logic;
  return ours;
}

// An articulation holds at most three outputs, on no channel of their own.
constexpr size_t kMaxOutputs = 3;

// The outputs an articulation can hold, and a loss for every other item:
// what it sends past three outputs, channels, held notes, note channels
// beside the track's and the transpose, which a set does not hold.
std::vector<SlotMessage> Outputs(const SlotSettings& slot, int index, ExportLosses& losses) {
  std::vector<SlotMessage> kept;
  for (const SlotMessage& message : SlotMessages(slot)) {
    const std::string item = MessageItem(message);
    if (kept.size() == kMaxOutputs) {
      losses.push_back({index, item, "a .plist articulation holds at most three outputs"});
      continue;
    }
    std::string reason;
    if (message.channel != 0) reason = "a .plist output has no channel; it goes to the track's";
    if (message.held)
      reason += (reason.empty() ? "" : ", and ") +
                std::string("a .plist has no held notes; it is written as a Note On");
    if (!reason.empty()) losses.push_back({index, item, reason});
    kept.push_back(message);
  }
  const SlotAdditions& add = slot.additions;
  for (int c = 0; c < 16; ++c)
    if (add.noteChannels & (1u << c))
      losses.push_back(
          {index, NoteChannelItem(c + 1), "a .plist plays the notes on the track's channel"});
  if (add.transpose != 0)
    losses.push_back({index, TransposeItem(add.transpose), "a .plist has no transpose"});
  return kept;
}

const char* StatusName(int status) {
  switch (status) {
    case 144:
      return "Note On";
    case 176:
      return "Controller";
    case 192:
      return "Program";
    default:
      return "Pitch Bend";
  }
}

void Output(pugi::xml_node parent, const SlotMessage& message) {
  pugi::xml_node dict = parent.append_child("dict");
  Integer(dict, "MB1", message.data1);
  String(dict, "Status", StatusName(message.status));
  Integer(dict, "ValueLow", message.data2);
}

}  // namespace

std::string WriteArticulationPlist(const PluginSettings& settings, const std::string& title,
                                   ExportLosses* losses) {
  ExportLosses unused;
  pugi::xml_document doc;
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node plist = doc.append_child("plist");
  plist.append_attribute("version") = "1.0";
  pugi::xml_node top = plist.append_child("dict");

  // Keys in sorted order, as property list writers keep them.
  Key(top, "Articulations");
  pugi::xml_node articulations = top.append_child("array");
  bool severalOutputs = false;
  const int count = ExportedSlotCount(settings);
  for (int i = 0; i < count; ++i) {
    const SlotSettings& slot = settings.slots[i];
    pugi::xml_node dict = articulations.append_child("dict");
    Integer(dict, "ArticulationID", i + 1);
    Integer(dict, "ID", 1001 + i);
    String(dict, "Name", Windows1252ToUtf8(slot.name));
    // Always an array, empty for a slot that sends nothing, as Logic writes it.
    const std::vector<SlotMessage> messages = Outputs(slot, i, losses ? *losses : unused);
    Key(dict, "Output");
    pugi::xml_node outputs = dict.append_child("array");
    for (const SlotMessage& message : messages) Output(outputs, message);
    severalOutputs = severalOutputs || messages.size() > 1;
    if (!slot.IsDefault()) String(dict, "Symbol", SymbolName(slot));
  }
  Key(top, "MultipleOutputsActive");
  top.append_child(severalOutputs ? "true" : "false");
  String(top, "Name", title);
  Key(top, "Switches");
  top.append_child("array");
  return XmlToString(doc, "\t");
}
