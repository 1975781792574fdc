#include "maps/formats/expression_map.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>

#include "maps/formats/export_items.h"
#include "maps/formats/xml_support.h"
#include "maps/icon_names.h"
#include "engine/note_names.h"
#include "maps/text_encoding.h"

namespace {

// Values are children such as <int name="status" value="144"/>.
pugi::xml_node Named(pugi::xml_node parent, const char* tag, const char* name) {
  return parent.find_child_by_attribute(tag, "name", name);
}

// The objects of <member name=".."> → <list>, in order.
pugi::xml_object_range<pugi::xml_named_node_iterator> MemberObjects(pugi::xml_node parent,
                                                                    const char* member) {
  return Named(parent, "member", member).child("list").children("obj");
}

// Absent values stay nullopt; a value that is not a whole number fails.
bool ReadInt(pugi::xml_node parent, const char* name, const std::string& where,
             std::optional<int>& value, ImportError& error) {
  value.reset();
  const pugi::xml_node node = Named(parent, "int", name);
  if (!node) return true;
  int number = 0;
  const char* text = node.attribute("value").value();
  if (!ParseWholeNumber(text, number))
    return Fail(error, where, std::string(name) + " " + Shown(text) + " is not a whole number");
  value = number;
  return true;
}

std::string StringValue(pugi::xml_node parent, const char* name) {
  return Named(parent, "string", name).attribute("value").value();
}

bool ReadOutputEvent(pugi::xml_node event, const std::string& where, ForeignOutput& output,
                     ImportError& error) {
  if (std::string_view(event.attribute("class").value()) != "POutputEvent")
    return Fail(error, where,
                "an object of class " + Shown(event.attribute("class").value()) +
                    " where an output event belongs");
  std::optional<int> status, data1, data2;
  if (!ReadInt(event, "status", where, status, error) ||
      !ReadInt(event, "data1", where, data1, error) ||
      !ReadInt(event, "data2", where, data2, error))
    return false;
  if (!status || !data1)
    return Fail(error, where, status ? "data1 is missing" : "status is missing");
  if (*status < 128 || *status > 255)
    return Fail(error, where,
                "status " + std::to_string(*status) + " is no MIDI status (128..255)");
  output.text = "status " + std::to_string(*status) + ", data1 " + std::to_string(*data1) +
                (data2 ? ", data2 " + std::to_string(*data2) : "");
  // The map's own messages carry channel 0 in the status; a channel comes from
  // the note changer. Another channel in the status is kept as the file says.
  output.channel = (*status & 0x0F) != 0 ? (*status & 0x0F) : -1;
  output.data1 = *data1;
  output.data2 = data2.value_or(0);
  switch (*status & 0xF0) {
    case 0x90:
    case 0xB0:
      output.kind =
          (*status & 0xF0) == 0x90 ? ForeignOutput::Kind::Note : ForeignOutput::Kind::ControlChange;
      if (!data2) return Fail(error, where, "data2 is missing");
      return CheckMidiByte(*data1, where, "data1", error) &&
             CheckMidiByte(*data2, where, "data2", error);
    case 0xC0:
      output.kind = ForeignOutput::Kind::ProgramChange;
      return CheckMidiByte(*data1, where, "data1", error);
    default:
      // Pitch bends and the rest: the program sends note-ons, CCs and
      // program changes only.
      output.kind = ForeignOutput::Kind::Other;
      return true;
  }
}

bool FactorIsOne(const char* text) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  return end != text && std::fabs(value - 1.0) < 1e-6;
}

// The note changer: its channel becomes a Routing output, every other
// setting that changes the note an extra.
bool ReadNoteChanger(pugi::xml_node action, const std::string& where, ForeignArticulation& art,
                     ImportError& error) {
  const pugi::xml_node changer = Named(action, "member", "noteChanger").child("list").child("obj");
  if (!changer) return true;
  std::optional<int> channel, transpose, minVelocity, maxVelocity, minPitch, maxPitch;
  if (!ReadInt(changer, "channel", where, channel, error) ||
      !ReadInt(changer, "transpose", where, transpose, error) ||
      !ReadInt(changer, "minVelocity", where, minVelocity, error) ||
      !ReadInt(changer, "maxVelocity", where, maxVelocity, error) ||
      !ReadInt(changer, "minPitch", where, minPitch, error) ||
      !ReadInt(changer, "maxPitch", where, maxPitch, error))
    return false;
  if (channel && *channel != -1) {
    if (*channel < 0 || *channel > 15)
      return Fail(error, where,
                  "note changer channel " + std::to_string(*channel) + " is outside -1..15");
    ForeignOutput routing;
    routing.kind = ForeignOutput::Kind::Routing;
    routing.channel = *channel;
    routing.text = "note changer channel " + std::to_string(*channel + 1);
    art.outputs.push_back(routing);
  }
  art.transpose = transpose.value_or(0);
  for (const char* factor : {"velocityFact", "lengthFact"}) {
    const char* text = Named(changer, "float", factor).attribute("value").as_string("1");
    if (!FactorIsOne(text)) art.extras.push_back(std::string(factor) + " " + Shown(text));
  }
  if (minVelocity.value_or(0) != 0 || maxVelocity.value_or(127) != 127)
    art.extras.push_back("velocity range " + std::to_string(minVelocity.value_or(0)) + ".." +
                         std::to_string(maxVelocity.value_or(127)));
  if (minPitch.value_or(0) != 0 || maxPitch.value_or(127) != 127)
    art.extras.push_back("pitch range " + NoteName(minPitch.value_or(0)) + ".." +
                         NoteName(maxPitch.value_or(127)));
  return true;
}

