#include "maps/articulation_map.h"

#include <nlohmann/json.hpp>
#include <algorithm>
#include <set>
#include <vector>

#include "engine/note_names.h"
#include "maps/text_encoding.h"
#include "maps/uacc_names.h"

// Out of memory, the library's trees can end the process: a tree frees its
// nodes through a stack it allocates, in a destructor, and an object that
// keeps its keys in order grows by copying its members and freeing the old
// ones. So a map is read into objects that keep their keys in a tree of
// nodes (document order is not needed to read it), and written into ordered
// objects made with room for all their keys; and every tree has one owner,
// which takes it apart leaf first before it goes: a node without children
// frees without allocating. A map nests a few levels deep; a deeper text is
// refused while it is read, so the recursion stays short.
using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

namespace {

constexpr size_t kMaxNameBytes = 255;
constexpr int kMaxDepth = 16;
constexpr size_t kMaxObjectKeys = 16;  // no object written here has more

template <typename Tree>
void TakeApart(Tree& node) noexcept {
  if (node.is_array()) {
    for (Tree& child : node) TakeApart(child);
    node.template get_ref<typename Tree::array_t&>().clear();
  } else if (node.is_object()) {
    for (auto& member : node.template get_ref<typename Tree::object_t&>()) TakeApart(member.second);
    node.template get_ref<typename Tree::object_t&>().clear();
  }
}

// The owner of a tree: the tree is taken apart however its scope ends.
template <typename Tree>
class OwnedTree {
 public:
  OwnedTree() = default;
  ~OwnedTree() { TakeApart(root); }
  OwnedTree(const OwnedTree&) = delete;
  OwnedTree& operator=(const OwnedTree&) = delete;
  Tree root;
};

// An ordered object with room for every key it will get.
OrderedJson& MakeObject(OrderedJson& node) {
  node = OrderedJson::object();
  node.get_ref<OrderedJson::object_t&>().reserve(kMaxObjectKeys);
  return node;
}
constexpr const char* kPluginChannelName = "plug-in";

bool Fail(MapError& error, std::string field, std::string message) {
  error = {std::move(field), std::move(message)};
  return false;
}

std::string Shown(const Json& value) {
  std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (text.size() > 40) text = text.substr(0, 37) + "...";
  return text;
}

bool ReadInt(const Json& value, const std::string& field, int lo, int hi, int32_t& out,
             MapError& error) {
  const std::string range =
      "a whole number from " + std::to_string(lo) + " to " + std::to_string(hi);
  if (value.is_number_integer()) {
    // Checked as 64-bit numbers: a huge unsigned value must not wrap into range.
    const bool inRange = value.is_number_unsigned()
                             ? value.get<uint64_t>() <= static_cast<uint64_t>(hi) &&
                                   static_cast<int64_t>(value.get<uint64_t>()) >= lo
                             : value.get<int64_t>() >= lo && value.get<int64_t>() <= hi;
    if (!inRange) return Fail(error, field, Shown(value) + " is out of range: must be " + range);
    out = static_cast<int32_t>(value.get<int64_t>());
    return true;
  }
  return Fail(error, field, "must be " + range + ", not " + Shown(value));
}

bool ReadBool(const Json& value, const std::string& field, int32_t& out, MapError& error) {
  if (!value.is_boolean()) return Fail(error, field, "must be true or false, not " + Shown(value));
  out = value.get<bool>() ? 1 : 0;
  return true;
}

// uacc and modwheel: null means unset, like leaving the field out.
bool ReadOptionalByte(const Json& value, const std::string& field, int32_t& out, MapError& error) {
  if (value.is_null()) {
    out = kUnset;
    return true;
  }
  return ReadInt(value, field, 0, 127, out, error);
}

bool ReadKeyswitch(const Json& value, const std::string& field, int32_t& out, MapError& error) {
  if (value.is_string()) {
    int note = 0;
    if (!ParseNoteName(value.get<std::string>(), note))
      return Fail(error, field,
                  Shown(value) + " is not a note name from C-2 to G8 (such as C0, F#1 or Bb-1)");
    out = note;
    return true;
  }
  if (value.is_null()) {
    out = kUnset;
    return true;
  }
  if (!value.is_number_integer())
    return Fail(error, field,
                "must be a note name (such as C0 or F#1) or a note number from 0 to 127, not " +
                    Shown(value));
  return ReadInt(value, field, 0, 127, out, error);
}

// A number, or a standard articulation name ("spiccato" = 42).
bool ReadUacc(const Json& value, const std::string& field, int32_t& out, MapError& error) {
  if (!value.is_string()) return ReadOptionalByte(value, field, out, error);
  const int known = UaccValueForName(value.get<std::string>());
  if (known < 0)
    return Fail(error, field,
                Shown(value) +
                    " is not a UACC articulation name; give a number 0 to 127 or a name such as "
                    "\"legato\", \"spiccato\" or \"long muted\"");
  out = known;
  return true;
}

std::string KnownList(const std::vector<std::string>& names) {
  std::string list;
  for (const auto& n : names) list += (list.empty() ? "" : ", ") + n;
  return list;
}

bool CheckObject(const Json& value, const std::string& field, MapError& error) {
  if (!value.is_object())
    return Fail(error, field.empty() ? "(top level)" : field,
                "must be a JSON object {...}, not " + Shown(value));
  return true;
}

bool UnknownField(const std::string& where, const std::string& key,
                  const std::vector<std::string>& known, MapError& error) {
  return Fail(error, where.empty() ? key : where + "." + key,
              "unknown field; known fields here are " + KnownList(known));
}

bool ReadOptions(const Json& options, PluginSettings& s, MapError& error) {
  if (!CheckObject(options, "options", error)) return false;
  for (const auto& [key, value] : options.items()) {
    const std::string field = "options." + key;
    if (key == "ccGhosting") {
      if (!ReadBool(value, field, s.ccGhosting, error)) return false;
    } else if (key == "preservePortChannel") {
      if (!ReadBool(value, field, s.preservePortChannel, error)) return false;
    } else {
      return UnknownField("options", key, {"ccGhosting", "preservePortChannel"}, error);
    }
  }
  return true;
}

bool ReadControllers(const Json& controllers, PluginSettings& s, MapError& error) {
  if (!CheckObject(controllers, "controllers", error)) return false;
  for (const auto& [key, value] : controllers.items()) {
    int position = -1;
    for (int i = 0; i < kControllerCount; ++i)
      if (key == kControllerNames[i]) position = i;
    if (position < 0)
      return UnknownField(
          "controllers", key,
          std::vector<std::string>(kControllerNames.begin(), kControllerNames.end()), error);
    if (!ReadInt(value, "controllers." + key, 0, 127, s.controllers[position], error)) return false;
  }
  return true;
}

// "noteChannels": [1..16 or "plug-in", ...], not empty, each once.
bool ReadNoteChannels(const Json& value, const std::string& field, uint32_t& out, MapError& error) {
  if (!value.is_array() || value.empty())
    return Fail(error, field,
                "must be a list of channels 1 to 16 and \"plug-in\" (the plug-in's channel), not " +
                    Shown(value));
  uint32_t set = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string at = field + "[" + std::to_string(i) + "]";
    uint32_t bit = 0;
    if (value[i].is_string() && value[i].get<std::string>() == kPluginChannelName) {
      bit = kPluginChannelBit;
    } else {
      int32_t channel = 0;
      if (!value[i].is_number_integer())
        return Fail(error, at, "must be a channel 1 to 16 or \"plug-in\", not " + Shown(value[i]));
      if (!ReadInt(value[i], at, 1, 16, channel, error)) return false;
      bit = 1u << (channel - 1);
    }
    if (set & bit) return Fail(error, at, Shown(value[i]) + " is listed twice");
    set |= bit;
  }
  out = set;
  return true;
}

