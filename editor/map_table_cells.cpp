#include "editor/map_table_cells.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "editor/additions_text.h"
#include "editor/map_table_notes.h"
#include "maps/icon_names.h"
#include "maps/text_encoding.h"
#include "maps/uacc_names.h"

namespace {

// ---------------------------------------------------------------------------
// Words and numbers.

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Lower(std::string_view text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// What an empty cell, or the panel's sign for none, reads as.
bool IsNone(std::string_view text) {
  const std::string lower = Lower(Trimmed(text));
  return lower.empty() || lower == "none" || lower == "---" || lower == "----";
}

// A whole decimal integer with an optional sign; at most nine digits.
bool ReadInteger(std::string_view text, long& value) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
  if (i == text.size() || text.size() - i > 9) return false;
  value = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  return true;
}

// The range reason for a number outside low..high, naming what it counts.
std::string RangeReason(std::string_view text, long value, long low, long high, const char* what) {
  if (value > high)
    return QuotedText(text) + " is above " + std::to_string(high) + ", the highest " + what;
  return QuotedText(text) + " is below " + std::to_string(low) + ", the lowest " + what;
}

// ---------------------------------------------------------------------------
// The columns.

bool ParseName(std::string_view text, SlotSettings& row, std::string& reason) {
  std::string bytes, bad;
  if (!Utf8ToWindows1252(std::string(text), bytes, bad)) {
    if (bad.rfind("U+", 0) == 0) {
      // Name the character itself beside its number.
      const uint32_t code = static_cast<uint32_t>(std::strtoul(bad.c_str() + 2, nullptr, 16));
      std::string character;
      AppendUtf8(character, code);
      reason = QuotedText(character) + " (" + bad +
               ") is not a Windows Western character, which names are made of";
    } else {
      reason = "the name holds " + bad;
    }
    return false;
  }
  if (bytes.find('\0') != std::string::npos) {
    reason = "a name cannot hold a NUL character";
    return false;
  }
  if (bytes.size() > kMaxNameCharacters) {
    reason = "the name has " + std::to_string(bytes.size()) + " characters; at most " +
             std::to_string(kMaxNameCharacters) + " fit";
    return false;
  }
  row.name = std::move(bytes);
  return true;
}

std::string ShowIcon(int32_t icon) {
  const char* name = IconName(icon);
  return name ? name : std::to_string(icon);
}

bool ParseIcon(std::string_view text, SlotSettings& row, std::string& reason) {
  text = Trimmed(text);
  if (IsNone(text)) {
    row.icon = kDefaultIcon;
    return true;
  }
  long id = 0;
  if (ReadInteger(text, id)) {
    if (id < 0 || id >= kIconChoiceCount) {
      reason = RangeReason(text, id, 0, kIconChoiceCount - 1, "icon a slot can hold");
      return false;
    }
  } else if ((id = IconIdForName(text)) < 0) {
    reason = QuotedText(text) + " is not an icon's name or number (0–127)";
    return false;
  } else if (id >= kIconChoiceCount) {
    reason = QuotedText(text) + " is icon " + std::to_string(id) +
             ", which a slot cannot hold (icons 0–127)";
    return false;
  }
  row.icon = static_cast<int32_t>(id);
  return true;
}

std::string ShowKeyswitch(const SlotSettings& row) {
  std::string text = row.keyswitch == kUnset ? "----" : NoteText(row.keyswitch);
  const int velocity = row.additions.keyswitchVelocity;
  if (velocity != kDefaultKeyswitchVelocity) text += " v" + std::to_string(velocity);
  return text;
}

bool ParseKeyswitch(std::string_view text, SlotSettings& row, std::string& reason) {
  text = Trimmed(text);
  const std::vector<std::string_view> words = Words(text);
  int32_t note = kUnset;
  long velocity = kDefaultKeyswitchVelocity;
  if (words.size() > 2) {
    reason = QuotedText(text) + " is not a note with a velocity, such as \"C0 v64\"";
    return false;
  }
  if (words.size() == 2) {
    const std::string_view v = words[1];
    if (v.size() < 2 || (v[0] != 'v' && v[0] != 'V') || !ReadInteger(v.substr(1), velocity) ||
        v[1] == '-' || v[1] == '+') {
      reason = QuotedText(text) + " is not a note with a velocity, such as \"C0 v64\"";
      return false;
    }
    if (velocity < 1 || velocity > 127) {
      reason = RangeReason(v, velocity, 1, 127, "keyswitch velocity");
      return false;
    }
  }
  if (!words.empty() && !IsNone(words[0]) && !ReadNote(words[0], note, reason)) return false;
  row.keyswitch = note;
  row.additions.keyswitchVelocity = static_cast<uint8_t>(velocity);
  return true;
}

std::string ShowOptional(int32_t value) { return value < 0 ? "---" : std::to_string(value); }

std::string ShowUacc(int32_t value) {
  if (value < 0) return "---";
  const char* name = UaccName(value);
  return name ? std::to_string(value) + " " + name : std::to_string(value);
}

bool ParseUacc(std::string_view text, SlotSettings& row, std::string& reason) {
  text = Trimmed(text);
  if (IsNone(text)) {
    row.uacc = kUnset;
    return true;
  }
  // A leading number, then perhaps the name; or a name alone.
  size_t digits = text[0] == '-' ? 1 : 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  const std::string_view rest = Trimmed(text.substr(digits));
  long value = -1;
  if (digits > 0 && (rest.empty() || text[digits] == ' ' || text[digits] == '\t') &&
      ReadInteger(text.substr(0, digits), value)) {
    if (value < 0 || value > 127) {
      reason = RangeReason(text.substr(0, digits), value, 0, 127, "UACC value");
      return false;
    }
    if (!rest.empty()) {
      const int named = UaccValueForName(rest);
      if (named < 0) {
        reason = QuotedText(rest) + " is not a UACC name";
        return false;
      }
      if (named != value) {
        reason = QuotedText(text) + ": " + QuotedText(rest) + " is UACC " + std::to_string(named) +
                 ", not " + std::to_string(value);
        return false;
      }
    }
  } else if ((value = UaccValueForName(text)) < 0) {
    reason = QuotedText(text) + " is not a UACC value 0–127 or name (such as legato or spiccato)";
    return false;
  }
  row.uacc = static_cast<int32_t>(value);
  return true;
}

bool ParseModwheel(std::string_view text, SlotSettings& row, std::string& reason) {
  text = Trimmed(text);
  if (IsNone(text)) {
    row.modwheel = kUnset;
    return true;
  }
  long value = 0;
  if (!ReadInteger(text, value)) {
    reason = QuotedText(text) + " is not a modwheel value 0–127 or none";
    return false;
  }
  if (value < 0 || value > 127) {
    reason = RangeReason(text, value, 0, 127, "modwheel value");
    return false;
  }
  row.modwheel = static_cast<int32_t>(value);
  return true;
}

std::string ShowOutputs(const SlotAdditions& additions) {
  SlotAdditions others = additions;
  others.keyswitchVelocity = kDefaultKeyswitchVelocity;
  others.latencyMs = 0;
  return FormatAdditionsText(others);
}

// Whether one of the line's items begins with `words` (lower case, single
// spaces): the items the Outputs column sets only when they are typed.
bool NamesItem(std::string_view line, std::string_view words) {
  size_t start = 0;
  for (;;) {
    const size_t comma = line.find(',', start);
    const std::string_view item =
        line.substr(start, comma == line.npos ? line.npos : comma - start);
    std::string joined;
    for (std::string_view word : Words(Trimmed(item))) {
      if (!joined.empty()) joined += ' ';
      joined += Lower(word);
    }
    if (joined.rfind(words, 0) == 0) return true;
    if (comma == line.npos) return false;
    start = comma + 1;
  }
}

bool ParseOutputs(std::string_view text, SlotSettings& row, std::string& reason) {
  SlotAdditions parsed;
  std::string error;
  const std::string_view trimmed = Trimmed(text);
  if (Lower(trimmed) != "none" &&
      !ParseAdditionsText(trimmed.data(), trimmed.size(), parsed, error)) {
    // The item comes back quoted; quoted again here, it stays one short line.
    reason = error.size() >= 2 && error.front() == '"' && error.back() == '"'
                 ? QuotedText(std::string_view(error).substr(1, error.size() - 2)) +
                       " is not an output the outputs line knows"
                 : "the outputs hold " + error;
    return false;
  }
  if (!NamesItem(trimmed, "key velocity"))
    parsed.keyswitchVelocity = row.additions.keyswitchVelocity;
  if (!NamesItem(trimmed, "latency")) parsed.latencyMs = row.additions.latencyMs;
  row.additions = parsed;
  return true;
}

bool ParseLatency(std::string_view text, SlotSettings& row, std::string& reason) {
  text = Trimmed(text);
  if (IsNone(text)) {
    row.additions.latencyMs = 0;
    return true;
  }
  const std::string lower = Lower(text);
  std::string_view number = lower;
  long scale = 1;  // milliseconds per unit
  if (number.ends_with("ms")) {
    number.remove_suffix(2);
  } else if (number.ends_with("s")) {
    number.remove_suffix(1);
    scale = 1000;
  }
  number = Trimmed(number);
  const std::string bad = QuotedText(text) + " is not a latency such as 250, 250 ms or 0.25 s";
  const size_t point = number.find('.');
  long whole = 0;
  int64_t fraction = 0, fractionScale = 1;
  if (point == std::string_view::npos) {
    if (!ReadInteger(number, whole)) {
      reason = bad;
      return false;
    }
  } else {
    const std::string_view wholeText = number.substr(0, point),
                           fractionText = number.substr(point + 1);
    if ((!wholeText.empty() && !ReadInteger(wholeText, whole)) || fractionText.size() > 6 ||
        (wholeText.empty() && fractionText.empty())) {
      reason = bad;
      return false;
    }
    for (char c : fractionText) {
      if (!std::isdigit(static_cast<unsigned char>(c))) {
        reason = bad;
        return false;
      }
      fraction = fraction * 10 + (c - '0');
      fractionScale *= 10;
    }
  }
  if (number.starts_with("-")) {
    reason = QuotedText(text) + " is below 0 ms, the shortest latency";
    return false;
  }
  // Whole milliseconds only: fraction * scale must divide evenly.
  if ((fraction * scale) % fractionScale != 0) {
    reason = QuotedText(text) + " is not a whole number of milliseconds";
    return false;
  }
  const int64_t ms = int64_t{whole} * scale + fraction * scale / fractionScale;
  if (ms > kMaxLatencyMs) {
    reason = QuotedText(text) + " is above " + std::to_string(kMaxLatencyMs) +
             " ms, the longest latency";
    return false;
  }
  row.additions.latencyMs = static_cast<uint16_t>(ms);
  return true;
}

}  // namespace