// The note changer's channel, -1 for the track's.
int SlotChannel(const ForeignArticulation& art) {
  for (const ForeignOutput& o : art.outputs)
    if (o.kind == ForeignOutput::Kind::Routing) return o.channel;
  return -1;
}

bool ReadRemote(pugi::xml_node slot, const std::string& where, ForeignArticulation& art,
                ImportError& error) {
  const pugi::xml_node remote = Named(slot, "obj", "remote");
  std::optional<int> status, data1;
  if (!ReadInt(remote, "status", where, status, error) ||
      !ReadInt(remote, "data1", where, data1, error))
    return false;
  if (data1.value_or(-1) < 0) return true;  // no remote key
  if (status.value_or(144) == 144)
    art.notes.push_back("remote key " + NoteName(*data1) + " (" + std::to_string(*data1) + ")");
  else
    art.notes.push_back("remote trigger status " + std::to_string(*status) + ", data1 " +
                        std::to_string(*data1));
  return true;
}

// A visual is either a full copy or an empty reference by ID to the map's
// own list of visuals.
using VisualIndex = std::map<std::string, pugi::xml_node>;

bool ReadVisuals(pugi::xml_node slot, const VisualIndex& index, const std::string& where,
                 ForeignArticulation& art, ImportError& error) {
  int count = 0;
  for (pugi::xml_node visual : MemberObjects(slot, "sv")) {
    if (!visual.first_child()) {
      const auto found = index.find(visual.attribute("ID").value());
      if (found != index.end()) visual = found->second;
    }
    std::optional<int> symbol, group;
    if (!ReadInt(visual, "symbol", where, symbol, error) ||
        !ReadInt(visual, "group", where, group, error))
      return false;
    const std::string text = OneLineText(StringValue(visual, "text"));
    // The text is what the program shows; it names one of our icons only
    // in maps this program wrote before (our icon's name).
    if (count++ == 0 && IconIdForName(text) >= 0) art.iconName = text;
    const std::string shown =
        text.empty() ? "symbol " + std::to_string(symbol.value_or(0)) : Shown(text);
    if (group.value_or(0) != 0)
      art.notes.push_back("articulation " + shown + " in group " + std::to_string(*group + 1));
    else if (count > 1)
      art.notes.push_back("further articulation " + shown);
  }
  return true;
}

bool ReadSlot(pugi::xml_node slot, int number, const VisualIndex& visuals, ForeignArticulation& art,
              ImportError& error) {
  art.name = OneLineText(StringValue(Named(slot, "member", "name"), "s"));
  art.where = "sound slot " + std::to_string(number);
  const std::string place = Placed(art.where, art.name);
  if (std::string_view(slot.attribute("class").value()) != "PSoundSlot")
    return Fail(error, place,
                "an object of class " + Shown(slot.attribute("class").value()) +
                    " where a sound slot belongs");
  const pugi::xml_node action = Named(slot, "obj", "action");
  if (!ReadRemote(slot, place, art, error) || !ReadNoteChanger(action, place, art, error) ||
      !ReadVisuals(slot, visuals, place, art, error))
    return false;
  int index = 0;
  for (pugi::xml_node event : MemberObjects(action, "midiMessages")) {
    ForeignOutput output;
    if (!ReadOutputEvent(event, place + ", output " + std::to_string(++index), output, error))
      return false;
    // The slot's channel carries its messages too; only the slot routes.
    if (output.channel < 0) output.channel = SlotChannel(art);
    output.routes = false;
    art.outputs.push_back(output);
  }
  return true;
}

}  // namespace