const std::vector<std::string> kActionFields = {"note",  "velocity", "held",      "cc",
                                                "value", "program",  "pitchBend", "channel"};

// One action: exactly one of note, cc, program and pitchBend, with the
// fields that go with it.
bool ReadAction(const Json& entry, const std::string& where, SlotAction& action, MapError& error) {
  if (!CheckObject(entry, where, error)) return false;
  int kinds = 0;
  for (const char* kind : {"note", "cc", "program", "pitchBend"})
    kinds += entry.contains(kind) ? 1 : 0;
  if (kinds != 1)
    return Fail(error, where,
                "must hold exactly one of \"note\", \"cc\", \"program\" and \"pitchBend\"");
  for (const auto& [key, value] : entry.items()) {
    if (std::find(kActionFields.begin(), kActionFields.end(), key) == kActionFields.end())
      return UnknownField(where, key, kActionFields, error);
  }
  auto allowed = [&](std::initializer_list<const char*> keys) {
    for (const auto& [key, value] : entry.items()) {
      bool ok = key == "channel";
      for (const char* k : keys) ok = ok || key == k;
      if (!ok) return Fail(error, where + "." + key, "does not go with this kind of action");
    }
    return true;
  };
  int32_t number = 0;
  if (entry.contains("note")) {
    if (!allowed({"note", "velocity", "held"})) return false;
    if (entry["note"].is_null())
      return Fail(error, where + ".note", "must be a note name or a note number from 0 to 127");
    if (!ReadKeyswitch(entry["note"], where + ".note", number, error)) return false;
    int32_t velocity = 127;
    if (entry.contains("velocity") &&
        !ReadInt(entry["velocity"], where + ".velocity", 1, 127, velocity, error))
      return false;
    int32_t held = 0;
    if (entry.contains("held") && !ReadBool(entry["held"], where + ".held", held, error))
      return false;
    action.kind = held ? ActionKind::kNoteHeld : ActionKind::kNoteTap;
    action.value = static_cast<uint16_t>(velocity);
  } else if (entry.contains("cc")) {
    if (!allowed({"cc", "value"})) return false;
    if (!ReadInt(entry["cc"], where + ".cc", 0, 127, number, error)) return false;
    if (!entry.contains("value"))
      return Fail(error, where + ".value", "missing: a CC action sends a value 0 to 127");
    int32_t value = 0;
    if (!ReadInt(entry["value"], where + ".value", 0, 127, value, error)) return false;
    action.kind = ActionKind::kControlChange;
    action.value = static_cast<uint16_t>(value);
  } else if (entry.contains("program")) {
    if (!allowed({"program"})) return false;
    if (!ReadInt(entry["program"], where + ".program", 0, 127, number, error)) return false;
    action.kind = ActionKind::kProgramChange;
    action.value = 0;
  } else {
    if (!allowed({"pitchBend"})) return false;
    int32_t bend = 0;
    if (!ReadInt(entry["pitchBend"], where + ".pitchBend", -8192, 8191, bend, error)) return false;
    action.kind = ActionKind::kPitchBend;
    action.value = static_cast<uint16_t>(bend + kPitchBendCentre);
  }
  action.number = static_cast<uint8_t>(number);
  int32_t channel = 0;
  if (entry.contains("channel") &&
      !ReadInt(entry["channel"], where + ".channel", 1, 16, channel, error))
    return false;
  action.channel = static_cast<uint8_t>(channel);
  return true;
}

