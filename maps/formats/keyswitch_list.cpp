#include "maps/formats/keyswitch_list.h"

#include <algorithm>
#include <map>

#include "maps/formats/export_items.h"
#include "maps/formats/xml_support.h"
#include "engine/note_names.h"
#include "maps/text_encoding.h"

namespace {

constexpr const char kRoot[] = "Music.KeySwitchList";
constexpr const char kEntry[] = "Attributes";
constexpr int kMaxFolderDepth = 8;
constexpr const char kKnownTokens[] = "noteN, noteN.V, offN, offN.V, ccN.V, pcN, bcN.V";

bool Is(pugi::xml_node node, const char* name) { return std::string_view(node.name()) == name; }

// "line 7": where an element starts in the text.
std::string LineOf(const std::string& text, pugi::xml_node node) {
  const ptrdiff_t offset = node.offset_debug();
  if (offset < 0) return "";
  const size_t end = std::min(static_cast<size_t>(offset), text.size());
  return "line " + std::to_string(1 + std::count(text.begin(), text.begin() + end, '\n'));
}

// Digits only, as the tokens write their numbers.
bool Digits(std::string_view text, int& value) {
  if (text.empty() || text.size() > 3) return false;
  value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// One activation token as an output. False with `error` for a token of no
// known kind (named) and for a known one whose numbers do not read.
bool ReadToken(std::string_view token, const std::string& where, ForeignOutput& output,
               ImportError& error) {
  struct Kind {
    const char* prefix;
    ForeignOutput::Kind kind;
    int values;  // 1: N only; 2: N.V; 3: N with an optional .V
  };
  static constexpr Kind kKinds[] = {
      {"note", ForeignOutput::Kind::Note, 3},        {"off", ForeignOutput::Kind::Other, 3},
      {"cc", ForeignOutput::Kind::ControlChange, 2}, {"pc", ForeignOutput::Kind::ProgramChange, 1},
      {"bc", ForeignOutput::Kind::ControlChange, 2},
  };
  output.text = std::string(token);
  for (const Kind& kind : kKinds) {
    const std::string_view prefix = kind.prefix;
    if (token.substr(0, prefix.size()) != prefix) continue;
    const std::string_view numbers = token.substr(prefix.size());
    if (numbers.empty() || numbers[0] < '0' || numbers[0] > '9') continue;  // another word
    const size_t dot = numbers.find('.');
    const bool hasValue = dot != std::string_view::npos;
    int first = 0, second = 127;  // a note without velocity is played at full velocity
    if (!Digits(numbers.substr(0, dot), first) ||
        (hasValue && !Digits(numbers.substr(dot + 1), second)) || (kind.values == 1 && hasValue) ||
        (kind.values == 2 && !hasValue))
      return Fail(error, where,
                  "activation token " + Shown(token) + " does not read as " + kind.prefix +
                      (kind.values == 1   ? "N"
                       : kind.values == 2 ? "N.V"
                                          : "N or " + std::string(kind.prefix) + "N.V") +
                      ", with whole numbers 0..127");
    if (!CheckMidiByte(first, where, "activation token " + Shown(token) + ": N", error) ||
        !CheckMidiByte(second, where, "activation token " + Shown(token) + ": V", error))
      return false;
    output.kind = kind.kind;
    output.data1 = first;
    output.data2 = kind.values == 1 ? 0 : second;
    return true;
  }
  return Fail(error, where,
              "unknown activation token " + Shown(token) + " (known: " + kKnownTokens + ")");
}

bool ReadActivation(std::string_view activation, const std::string& where, ForeignArticulation& art,
                    ImportError& error) {
  size_t start = 0;
  while (start <= activation.size()) {
    size_t end = activation.find('|', start);
    if (end == std::string_view::npos) end = activation.size();
    const std::string token = OneLineText(activation.substr(start, end - start));
    start = end + 1;
    if (token.empty()) continue;
    ForeignOutput output;
    if (!ReadToken(token, where, output, error)) return false;
    art.outputs.push_back(output);
  }
  return true;
}

// The notation symbols of the score block that name an icon of ours.
const char* IconOfSymbol(std::string_view symbol) {
  struct Symbol {
    const char* symbol;
    const char* icon;
  };
  static constexpr Symbol kSymbols[] = {{"stac", "staccato"},
                                        {"slur", "legato"},
                                        {"pizz", "pizz"},
                                        {"trm3", "tremolo"},
                                        {"sord", "con-sordino"}};
  for (const Symbol& s : kSymbols)
    if (symbol == s.symbol) return s.icon;
  return nullptr;
}

class ListReader {
 public:
  ListReader(const std::string& text, ForeignBank& bank) : text_(text), bank_(bank) {}

  // The articulations of `parent` in order, and those of each folder in it.
  bool Entries(pugi::xml_node parent, ImportError& error, int depth = 0) {
    // Folders hold articulations, not folders upon folders; a bound keeps a
    // hostile file from exhausting the stack.
    if (depth > kMaxFolderDepth)
      return Fail(error, LineOf(text_, parent),
                  "folders nested more than " + std::to_string(kMaxFolderDepth) + " deep");
    for (pugi::xml_node node = parent.first_child(); node; node = node.next_sibling()) {
      if (node.type() != pugi::node_element) continue;
      if (!Is(node, kEntry)) {
        bank_.notes.push_back("element " + Tag(node) + " (" + LineOf(text_, node) + ")");
        continue;
      }
      if (std::string_view(node.attribute("x:id").value()) == "score") {
        scores_.push_back(node);
        continue;
      }
      if (!Entry(node, error)) return false;
      if (node.attribute("folder").as_int() == 1 && !Entries(node, error, depth + 1)) return false;
    }
    return true;
  }

  // The score block's symbols, each to the articulation of its id.
  void Scores() {
    for (pugi::xml_node score : scores_)
      for (pugi::xml_node symbol : score.children(kEntry)) {
        const std::string name = OneLineText(symbol.attribute("symbol").value());
        const std::string id = OneLineText(symbol.attribute("variationID").value());
        const auto found = ids_.find(id);
        if (found == ids_.end()) {
          bank_.notes.push_back("score symbol " + Shown(name) + " for variation id " + Shown(id) +
                                ", which no articulation has");
          continue;
        }
        ForeignArticulation& art = bank_.articulations[found->second];
        const char* icon = IconOfSymbol(name);
        if (icon && art.iconName.empty())
          art.iconName = icon;
        else
          art.notes.push_back("score symbol " + Shown(name));
      }
  }

 private:
  bool Entry(pugi::xml_node node, ImportError& error) {
    ForeignArticulation art;
    art.name = OneLineText(node.attribute("name").value());
    art.where = LineOf(text_, node);
    const std::string place = Placed(art.where, art.name);
    const pugi::xml_attribute pitchAttribute = node.attribute("pitch");
    int pitch = -1;
    if (pitchAttribute) {
      if (!ParseWholeNumber(pitchAttribute.value(), pitch))
        return Fail(error, place,
                    "pitch " + Shown(pitchAttribute.value()) + " is not a whole number");
      if (!CheckMidiByte(pitch, place, "pitch", error)) return false;
    }
    const pugi::xml_attribute activation = node.attribute("activation");
    if (activation) {
      if (!ReadActivation(activation.value(), place, art, error)) return false;
      if (pitch >= 0)
        art.notes.push_back("input key " + NoteName(pitch) + " (pitch=" + std::to_string(pitch) +
                            ")");
    } else if (pitch >= 0) {
      ForeignOutput key;
      key.kind = ForeignOutput::Kind::Note;
      key.data1 = pitch;
      key.data2 = 127;
      key.text = "pitch=" + std::to_string(pitch);
      art.outputs.push_back(key);
    }
    const std::string colour = OneLineText(node.attribute("color").value());
    if (!colour.empty()) art.notes.push_back("colour " + colour);
    const std::string momentary = OneLineText(node.attribute("momentary").value());
    if (!momentary.empty() && momentary != "0")
      art.extras.push_back("momentary=" + Shown(momentary));
    if (node.attribute("folder").as_int() == 1) {
      art.hidden = true;
      art.hiddenBecause = "it is a folder, a group of articulations";
    }
    const std::string id = OneLineText(node.attribute("id").value());
    if (!id.empty()) ids_.emplace(id, bank_.articulations.size());
    bank_.articulations.push_back(std::move(art));
    return true;
  }

  const std::string& text_;
  ForeignBank& bank_;
  std::map<std::string, size_t> ids_;  // the first articulation of each id
  std::vector<pugi::xml_node> scores_;
};

}  // namespace

bool ReadKeySwitchList(const std::string& text, ForeignMap& map, ImportError& error) {
  pugi::xml_document doc;
  if (!ParseXml(text, doc, error)) return false;
  const pugi::xml_node root = doc.document_element();
  if (!Is(root, kRoot))
    return Fail(
        error, Tag(root),
        std::string("not a key switch list: the outermost element must be <") + kRoot + ">");
  ForeignBank bank;
  bank.name = OneLineText(root.attribute("name").value());
  ListReader reader(text, bank);
  if (!reader.Entries(root, error)) return false;
  reader.Scores();
  if (bank.articulations.empty())
    return Fail(error, Tag(root), "the list has no articulations (<Attributes name=..>)");
  map.banks = {std::move(bank)};
  return true;
}

namespace {

// Colours of real lists, one for each slot, so the program shows the
// articulations apart.
constexpr const char* kColours[kSlotCount] = {
    "FFDD6105", "FFD89D00", "FFE9C400", "FFFFFF05", "FFCDE700", "FFA5FF66", "FF96FFA6", "FF12FF8D",
    "FF04FFE1", "FF0D0DFF", "FF5C00FF", "FF8D56FF", "FFD06EBC", "FFC42E7B", "FFAD6415", "FFFFBE0D"};

std::string Token(const SlotMessage& message) {
  const std::string n = std::to_string(message.data1);
  switch (message.status) {
    case 144:
      return "note" + n + (message.data2 == 127 ? "" : "." + std::to_string(message.data2));
    case 176:
      return "cc" + n + "." + std::to_string(message.data2);
    default:
      return "pc" + n;
  }
}

// The activation of a slot, and a loss for every item a list cannot hold:
// pitch bends, held notes, channels of their own, note channels beside the
// track's, a transpose and the icon.
std::string Activation(const SlotSettings& slot, int index, ExportLosses& losses) {
  std::string tokens;
  for (const SlotMessage& message : SlotMessages(slot)) {
    const std::string item = MessageItem(message);
    if (message.status == 224) {
      losses.push_back({index, item, "a .keyswitch sends no pitch bends"});
      continue;
    }
    std::string reason;
    if (message.channel != 0) reason = "a .keyswitch sends everything on the track's channel";
    if (message.held) {
      if (!reason.empty()) reason += ", and ";
      reason += "a .keyswitch has no held notes; it is written as a note";
    }
    if (!reason.empty()) losses.push_back({index, item, reason});
    if (!tokens.empty()) tokens += '|';
    tokens += Token(message);
  }
  const SlotAdditions& add = slot.additions;
  for (int c = 0; c < 16; ++c)
    if (add.noteChannels & (1u << c))
      losses.push_back(
          {index, NoteChannelItem(c + 1), "a .keyswitch plays the notes on the track's channel"});
  if (add.transpose != 0)
    losses.push_back({index, TransposeItem(add.transpose), "a .keyswitch has no transpose"});
  if (!slot.IsDefault())
    losses.push_back({index, IconItem(slot.icon), "a .keyswitch holds no icon"});
  return tokens;
}

}  // namespace

std::string WriteKeySwitchList(const PluginSettings& settings, const std::string& title,
                               ExportLosses* losses) {
  ExportLosses unused;
  pugi::xml_document doc;
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = doc.append_child(kRoot);
  root.append_attribute("name") = title.c_str();
  const int count = ExportedSlotCount(settings);
  for (int i = 0; i < count; ++i) {
    const SlotSettings& slot = settings.slots[i];
    pugi::xml_node entry = root.append_child(kEntry);
    entry.append_attribute("name") = Windows1252ToUtf8(slot.name).c_str();
    entry.append_attribute("color") = kColours[i];
    entry.append_attribute("id") = i;
    entry.append_attribute("pitch") = slot.keyswitch != kUnset ? slot.keyswitch : 0;
    entry.append_attribute("activation") = Activation(slot, i, losses ? *losses : unused).c_str();
  }
  // The byte-order mark the program's own files begin with.
  return "\xEF\xBB\xBF" + XmlToString(doc, "\t");
}
