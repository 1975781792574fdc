#include "maps/map_import.h"

#include <algorithm>
#include <cstdio>

#include "maps/counted.h"
#include "maps/icon_names.h"
#include "maps/name_matching.h"
#include "maps/quoted.h"
#include "engine/note_names.h"
#include "maps/text_encoding.h"

static_assert(kPlainNoteIcon == kDefaultIcon);

namespace {

constexpr size_t kMaxNameBytes = 255;
constexpr int kMaxMapIcon = 127;  // a slot's icon range; the strip holds more

using Articulation = ForeignArticulation;
using Output = ForeignOutput;

// One that does, by the slot of the written map first:
// slot 1 "Legato" (articulation 17 in the file, line 40).
// Appended piece by piece: GCC 12 for mingw takes the inlined prepends of
// "text" + string for overlapping copies (-Wrestrict).
std::string SlotLabel(const Articulation& a, size_t number, int slot) {
  std::string label = "slot " + std::to_string(slot + 1);
  if (!a.name.empty()) label.append(" ").append(Quoted(a.name));
  label.append(" (articulation ").append(std::to_string(number)).append(" in the file");
  if (!a.where.empty()) label.append(", ").append(a.where);
  return label.append(")");
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

bool InByteRange(int v) { return v >= 0 && v <= 127; }

// One articulation becoming one slot, with the warnings it earns.
class SlotImport {
 public:
  // `number` is the articulation's in the file, from 1; `slot` the one it
  // becomes, from 0.
  SlotImport(const Articulation& a, size_t number, int slot, const std::string& file,
             ImportResult& out)
      : a_(a),
        number_(number),
        prefix_(file + ": " + SlotLabel(a, number, slot) + ": "),
        out_(out) {}

  bool Run(SlotSettings& slot, ImportError& error) {
    for (const Output& o : a_.outputs)
      if (!CheckValues(o, error)) return false;
    Name(slot);
    for (const Output& o : a_.outputs) Take(o, slot);
    Route(slot);
    Transpose(slot);
    for (const std::string& extra : a_.extras) Warn("dropped " + extra);
    for (const std::string& note : a_.notes) Note("dropped " + note);
    for (const std::string& remark : a_.remarks) Note(remark);
    Icon(slot);
    return true;
  }

 private:
  void Warn(const std::string& text) { out_.warnings.push_back(prefix_ + text); }
  void Note(const std::string& text) { out_.notes.push_back(prefix_ + text); }

  // Where a value error stands: the format's place, else the number.
  std::string Where() const {
    return a_.where.empty() ? "articulation " + std::to_string(number_) : a_.where;
  }

  bool CheckValues(const Output& o, ImportError& error) {
    const bool data2Used = o.kind == Output::Kind::Note || o.kind == Output::Kind::HeldNote ||
                           o.kind == Output::Kind::ControlChange;
    const bool data1Used = data2Used || o.kind == Output::Kind::ProgramChange;
    if ((data1Used && !InByteRange(o.data1)) || (data2Used && !InByteRange(o.data2))) {
      error = {Where(), Quoted(o.text) + " holds a value outside 0..127"};
      return false;
    }
    if (o.kind == Output::Kind::PitchBend && (o.data1 < -8192 || o.data1 > 8191)) {
      error = {Where(), Quoted(o.text) + " bends outside -8192..8191"};
      return false;
    }
    if (o.channel < -1 || o.channel > 15) {
      error = {Where(), Quoted(o.text) + " names a channel outside 1..16"};
      return false;
    }
    return true;
  }

  void Name(SlotSettings& slot) {
    std::vector<std::string> replaced;
    slot.name = Utf8ToWindows1252Lossy(a_.name, replaced);
    // Control characters (tabs, line breaks) have no place in a one-line name.
    for (char& c : slot.name) {
      if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) continue;
      char code[8];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned char>(c));
      replaced.push_back(code);
      c = '?';
    }
    if (!replaced.empty())
      Note(std::string("name: ")
               .append(Join(replaced, ", "))
               .append(" became \"?\" (names are Windows-1252 text)"));
    if (slot.name.size() > kMaxNameBytes) {
      Note("name cut to " + std::to_string(kMaxNameBytes) + " characters (it has " +
           std::to_string(slot.name.size()) + ")");
      slot.name.resize(kMaxNameBytes);
      // Blanks the cut leaves at the end would not survive a text format.
      while (!slot.name.empty() && (slot.name.back() == ' ' || slot.name.back() == '\t'))
        slot.name.pop_back();
    }
  }