bool ReadExpressionMap(const std::string& text, ForeignMap& map, ImportError& error) {
  pugi::xml_document doc;
  if (!ParseXml(text, doc, error)) return false;
  const pugi::xml_node root = doc.document_element();
  if (std::string_view(root.name()) != "InstrumentMap")
    return Fail(error, Tag(root),
                "not an expression map: the outermost element must be <InstrumentMap>");

  VisualIndex visuals;
  for (pugi::xml_node visual : MemberObjects(root, "slotvisuals"))
    visuals.emplace(visual.attribute("ID").value(), visual);

  ForeignBank bank;
  bank.name = OneLineText(StringValue(root, "name"));
  int number = 0;
  for (pugi::xml_node slot : MemberObjects(root, "slots")) {
    ForeignArticulation art;
    if (!ReadSlot(slot, ++number, visuals, art, error)) return false;
    bank.articulations.push_back(std::move(art));
  }
  if (bank.articulations.empty())
    return Fail(error, "<member name=\"slots\">", "the map has no sound slots");
  map.banks = {std::move(bank)};
  return true;
}

namespace {

// Builds the object tree; IDs only have to be unique within the file.
class MapWriter {
 public:
  pugi::xml_node Object(pugi::xml_node parent, const char* cls, const char* name = nullptr) {
    pugi::xml_node obj = parent.append_child("obj");
    obj.append_attribute("class") = cls;
    if (name) obj.append_attribute("name") = name;
    obj.append_attribute("ID") = nextId_++;
    return obj;
  }

  static void Int(pugi::xml_node parent, const char* name, int value) {
    pugi::xml_node node = parent.append_child("int");
    node.append_attribute("name") = name;
    node.append_attribute("value") = value;
  }

  static void Float(pugi::xml_node parent, const char* name, const char* value) {
    pugi::xml_node node = parent.append_child("float");
    node.append_attribute("name") = name;
    node.append_attribute("value") = value;
  }

  static void String(pugi::xml_node parent, const char* name, const std::string& value) {
    pugi::xml_node node = parent.append_child("string");
    node.append_attribute("name") = name;
    node.append_attribute("value") = value.c_str();
    node.append_attribute("wide") = "true";
  }

  // <member> with its ownership flag (1 owns the objects, 2 refers to them)
  // and the list the objects go into.
  static pugi::xml_node MemberList(pugi::xml_node parent, const char* name, int ownership,
                                   const char* listName) {
    pugi::xml_node member = parent.append_child("member");
    member.append_attribute("name") = name;
    Int(member, "ownership", ownership);
    pugi::xml_node list = member.append_child("list");
    list.append_attribute("name") = listName;
    list.append_attribute("type") = "obj";
    return list;
  }