std::string QuotedText(std::string_view text) {
  constexpr size_t kShownCharacters = 40;
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on "..." + std::string&&.
  std::string quoted = "\"";
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool starts = (byte & 0xC0) != 0x80;  // not a UTF-8 continuation byte
    if (starts && ++characters > kShownCharacters) {
      quoted += "…";
      break;
    }
    quoted += byte < 0x20 ? ' ' : text[i];
  }
  quoted += '"';
  return quoted;
}

std::string NamePlaceholder(int rowIndex) { return "Articulation " + std::to_string(rowIndex + 1); }

std::string ShowCell(const SlotSettings& row, int rowIndex, MapColumn column) {
  switch (column) {
    case MapColumn::kSlot:
      return std::to_string(rowIndex + 1);
    case MapColumn::kName:
      return Windows1252ToUtf8(row.name);
    case MapColumn::kIcon:
      return ShowIcon(row.icon);
    case MapColumn::kKeyswitch:
      return ShowKeyswitch(row);
    case MapColumn::kUacc:
      return ShowUacc(row.uacc);
    case MapColumn::kModwheel:
      return ShowOptional(row.modwheel);
    case MapColumn::kOutputs:
      return ShowOutputs(row.additions);
    case MapColumn::kLatency:
      return std::to_string(row.additions.latencyMs);
  }
  return {};
}