bool ReadActions(const Json& value, const std::string& field, SlotAdditions& additions,
                 MapError& error) {
  if (!value.is_array())
    return Fail(error, field, "must be a list [...] of actions, not " + Shown(value));
  if (value.size() > static_cast<size_t>(kMaxSlotActions))
    return Fail(error, field,
                "holds " + std::to_string(value.size()) + " actions; a slot sends at most " +
                    std::to_string(kMaxSlotActions));
  additions.actionCount = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    if (!ReadAction(value[i], field + "[" + std::to_string(i) + "]", additions.actions[i], error))
      return false;
    ++additions.actionCount;
  }
  return true;
}

bool ReadSlot(const Json& entry, const std::string& where, PluginSettings& s, std::set<int>& seen,
              MapError& error) {
  if (!CheckObject(entry, where, error)) return false;
  if (!entry.contains("slot"))
    return Fail(error, where + ".slot", "missing: every entry names its slot, 1 to 16");
  int32_t number = 0;
  if (!ReadInt(entry["slot"], where + ".slot", 1, kSlotCount, number, error)) return false;
  if (!seen.insert(number).second)
    return Fail(error, where + ".slot", "slot " + std::to_string(number) + " is listed twice");
  SlotSettings slot;
  for (const auto& [key, value] : entry.items()) {
    const std::string field = where + "." + key;
    if (key == "slot") continue;
    if (key == "name") {
      if (!value.is_string()) return Fail(error, field, "must be a text, not " + Shown(value));
      std::string bad;
      if (!Utf8ToWindows1252(value.get<std::string>(), slot.name, bad))
        return Fail(
            error, field,
            "holds " + bad + ", which the plug-in cannot store (names are Windows-1252 text)");
      if (slot.name.find('\0') != std::string::npos)
        return Fail(error, field, "holds a NUL character, which ends a name in the plug-in");
      if (slot.name.size() > kMaxNameBytes)
        return Fail(error, field,
                    "is " + std::to_string(slot.name.size()) + " characters long; at most " +
                        std::to_string(kMaxNameBytes) + " fit");
    } else if (key == "icon") {
      if (!ReadInt(value, field, 0, 127, slot.icon, error)) return false;
    } else if (key == "keyswitch") {
      if (!ReadKeyswitch(value, field, slot.keyswitch, error)) return false;
    } else if (key == "uacc") {
      if (!ReadUacc(value, field, slot.uacc, error)) return false;
    } else if (key == "modwheel") {
      if (!ReadOptionalByte(value, field, slot.modwheel, error)) return false;
    } else if (key == "keyswitchVelocity") {
      int32_t velocity = 0;
      if (!ReadInt(value, field, 1, 127, velocity, error)) return false;
      slot.additions.keyswitchVelocity = static_cast<uint8_t>(velocity);
    } else if (key == "noteChannels") {
      if (!ReadNoteChannels(value, field, slot.additions.noteChannels, error)) return false;
    } else if (key == "latency") {
      int32_t latency = 0;
      if (!ReadInt(value, field, 0, kMaxLatencyMs, latency, error)) return false;
      slot.additions.latencyMs = static_cast<uint16_t>(latency);
    } else if (key == "transpose") {
      int32_t transpose = 0;
      if (!ReadInt(value, field, -kMaxTranspose, kMaxTranspose, transpose, error)) return false;
      slot.additions.transpose = static_cast<int8_t>(transpose);
    } else if (key == "actions") {
      if (!ReadActions(value, field, slot.additions, error)) return false;
    } else {
      return UnknownField(where, key,
                          {"slot", "name", "icon", "keyswitch", "uacc", "modwheel",
                           "keyswitchVelocity", "noteChannels", "transpose", "latency", "actions"},
                          error);
    }
  }
  s.slots[number - 1] = std::move(slot);
  return true;
}