  // The slot's fields take the first tapped note, CC 32 and CC 1 on the
  // default channel; every other output becomes an action, in file order.
  void Take(const Output& o, SlotSettings& slot) {
    const bool onDefault = o.channel < 0;
    // A note-on of velocity 0 is a note-off: such outputs go out at 127.
    const int velocity = o.data2 == 0 ? 127 : o.data2;
    switch (o.kind) {
      case Output::Kind::Note:
        if (onDefault && slot.keyswitch == kUnset) {
          slot.keyswitch = o.data1;
          slot.additions.keyswitchVelocity = static_cast<uint8_t>(velocity);
          return;
        }
        return Act(o, ActionKind::kNoteTap, o.data1, velocity, slot);
      case Output::Kind::HeldNote:
        return Act(o, ActionKind::kNoteHeld, o.data1, velocity, slot);
      case Output::Kind::ControlChange:
        if (onDefault && (o.data1 == 32 || o.data1 == 1)) {
          int32_t& field = o.data1 == 32 ? slot.uacc : slot.modwheel;
          if (field == kUnset) {
            field = o.data2;
            return;
          }
        }
        return Act(o, ActionKind::kControlChange, o.data1, o.data2, slot);
      case Output::Kind::ProgramChange:
        return Act(o, ActionKind::kProgramChange, o.data1, 0, slot);
      case Output::Kind::PitchBend:
        return Act(o, ActionKind::kPitchBend, 0, o.data1 + kPitchBendCentre, slot);
      case Output::Kind::Routing:
        return;
      case Output::Kind::Other:
        Warn("dropped " + Quoted(o.text));
        return;
    }
  }

  void Act(const Output& o, ActionKind kind, int number, int value, SlotSettings& slot) {
    SlotAdditions& add = slot.additions;
    if (add.actionCount >= kMaxSlotActions) {
      Warn("dropped " + Quoted(o.text) + " (a slot sends at most " +
           std::to_string(kMaxSlotActions) + " actions)");
      return;
    }
    SlotAction& action = add.actions[add.actionCount++];
    action.kind = kind;
    action.channel = static_cast<uint8_t>(o.channel < 0 ? 0 : o.channel + 1);
    action.number = static_cast<uint8_t>(number);
    action.value = static_cast<uint16_t>(value);
  }

  // The played notes go to the channel of every output that routes, the
  // plug-in's own for one without a channel; with none, to the plug-in's.
  void Route(SlotSettings& slot) {
    uint32_t channels = 0;
    for (const Output& o : a_.outputs)
      if (o.routes) channels |= o.channel < 0 ? kPluginChannelBit : 1u << o.channel;
    slot.additions.noteChannels = channels != 0 ? channels : kPluginChannelBit;
  }

  void Transpose(SlotSettings& slot) {
    const int kept = std::clamp(a_.transpose, -kMaxTranspose, kMaxTranspose);
    if (kept != a_.transpose)
      Warn("transpose " + std::to_string(a_.transpose) + " became " + std::to_string(kept) +
           " (a slot transposes by at most " + std::to_string(kMaxTranspose) + " semitones)");
    slot.additions.transpose = static_cast<int8_t>(kept);
  }

  void Icon(SlotSettings& slot) {
    std::string unusable;
    if (!a_.iconName.empty()) {
      const int id = IconIdForName(a_.iconName);
      if (id >= 0 && id <= kMaxMapIcon) {
        slot.icon = id;
        return;
      }
      unusable = "dropped icon " + Quoted(a_.iconName) +
                 (id < 0 ? " (no icon of ours has that name)"
                         : " (icon " + std::to_string(id) + " lies beyond the 0..127 of a slot)");
    }
    const int guessed = IconIdFromWords(a_.name);
    slot.icon = guessed >= 0 ? guessed : kDefaultIcon;
    if (!unusable.empty())
      Note(unusable + "; " +
           (guessed >= 0 ? std::string("\"") + IconName(guessed) + "\" from the name instead"
                         : std::string("the plain note instead")));
  }

  const Articulation& a_;
  size_t number_;
  std::string prefix_;
  ImportResult& out_;
};

}  // namespace

bool ImportForeignMap(const ForeignMap& map, const std::string& fileName,
                      const ImportChoice& choice, ImportResult& result, ImportError& error) {
  ImportResult out;
  size_t index = 0;
  if (!FindForeignBank(map, fileName, choice, index, out.warnings, error)) return false;
  const ForeignBank& bank = map.banks[index];
  const std::string label = ForeignBankLabel(bank);
  if (!bank.problem.empty()) {
    error = {bank.where, "bank " + label + " cannot be imported: " + bank.problem};
    return false;
  }
  for (const std::string& extra : bank.extras)
    out.warnings.push_back(fileName + ": bank " + label + ": dropped " + extra);
  for (const std::string& note : bank.notes)
    out.notes.push_back(fileName + ": bank " + label + ": dropped " + note);
  ChosenArticulations chosen;
  if (!ChooseArticulations(bank, fileName, choice, chosen, error)) return false;
  out.warnings.insert(out.warnings.end(), chosen.warnings.begin(), chosen.warnings.end());
  out.notes.insert(out.notes.end(), chosen.notes.begin(), chosen.notes.end());
  out.leftOut = std::move(chosen.leftOut);
  for (size_t i : chosen.indices) out.taken.push_back(i + 1);
  for (size_t i = 0; i < chosen.indices.size(); ++i) {
    const size_t a = chosen.indices[i];
    SlotImport slot(bank.articulations[a], a + 1, static_cast<int>(i), fileName, out);
    if (!slot.Run(out.settings.slots[i], error)) return false;
  }
  result = std::move(out);
  return true;
}
