#include "maps/formats/xml_support.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "maps/icon_names.h"

bool Fail(ImportError& error, std::string where, std::string message) {
  error = {std::move(where), std::move(message)};
  return false;
}

bool ParseXml(const std::string& text, pugi::xml_document& doc, ImportError& error) {
  const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size());
  if (result) return true;
  // pugixml reports a byte offset; people look for lines. A converted
  // (UTF-16) input may report an offset past our bytes, hence the clamp.
  const size_t end =
      std::min(static_cast<size_t>(std::max<ptrdiff_t>(result.offset, 0)), text.size());
  size_t line = 1;
  size_t lineStart = 0;
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  error.where = "line " + std::to_string(line) + ", column " + std::to_string(end - lineStart + 1);
  // No tag is complete after the place parsing stopped: the file was cut.
  const bool cut =
      text.find('>', end) == std::string::npos && result.status != pugi::status_no_document_element;
  error.message = cut ? "XML cut short: the file ends inside an element"
                      : std::string("damaged XML: ") + result.description();
  return false;
}

std::string OneLineText(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::string line(text);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && blank(line[begin])) ++begin;
  while (end > begin && blank(line[end - 1])) --end;
  return line.substr(begin, end - begin);
}

bool ParseWholeNumber(std::string_view text, int& value) {
  const std::string trimmed = OneLineText(text);
  const char* first = trimmed.data();
  const char* last = first + trimmed.size();
  if (first != last && *first == '+') ++first;
  const auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last && first != last;
}

bool ParseWholeReal(std::string_view text, int& value) {
  const std::string trimmed = OneLineText(text);
  if (trimmed.empty()) return false;
  char* end = nullptr;
  const double number = std::strtod(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(number) ||
      number != std::floor(number) || number < INT_MIN || number > INT_MAX)
    return false;
  value = static_cast<int>(number);
  return true;
}

std::string ElementText(pugi::xml_node node) {
  std::string text;
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
      text += child.value();
  }
  return text;
}

std::string Tag(pugi::xml_node node) {
  std::string tag = "<";
  tag += node.name();
  tag += '>';
  return tag;
}

std::string Shown(std::string_view text) {
  size_t cut = text.size();
  if (text.size() > 40) {
    cut = 37;  // never inside a UTF-8 sequence
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  std::string shown = "\"";
  shown.append(text.substr(0, cut));
  if (cut < text.size()) shown += "...";
  shown += '"';
  return shown;
}

std::string Placed(const std::string& label, const std::string& name) {
  return name.empty() ? label : label + " (" + Shown(name) + ")";
}

bool CheckMidiByte(int value, const std::string& where, const std::string& what,
                   ImportError& error) {
  if (value >= 0 && value <= 127) return true;
  error = {where, what + " " + std::to_string(value) + " is outside 0..127"};
  return false;
}

int ExportedSlotCount(const PluginSettings& settings) {
  int count = kSlotCount;
  while (count > 1 && settings.slots[count - 1].IsDefault()) --count;
  return count;
}

std::vector<SlotMessage> SlotMessages(const SlotSettings& slot) {
  std::vector<SlotMessage> messages;
  const SlotAdditions& add = slot.additions;
  if (slot.keyswitch != kUnset) messages.push_back({144, slot.keyswitch, add.keyswitchVelocity});
  if (slot.uacc != kUnset) messages.push_back({176, 32, slot.uacc});
  if (slot.modwheel != kUnset) messages.push_back({176, 1, slot.modwheel});
  for (int i = 0; i < add.actionCount && i < kMaxSlotActions; ++i) {
    const SlotAction& a = add.actions[i];
    switch (a.kind) {
      case ActionKind::kNoteTap:
      case ActionKind::kNoteHeld:
        messages.push_back({144, a.number, a.value, a.channel, a.kind == ActionKind::kNoteHeld, i});
        break;
      case ActionKind::kControlChange:
        messages.push_back({176, a.number, a.value, a.channel, false, i});
        break;
      case ActionKind::kProgramChange:
        messages.push_back({192, a.number, 0, a.channel, false, i});
        break;
      case ActionKind::kPitchBend:
        messages.push_back({224, a.value & 0x7F, a.value >> 7, a.channel, false, i});
        break;
    }
  }
  return messages;
}

std::string SlotIconName(const SlotSettings& slot) {
  const char* name = IconName(slot.icon);
  return name ? name : "";
}

namespace {

// Collects what pugixml writes; a string stream would bring the whole of
// the C++ streams and locales into the plug-in for this alone.
class StringWriter final : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
  std::string text;
};

}  // namespace

std::string XmlToString(const pugi::xml_document& doc, const char* indent) {
  StringWriter out;
  doc.save(out, indent, pugi::format_default, pugi::encoding_utf8);
  return std::move(out.text);
}