bool ParseCell(std::string_view text, MapColumn column, SlotSettings& row, std::string& reason) {
  SlotSettings parsed = row;
  bool ok = false;
  switch (column) {
    case MapColumn::kSlot:
      reason = "the slot number is not editable";
      return false;
    case MapColumn::kName:
      ok = ParseName(text, parsed, reason);
      break;
    case MapColumn::kIcon:
      ok = ParseIcon(text, parsed, reason);
      break;
    case MapColumn::kKeyswitch:
      ok = ParseKeyswitch(text, parsed, reason);
      break;
    case MapColumn::kUacc:
      ok = ParseUacc(text, parsed, reason);
      break;
    case MapColumn::kModwheel:
      ok = ParseModwheel(text, parsed, reason);
      break;
    case MapColumn::kOutputs:
      ok = ParseOutputs(text, parsed, reason);
      break;
    case MapColumn::kLatency:
      ok = ParseLatency(text, parsed, reason);
      break;
  }
  if (ok) row = std::move(parsed);
  return ok;
}

void CopyCell(MapColumn column, const SlotSettings& from, SlotSettings& to) {
  switch (column) {
    case MapColumn::kSlot:
      to = from;
      break;
    case MapColumn::kName:
      to.name = from.name;
      break;
    case MapColumn::kIcon:
      to.icon = from.icon;
      break;
    case MapColumn::kKeyswitch:
      to.keyswitch = from.keyswitch;
      to.additions.keyswitchVelocity = from.additions.keyswitchVelocity;
      break;
    case MapColumn::kUacc:
      to.uacc = from.uacc;
      break;
    case MapColumn::kModwheel:
      to.modwheel = from.modwheel;
      break;
    case MapColumn::kOutputs: {
      const uint8_t velocity = to.additions.keyswitchVelocity;
      const uint16_t latency = to.additions.latencyMs;
      to.additions = from.additions;
      to.additions.keyswitchVelocity = velocity;
      to.additions.latencyMs = latency;
      break;
    }
    case MapColumn::kLatency:
      to.additions.latencyMs = from.additions.latencyMs;
      break;
  }
}

void ClearCell(MapColumn column, SlotSettings& row) { CopyCell(column, SlotSettings{}, row); }