bool ReadMap(const Json& map, PluginSettings& s, MapError& error) {
  if (!CheckObject(map, "", error)) return false;
  for (const auto& [key, value] : map.items()) {
    if (key == "channel") {
      int32_t shown = 0;
      if (!ReadInt(value, key, 1, 16, shown, error)) return false;
      s.channel = shown - 1;
    } else if (key == "port") {
      if (!ReadInt(value, key, 0, 255, s.port, error)) return false;
    } else if (key == "options") {
      if (!ReadOptions(value, s, error)) return false;
    } else if (key == "controllers") {
      if (!ReadControllers(value, s, error)) return false;
    } else if (key == "page") {
      s.pageIndex = -1;
      for (int i = 0; i < 3; ++i)
        if (value.is_string() && value.get<std::string>() == kPageNames[i]) s.pageIndex = i;
      if (s.pageIndex < 0)
        return Fail(
            error, key,
            "must be \"articulation\", \"controllers\" or \"settings\", not " + Shown(value));
    } else if (key == "selectedSlot") {
      int32_t shown = 0;
      if (!ReadInt(value, key, 1, kSlotCount, shown, error)) return false;
      s.selectedSlot = shown - 1;
    } else if (key == "slots") {
      if (!value.is_array())
        return Fail(error, key, "must be a list [...] of slot entries, not " + Shown(value));
      std::set<int> seen;
      for (size_t i = 0; i < value.size(); ++i)
        if (!ReadSlot(value[i], "slots[" + std::to_string(i) + "]", s, seen, error)) return false;
    } else {
      return UnknownField(
          "", key, {"channel", "port", "options", "controllers", "page", "selectedSlot", "slots"},
          error);
    }
  }
  return true;
}

