#include "editor/additions_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/note_names.h"

namespace {

const NoteNameTable& Names() {
  static const NoteNameTable table = BuildNoteNameTable();
  return table;
}

std::string ChannelSetText(uint32_t set, const char* pluginChannel = "plug-in") {
  std::string text;
  if (set & kPluginChannelBit) text = pluginChannel;
  for (int channel = 0; channel < 16; ++channel) {
    if (!(set & (1u << channel))) continue;
    if (!text.empty()) text += "+";
    text += std::to_string(channel + 1);
  }
  return text;
}

std::string ActionText(const SlotAction& a) {
  char text[48];
  switch (a.kind) {
    case ActionKind::kNoteTap:
    case ActionKind::kNoteHeld:
      std::snprintf(text, sizeof text, "%s v%d%s", Names()[a.number & 127].data(), a.value,
                    a.kind == ActionKind::kNoteHeld ? " held" : "");
      break;
    case ActionKind::kControlChange:
      std::snprintf(text, sizeof text, "CC %d = %d", a.number, a.value);
      break;
    case ActionKind::kProgramChange:
      std::snprintf(text, sizeof text, "program %d", a.number);
      break;
    case ActionKind::kPitchBend:
      std::snprintf(text, sizeof text, "bend %d", static_cast<int>(a.value) - kPitchBendCentre);
      break;
  }
  std::string item = text;
  if (a.channel != 0) item += " ch " + std::to_string(a.channel);
  return item;
}

// The words of one comma-separated item, lower-cased; "=" stands alone.
std::vector<std::string> Words(const std::string& item) {
  std::vector<std::string> words;
  std::string word;
  for (char c : item) {
    if (std::isspace(static_cast<unsigned char>(c)) || c == '=') {
      if (!word.empty()) words.push_back(word);
      word.clear();
      if (c == '=') words.push_back("=");
    } else {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

bool Number(const std::string& word, int low, int high, int& out) {
  if (word.empty() || word.size() > 7) return false;
  char* end = nullptr;
  const long value = std::strtol(word.c_str(), &end, 10);
  if (*end != '\0' || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
}

bool NoteOf(const std::string& word, int& note) {
  for (int n = 0; n < kNoteNameCount; ++n) {
    std::string name = Names()[n].data();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == word) {
      note = n;
      return true;
    }
  }
  return false;
}

bool ParseChannels(const std::string& word, uint32_t& set) {
  set = 0;
  size_t start = 0;
  while (start <= word.size()) {
    const size_t plus = word.find('+', start);
    const std::string part =
        word.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    int channel = 0;
    uint32_t bit = 0;
    if (part == "plug-in") {
      bit = kPluginChannelBit;
    } else if (Number(part, 1, 16, channel)) {
      bit = 1u << (channel - 1);
    } else {
      return false;
    }
    if (set & bit) return false;
    set |= bit;
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  return set != 0;
}

// One action's words; a trailing "ch N" gives its channel.
bool ParseAction(std::vector<std::string> w, SlotAction& a) {
  a = SlotAction{};
  int value = 0;
  if (w.size() >= 2 && w[w.size() - 2] == "ch") {
    if (!Number(w.back(), 1, 16, value)) return false;
    a.channel = static_cast<uint8_t>(value);
    w.resize(w.size() - 2);
  }
  if (w.empty()) return false;
  if (w[0] == "cc") {
    int number = 0;
    if (w.size() != 4 || w[2] != "=" || !Number(w[1], 0, 127, number) ||
        !Number(w[3], 0, 127, value))
      return false;
    a.kind = ActionKind::kControlChange;
    a.number = static_cast<uint8_t>(number);
    a.value = static_cast<uint16_t>(value);
    return true;
  }
  if (w[0] == "program") {
    if (w.size() != 2 || !Number(w[1], 0, 127, value)) return false;
    a.kind = ActionKind::kProgramChange;
    a.number = static_cast<uint8_t>(value);
    return true;
  }
  if (w[0] == "bend") {
    if (w.size() != 2 || !Number(w[1], -8192, 8191, value)) return false;
    a.kind = ActionKind::kPitchBend;
    a.value = static_cast<uint16_t>(value + kPitchBendCentre);
    return true;
  }
  // A note: "D0", or "note 26", then "vN" and "held" in any order.
  size_t next = 1;
  int note = 0;
  if (w[0] == "note") {
    if (w.size() < 2 || !Number(w[1], 0, 127, note)) return false;
    next = 2;
  } else if (!NoteOf(w[0], note)) {
    return false;
  }
  a.kind = ActionKind::kNoteTap;
  a.number = static_cast<uint8_t>(note);
  a.value = 127;
  for (; next < w.size(); ++next) {
    if (w[next] == "held") {
      a.kind = ActionKind::kNoteHeld;
    } else if (w[next].size() > 1 && w[next][0] == 'v' &&
               Number(w[next].substr(1), 1, 127, value)) {
      a.value = static_cast<uint16_t>(value);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string FormatAdditionsText(const SlotAdditions& a) {
  std::vector<std::string> items;
  if (a.keyswitchVelocity != kDefaultKeyswitchVelocity)
    items.push_back("key velocity " + std::to_string(a.keyswitchVelocity));
  if (a.noteChannels != kPluginChannelBit)
    items.push_back("channels " + ChannelSetText(a.noteChannels));
  if (a.transpose != 0) items.push_back("transpose " + std::to_string(a.transpose));
  if (a.latencyMs != 0) items.push_back("latency " + std::to_string(a.latencyMs) + " ms");
  for (int i = 0; i < a.actionCount && i < kMaxSlotActions; ++i)
    items.push_back(ActionText(a.actions[i]));
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

std::string FormatAdditionsSummary(const SlotAdditions& a) {
  std::vector<std::string> items;
  if (a.actionCount > 0)
    items.push_back(std::to_string(a.actionCount) + (a.actionCount == 1 ? " action" : " actions"));
  // Short enough for the panel's line: the plug-in's own channel is "own".
  if (a.noteChannels != kPluginChannelBit)
    items.push_back("ch " + ChannelSetText(a.noteChannels, "own"));
  if (a.transpose != 0) items.push_back("transpose " + std::to_string(a.transpose));
  if (a.keyswitchVelocity != kDefaultKeyswitchVelocity)
    items.push_back("key v" + std::to_string(a.keyswitchVelocity));
  if (a.latencyMs != 0) items.push_back(std::to_string(a.latencyMs) + " ms");
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

namespace {
std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool ParseAdditionsText(const char* text, size_t size, SlotAdditions& additions,
                        std::string& error) {
  std::string all;
  for (size_t i = 0; i < size && text[i] != '\0'; ++i) all += text[i];
  SlotAdditions parsed;
  if (!Trimmed(all).empty()) {
    size_t start = 0;
    for (;;) {
      const size_t comma = all.find(',', start);
      const std::string item = Trimmed(
          all.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      const std::vector<std::string> w = Words(item);
      int value = 0;
      bool ok = !w.empty();
      if (!ok) {
        error = "an empty item";
        return false;
      }
      if (w.size() == 3 && w[0] == "key" && w[1] == "velocity") {
        ok = Number(w[2], 1, 127, value);
        parsed.keyswitchVelocity = static_cast<uint8_t>(value);
      } else if (w.size() == 2 && w[0] == "channels") {
        ok = ParseChannels(w[1], parsed.noteChannels);
      } else if (w.size() == 2 && w[0] == "transpose") {
        ok = Number(w[1], -kMaxTranspose, kMaxTranspose, value);
        parsed.transpose = static_cast<int8_t>(value);
      } else if ((w.size() == 2 || (w.size() == 3 && w[2] == "ms")) && w[0] == "latency") {
        std::string number = w[1];
        if (w.size() == 2 && number.size() > 2 && number.ends_with("ms"))
          number.resize(number.size() - 2);
        ok = Number(number, 0, kMaxLatencyMs, value);
        parsed.latencyMs = static_cast<uint16_t>(value);
      } else if (parsed.actionCount >= kMaxSlotActions) {
        error = "more than " + std::to_string(kMaxSlotActions) + " actions";
        return false;
      } else if ((ok = ParseAction(w, parsed.actions[parsed.actionCount]))) {
        ++parsed.actionCount;
      }
      if (!ok) {
        error = "\"" + item + "\"";
        return false;
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  if (!IsValidAdditions(parsed)) {
    error = "a value out of range";
    return false;
  }
  additions = parsed;
  return true;
}