 private:
  unsigned nextId_ = 1000;
};

// The articulation's text is what the program's editors and score show, so
// it is the slot's name; our icon has no place in this format.
void WriteVisual(pugi::xml_node visual, const SlotSettings& slot) {
  MapWriter::Int(visual, "displaytype", 1);  // text rather than a symbol
  MapWriter::Int(visual, "articulationtype", 0);
  MapWriter::Int(visual, "symbol", 0);
  MapWriter::String(visual, "text", Windows1252ToUtf8(slot.name));
  MapWriter::String(visual, "description", Windows1252ToUtf8(slot.name));
  MapWriter::Int(visual, "group", 0);
}

// The note settings, as the note changer holds them and, in the
// program's own files, the action repeats them after its messages (there
// with maxPitch before minPitch).
void WriteNoteSettings(pugi::xml_node parent, bool actionOrder, int channel, int transpose) {
  MapWriter::Int(parent, "channel", channel);
  MapWriter::Float(parent, "velocityFact", "1");
  MapWriter::Float(parent, "lengthFact", "1");
  MapWriter::Int(parent, "minVelocity", 0);
  MapWriter::Int(parent, "maxVelocity", 127);
  MapWriter::Int(parent, "transpose", transpose);
  MapWriter::Int(parent, actionOrder ? "maxPitch" : "minPitch", actionOrder ? 127 : 0);
  MapWriter::Int(parent, actionOrder ? "minPitch" : "maxPitch", actionOrder ? 0 : 127);
}

// The slot's one channel (0-based), which carries its notes and messages:
// its note channel when that is a single channel of its own, else -1, the
// track's.
int SlotChannel(const SlotSettings& slot) {
  const uint32_t channels = slot.additions.noteChannels;
  for (int c = 0; c < 16; ++c)
    if (channels == 1u << c) return c;
  return -1;
}

// What of the slot the note changer's one channel cannot carry: notes
// layered on several channels.
void ChannelLosses(const SlotSettings& slot, int index, int channel, ExportLosses& losses) {
  const uint32_t channels = slot.additions.noteChannels;
  if (channel >= 0 || channels == kPluginChannelBit) return;
  for (int c = 0; c < 16; ++c)
    if (channels & (1u << c))
      losses.push_back({index, NoteChannelItem(c + 1),
                        "an .expressionmap plays a slot's notes on one channel; this slot's play "
                        "on the track's"});
}

// The messages the slot's action sends. Pitch bends and held notes have no
// place; a message on the plug-in's channel goes out on the slot's channel.
std::vector<SlotMessage> SentMessages(const SlotSettings& slot, int index, int channel,
                                      ExportLosses& losses) {
  std::vector<SlotMessage> sent;
  for (const SlotMessage& message : SlotMessages(slot)) {
    const std::string item = MessageItem(message);
    if (message.status == 224) {
      losses.push_back({index, item, "an .expressionmap sends no pitch bends"});
      continue;
    }
    if (message.held)
      losses.push_back(
          {index, item, "an .expressionmap has no held notes; it is written as a plain note-on"});
    else if (message.channel == 0 && channel >= 0)
      losses.push_back({index, item,
                        "an .expressionmap sends a slot's messages on the slot's channel, here " +
                            std::to_string(channel + 1)});
    sent.push_back(message);
  }
  return sent;
}

void WriteAction(MapWriter& writer, pugi::xml_node slotNode, const SlotSettings& slot, int index,
                 ExportLosses& losses) {
  const pugi::xml_node action = writer.Object(slotNode, "PSlotMidiAction", "action");
  MapWriter::Int(action, "version", 600);
  const int channel = SlotChannel(slot);
  ChannelLosses(slot, index, channel, losses);
  const int transpose = slot.additions.transpose;
  const pugi::xml_node changer =
      writer.Object(MapWriter::MemberList(action, "noteChanger", 1, "obj"), "PSlotNoteChanger");
  WriteNoteSettings(changer, false, channel, transpose);
  // A slot that sends nothing has the member without a list, as in the
  // program's files.
  const std::vector<SlotMessage> sent = SentMessages(slot, index, channel, losses);
  pugi::xml_node messages = MapWriter::MemberList(action, "midiMessages", 1, "obj");
  if (sent.empty()) messages.parent().remove_child(messages);
  for (const SlotMessage& message : sent) {
    // A message on the slot's channel needs none of its own; another one
    // keeps its channel in the status, as a hand-made file may.
    const bool own = message.channel != 0 && message.channel - 1 != channel;
    const pugi::xml_node event = writer.Object(messages, "POutputEvent");
    MapWriter::Int(event, "status", message.status | (own ? message.channel - 1 : 0));
    MapWriter::Int(event, "data1", message.data1);
    MapWriter::Int(event, "data2", message.data2);
  }
  WriteNoteSettings(action, true, channel, transpose);
  MapWriter::Int(action, "key", slot.keyswitch != kUnset ? slot.keyswitch : -1);
}

}  // namespace

std::string WriteExpressionMap(const PluginSettings& settings, const std::string& title,
                               ExportLosses* losses) {
  ExportLosses unused;
  ExportLosses& lost = losses ? *losses : unused;
  pugi::xml_document doc;
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "utf-8";
  pugi::xml_node root = doc.append_child("InstrumentMap");
  MapWriter writer;
  MapWriter::String(root, "name", title);

  // The map owns the visuals; each slot carries a copy of its own (an empty
  // slot one without text), as in the program's files.
  const int count = ExportedSlotCount(settings);
  const pugi::xml_node visuals = MapWriter::MemberList(root, "slotvisuals", 1, "obj");
  const pugi::xml_node slots = MapWriter::MemberList(root, "slots", 1, "obj");
  for (int i = 0; i < count; ++i) {
    const SlotSettings& slot = settings.slots[i];
    const pugi::xml_node visual = writer.Object(visuals, "USlotVisuals");
    WriteVisual(visual, slot);

    pugi::xml_node slotNode = writer.Object(slots, "PSoundSlot");
    const pugi::xml_node remote = writer.Object(slotNode, "PSlotThruTrigger", "remote");
    MapWriter::Int(remote, "status", 144);
    MapWriter::Int(remote, "data1", -1);
    WriteAction(writer, slotNode, slot, i, lost);
    // The visual shows the name; an import takes the icon from its words.
    if (!slot.IsDefault())
      lost.push_back({i, IconItem(slot.icon), "an .expressionmap holds no icon"});
    MapWriter::MemberList(slotNode, "sv", 2, "obj").append_copy(visual);
    pugi::xml_node name = slotNode.append_child("member");
    name.append_attribute("name") = "name";
    MapWriter::String(name, "s", Windows1252ToUtf8(slot.name));
    MapWriter::Int(slotNode, "color", 0);
  }
  pugi::xml_node controller = root.append_child("member");
  controller.append_attribute("name") = "controller";
  MapWriter::Int(controller, "ownership", 1);
  return XmlToString(doc, "   ");
}