// nlohmann keeps the last of two equal keys; a map that says a thing twice
// is refused instead. The parser reports events in document order, so a
// stack of the keys seen per open object finds the repeats. A list or
// object deeper than any map ends the reading.
struct TooDeep {};

struct DuplicateKeyFinder {
  std::vector<std::set<std::string>> open;
  std::string duplicate;

  bool operator()(int depth, nlohmann::detail::parse_event_t event, Json& parsed) {
    using Event = nlohmann::detail::parse_event_t;
    if ((event == Event::object_start || event == Event::array_start) && depth >= kMaxDepth)
      throw TooDeep{};
    if (event == Event::object_start) open.emplace_back();
    if (event == Event::object_end && !open.empty()) open.pop_back();
    if (event == Event::key && !open.empty() && duplicate.empty() &&
        !open.back().insert(parsed.get<std::string>()).second)
      duplicate = parsed.get<std::string>();
    return true;
  }
};

std::string ParseMessage(const char* what) {
  // Drop the library's "[json.exception.parse_error.101] " prefix.
  std::string text = what;
  const size_t close = text.find("] ");
  if (text.rfind("[json.exception", 0) == 0 && close != std::string::npos)
    text = text.substr(close + 2);
  return text;
}

}  // namespace

bool ParseArticulationMap(const std::string& text, PluginSettings& settings, MapError& error) {
  DuplicateKeyFinder finder;
  OwnedTree<Json> map;
  try {
    // Json::parse with this callback, but into a tree this function owns.
    nlohmann::detail::json_sax_dom_callback_parser<Json> builder(map.root, std::ref(finder), true);
    Json::sax_parse(text, &builder);
  } catch (const Json::exception& e) {  // also a number too large for any type
    return Fail(error, "", ParseMessage(e.what()));
  } catch (const TooDeep&) {
    return Fail(
        error, "",
        "lists and objects nested deeper than any map (" + std::to_string(kMaxDepth) + " levels)");
  }
  if (!finder.duplicate.empty())
    return Fail(error, finder.duplicate, "appears twice in the same object");
  PluginSettings parsed;
  if (!ReadMap(map.root, parsed, error)) return false;
  settings = std::move(parsed);
  return true;
}

namespace {

bool CheckRange(int32_t value, int lo, int hi, const std::string& field, MapError& error,
                bool unsetAllowed = false) {
  if ((unsetAllowed && value == kUnset) || (value >= lo && value <= hi)) return true;
  return Fail(error, field,
              "the state holds " + std::to_string(value) + ", outside " + std::to_string(lo) +
                  ".." + std::to_string(hi) + (unsetAllowed ? " (or unset)" : "") +
                  "; a map cannot express it");
}

bool CheckExpressible(const PluginSettings& s, MapError& error) {
  if (!CheckRange(s.channel, 0, 15, "channel", error)) return false;
  if (!CheckRange(s.port, 0, 255, "port", error)) return false;
  if (!CheckRange(s.ccGhosting, 0, 1, "options.ccGhosting", error)) return false;
  if (!CheckRange(s.preservePortChannel, 0, 1, "options.preservePortChannel", error)) return false;
  if (s.midiExtend != 0)
    return Fail(error, "midiExtend",
                "the state holds " + std::to_string(s.midiExtend) +
                    "; the plug-in always keeps 0 and a map has no field for it");
  for (int i = 0; i < kControllerCount; ++i)
    if (!CheckRange(s.controllers[i], 0, 127, std::string("controllers.") + kControllerNames[i],
                    error))
      return false;
  if (!CheckRange(s.pageIndex, 0, 2, "page", error)) return false;
  if (!CheckRange(s.selectedSlot, 0, kSlotCount - 1, "selectedSlot", error)) return false;
  for (int i = 0; i < kSlotCount; ++i) {
    const SlotSettings& slot = s.slots[i];
    const std::string where = "slot " + std::to_string(i + 1) + ".";
    if (!CheckRange(slot.icon, 0, 127, where + "icon", error) ||
        !CheckRange(slot.keyswitch, 0, 127, where + "keyswitch", error, true) ||
        !CheckRange(slot.uacc, 0, 127, where + "uacc", error, true) ||
        !CheckRange(slot.modwheel, 0, 127, where + "modwheel", error, true))
      return false;
    if (slot.name.size() > kMaxNameBytes || slot.name.find('\0') != std::string::npos)
      return Fail(error, where + "name", "the state holds a name a map cannot express");
    if (!IsValidAdditions(slot.additions))
      return Fail(error, where + "actions", "the state holds slot additions a map cannot express");
  }
  return true;
}

// The writers fill nodes of one tree in place (see OwnedTree).
void WriteChannelList(uint32_t set, OrderedJson& list) {
  list = OrderedJson::array();
  if (set & kPluginChannelBit) list.push_back(kPluginChannelName);
  for (int channel = 0; channel < 16; ++channel)
    if (set & (1u << channel)) list.push_back(channel + 1);
}

void WriteAction(const SlotAction& a, OrderedJson& entry) {
  MakeObject(entry);
  switch (a.kind) {
    case ActionKind::kNoteTap:
    case ActionKind::kNoteHeld:
      entry["note"] = NoteName(a.number);
      entry["velocity"] = a.value;
      if (a.kind == ActionKind::kNoteHeld) entry["held"] = true;
      break;
    case ActionKind::kControlChange:
      entry["cc"] = a.number;
      entry["value"] = a.value;
      break;
    case ActionKind::kProgramChange:
      entry["program"] = a.number;
      break;
    case ActionKind::kPitchBend:
      entry["pitchBend"] = static_cast<int>(a.value) - kPitchBendCentre;
      break;
  }
  if (a.channel != 0) entry["channel"] = a.channel;
}

// Only what differs from a slot without additions is written.
void WriteAdditions(const SlotAdditions& a, OrderedJson& entry) {
  if (a.keyswitchVelocity != kDefaultKeyswitchVelocity)
    entry["keyswitchVelocity"] = a.keyswitchVelocity;
  if (a.noteChannels != kPluginChannelBit) WriteChannelList(a.noteChannels, entry["noteChannels"]);
  if (a.transpose != 0) entry["transpose"] = a.transpose;
  if (a.latencyMs != 0) entry["latency"] = a.latencyMs;
  if (a.actionCount == 0) return;
  OrderedJson& actions = entry["actions"] = OrderedJson::array();
  for (int i = 0; i < a.actionCount; ++i) WriteAction(a.actions[i], actions.emplace_back());
}

}  // namespace

bool FormatArticulationMap(const PluginSettings& s, std::string& text, MapError& error) {
  if (!CheckExpressible(s, error)) return false;
  OwnedTree<OrderedJson> tree;
  OrderedJson& map = MakeObject(tree.root);
  map["channel"] = s.channel + 1;
  map["port"] = s.port;
  OrderedJson& options = MakeObject(map["options"]);
  options["ccGhosting"] = s.ccGhosting != 0;
  options["preservePortChannel"] = s.preservePortChannel != 0;
  OrderedJson& controllers = MakeObject(map["controllers"]);
  for (int i = 0; i < kControllerCount; ++i) controllers[kControllerNames[i]] = s.controllers[i];
  map["page"] = kPageNames[s.pageIndex];
  map["selectedSlot"] = s.selectedSlot + 1;
  OrderedJson& slots = map["slots"] = OrderedJson::array();
  for (int i = 0; i < kSlotCount; ++i) {
    const SlotSettings& slot = s.slots[i];
    if (slot.IsDefault()) continue;
    OrderedJson& entry = MakeObject(slots.emplace_back());
    entry["slot"] = i + 1;
    entry["name"] = Windows1252ToUtf8(slot.name);
    entry["icon"] = slot.icon;
    if (slot.keyswitch != kUnset) entry["keyswitch"] = NoteName(slot.keyswitch);
    if (slot.uacc != kUnset) entry["uacc"] = slot.uacc;
    if (slot.modwheel != kUnset) entry["modwheel"] = slot.modwheel;
    WriteAdditions(slot.additions, entry);
  }
  text = map.dump(2) + "\n";
  return true;
}
