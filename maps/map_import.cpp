#include "maps/map_import.h"

#include <algorithm>
#include <cstdio>

#include "maps/counted.h"
#include "maps/icon_names.h"
#include "maps/name_matching.h"
#include "maps/note_names.h"
#include "maps/text_encoding.h"

static_assert(kPlainNoteIcon == kDefaultIcon);

namespace {

constexpr size_t kMaxNameBytes = 255;
constexpr int kMaxMapIcon = 127;  // a slot's icon range; the strip holds more

using Articulation = ForeignArticulation;
using Output = ForeignOutput;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// An articulation that does not become a slot, by its number in the file
// (as --list numbers them): articulation 9 "Reset" (line 24).
std::string ArticulationLabel(const Articulation& a, size_t number) {
  return "articulation " + std::to_string(number) + (a.name.empty() ? "" : " " + Quoted(a.name)) +
         (a.where.empty() ? "" : " (" + a.where + ")");
}

// One that does, by the slot of the written map first:
// slot 1 "Legato" (articulation 17 in the file, line 40).
std::string SlotLabel(const Articulation& a, size_t number, int slot) {
  return "slot " + std::to_string(slot + 1) + (a.name.empty() ? "" : " " + Quoted(a.name)) +
         " (articulation " + std::to_string(number) + " in the file" +
         (a.where.empty() ? "" : ", " + a.where) + ")";
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

bool InByteRange(int v) { return v >= 0 && v <= 127; }

// How --list and messages mark an articulation the import leaves out.
std::string LeftOutMark(const Articulation& a) {
  if (!a.hidden) return "";
  return a.hiddenBecause.empty() ? "[hidden]" : "[no articulation]";
}

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
      Note("name: " + Join(replaced, ", ") + " became \"?\" (names are Windows-1252 text)");
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

std::string BankLabel(const ForeignBank& bank) {
  std::string label = Quoted(bank.name);
  if (!bank.displayName.empty() && bank.displayName != bank.name)
    label += " (" + Quoted(bank.displayName) + ")";
  if (!bank.group.empty()) label += " in group " + Quoted(bank.group);
  return label;
}

// Every name --bank knows the bank by: its names, and each of them after
// the group path or the path's last parts ("Lib/Strings/Vln", "Strings/Vln").
// A name holding '/' stays one name: no part of it alone names the bank.
std::vector<std::string> BankNames(const ForeignBank& bank) {
  std::vector<std::string> names{bank.name, bank.displayName};
  std::string group = bank.group;
  while (!group.empty() && group.back() == '/') group.pop_back();
  if (group.empty()) return names;
  for (size_t at = 0;;) {
    for (const std::string* name : {&bank.name, &bank.displayName})
      if (!name->empty()) names.push_back(group.substr(at) + "/" + *name);
    at = group.find('/', at);
    if (at == std::string::npos) break;
    ++at;
  }
  return names;
}

// What --bank takes for the bank: GROUP/NAME by its display name where it
// has one; empty without a group.
std::string BankPath(const ForeignBank& bank) {
  if (bank.group.empty()) return "";
  return bank.group + "/" + (bank.displayName.empty() ? bank.name : bank.displayName);
}

bool IsNumber(const std::string& text) {
  if (text.empty() || text.size() > 6) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The things --bank or --pick chooses among, numbered from 1 as --list
// shows them.
struct Choices {
  std::string option;                           // "--bank"
  std::string thing;                            // "bank"
  std::vector<std::vector<std::string>> names;  // each thing's names
  std::vector<std::string> labels;              // each as a message shows it
  std::string missing;                          // what to add when nothing fits
  std::vector<std::string> paths;               // banks: GROUP/NAME each, or empty

  // "2 "Example Cellos" ("Cellos"), 5 "Cellos"".
  std::string Numbered(const std::vector<size_t>& indices) const {
    std::vector<std::string> items;
    for (size_t i : indices) items.push_back(std::to_string(i + 1) + " " + labels[i]);
    return Join(items, ", ");
  }
};

// " or as GROUP/NAME, such as "Strings Chamber/01 Violins"" when the
// candidates' paths tell each apart from the others; else empty.
std::string PathHint(const Choices& choices, const std::vector<size_t>& named) {
  if (choices.paths.empty()) return "";
  for (size_t i : named) {
    if (choices.paths[i].empty()) return "";
    for (size_t j : named)
      if (j != i && SameName(choices.paths[i], choices.paths[j])) return "";
  }
  return " or as GROUP/NAME, such as " + Quoted(choices.paths[named[1]]);
}

// What a --bank or --pick text selects: its number when it is one, else
// the one thing whose name is the same (name_matching.h). A number another
// thing is also called by is still that number: `guess` then says so. Fails
// with the candidates by number when a name fits several, and with
// `missing` added when nothing fits.
bool Resolve(const Choices& choices, const std::string& wanted, size_t& chosen, std::string& guess,
             ImportError& error) {
  const size_t count = choices.labels.size();
  std::vector<size_t> named;
  for (size_t i = 0; i < count; ++i)
    for (const std::string& name : choices.names[i])
      if (!name.empty() && SameName(name, wanted)) {
        named.push_back(i);
        break;
      }
  const std::string& thing = choices.thing;
  const size_t number = IsNumber(wanted) ? std::stoul(wanted) : 0;
  if (number >= 1 && number <= count) {
    chosen = number - 1;
    std::erase(named, chosen);
    if (!named.empty())
      guess = choices.option + " " + wanted + " taken as " + thing + " " + wanted + " " +
              choices.labels[chosen] + "; " + thing + (named.size() == 1 ? " " : "s ") +
              choices.Numbered(named) + (named.size() == 1 ? " has" : " have") + " that name too";
    return true;
  }
  if (named.size() == 1) {
    chosen = named.front();
    return true;
  }
  if (named.size() > 1) {
    error = {choices.option, Quoted(wanted) + " fits " + Counted(named.size(), thing) + ": " +
                                 choices.Numbered(named) + "; choose one by its number" +
                                 PathHint(choices, named)};
    return false;
  }
  error = {choices.option, (number > 0 ? "there is no " + thing + " " + wanted
                                       : "no " + thing + " is called " + Quoted(wanted)) +
                               "; " + choices.missing};
  return false;
}

bool ChooseBank(const ForeignMap& map, const std::string& file, const std::string& wanted,
                const std::string& option, const ForeignBank*& chosen,
                std::vector<std::string>& warnings, ImportError& error) {
  if (map.banks.empty()) {
    error = {"", "holds no bank"};
    return false;
  }
  Choices banks{option, "bank", {}, {}, "", {}};
  std::vector<size_t> all;
  for (const ForeignBank& bank : map.banks) {
    all.push_back(all.size());
    banks.names.push_back(BankNames(bank));
    banks.labels.push_back(BankLabel(bank));
    banks.paths.push_back(BankPath(bank));
  }
  if (wanted.empty()) {
    if (map.banks.size() == 1) {
      chosen = &map.banks.front();
      return true;
    }
    error = {"", "holds " + std::to_string(map.banks.size()) + " banks; choose one with " + option +
                     " NAME or NUMBER: " + banks.Numbered(all)};
    return false;
  }
  banks.missing = file + " holds " + banks.Numbered(all);
  size_t index = 0;
  std::string guess;
  if (!Resolve(banks, wanted, index, guess, error)) return false;
  if (!guess.empty()) warnings.push_back(file + ": " + guess);
  chosen = &map.banks[index];
  return true;
}

// "2-8" or "8 - 2": two numbers and a dash.
bool ParseRange(const std::string& entry, size_t& first, size_t& last) {
  const size_t dash = entry.find('-');
  if (dash == std::string::npos) return false;
  const auto number = [](std::string text, size_t& value) {
    const size_t a = text.find_first_not_of(" \t"), b = text.find_last_not_of(" \t");
    if (a == std::string::npos) return false;
    text = text.substr(a, b - a + 1);
    if (!IsNumber(text)) return false;
    value = std::stoul(text);
    return true;
  };
  return number(entry.substr(0, dash), first) && number(entry.substr(dash + 1), last);
}

// Digits, dashes and blanks only, with a dash: meant as a range.
bool LooksLikeRange(const std::string& entry) {
  return entry.find('-') != std::string::npos &&
         entry.find_first_not_of("0123456789- \t") == std::string::npos;
}

// The articulations a --pick takes, entry by entry, into slots 1.. in order.
class Picker {
 public:
  Picker(const ForeignBank& bank, const std::string& file, const std::string& option,
         std::vector<size_t>& chosen, ImportResult& out, ImportError& error)
      : bank_(bank), file_(file), chosen_(chosen), out_(out), error_(error) {
    choices_ = {option, "articulation", {}, {}, "", {}};
    for (const Articulation& a : bank.articulations) {
      choices_.names.push_back({a.name});
      choices_.labels.push_back((a.name.empty() ? std::string("(no name)") : Quoted(a.name)) +
                                (a.hidden ? " " + LeftOutMark(a) : ""));
    }
    choices_.missing = "bank " + BankLabel(bank) + " holds " +
                       Counted(bank.articulations.size(), "articulation") + " (--list shows them)";
    takenBy_.resize(bank.articulations.size());
  }

  bool Entry(const std::string& entry) {
    if (entry.empty()) return Fail("an entry is empty (two commas in a row, or one at an end)");
    size_t first = 0, last = 0;
    if (ParseRange(entry, first, last)) return Range(entry, first, last);
    size_t index = 0;
    std::string guess;
    if (LooksLikeRange(entry) && !Named(entry))
      return Fail(Quoted(entry) +
                  " is neither a range FIRST-LAST (such as 2-8) nor an "
                  "articulation's name");
    if (!Resolve(choices_, entry, index, guess, error_)) return false;
    if (!guess.empty()) out_.warnings.push_back(file_ + ": " + guess);
    return Take(index, entry);
  }

 private:
  bool Fail(const std::string& message) {
    error_ = {choices_.option, message};
    return false;
  }

  bool Named(const std::string& entry) const {
    for (const auto& names : choices_.names)
      if (!names[0].empty() && SameName(names[0], entry)) return true;
    return false;
  }

  bool Range(const std::string& entry, size_t first, size_t last) {
    const size_t count = bank_.articulations.size();
    for (size_t end : {first, last})
      if (end < 1 || end > count)
        return Fail(Quoted(entry) + ": there is no articulation " + std::to_string(end) + "; " +
                    choices_.missing);
    if (Named(entry))
      out_.warnings.push_back(file_ + ": " + choices_.option + " " + entry +
                              " taken as the range of articulations " + std::to_string(first) +
                              " to " + std::to_string(last) +
                              "; an articulation has that name too");
    const int step = first <= last ? 1 : -1;
    for (size_t n = first;; n += step) {
      if (!Take(n - 1, entry)) return false;
      if (n == last) return true;
    }
  }

  bool Take(size_t index, const std::string& entry) {
    const std::string label =
        "articulation " + std::to_string(index + 1) + " " + choices_.labels[index];
    if (!takenBy_[index].empty())
      return Fail(Quoted(entry) + " takes " + label + " a second time (entry " +
                  Quoted(takenBy_[index]) +
                  " took it already); each articulation becomes one slot");
    if (chosen_.size() == kSlotCount)
      return Fail(Quoted(entry) + " goes past " + std::to_string(kSlotCount) +
                  " articulations at " + label + "; at most " + std::to_string(kSlotCount) +
                  " fit, one per slot");
    takenBy_[index] = entry;
    chosen_.push_back(index);
    return true;
  }

  const ForeignBank& bank_;
  const std::string& file_;
  std::vector<size_t>& chosen_;
  ImportResult& out_;
  ImportError& error_;
  Choices choices_;
  std::vector<std::string> takenBy_;  // per articulation, the entry that took it
};

// The articulations that become slots 1.., by their index in the bank, in
// order. Warns about what the rules leave out, and lists it in `leftOut`.
bool Select(const ForeignBank& bank, const std::string& file, const ImportChoice& choice,
            std::vector<size_t>& chosen, ImportResult& out, ImportError& error) {
  const auto& all = bank.articulations;
  if (!choice.pick.empty()) {
    Picker picker(bank, file, choice.pickOption, chosen, out, error);
    for (const std::string& entry : choice.pick)
      if (!picker.Entry(entry)) return false;
    std::vector<bool> picked(all.size());
    for (size_t i : chosen) picked[i] = true;
    for (size_t i = 0; i < all.size(); ++i)
      if (!picked[i]) out.leftOut.push_back({i + 1, all[i].name, "not picked"});
    return true;
  }
  std::vector<std::string> beyond;
  const int page = choice.page;
  const size_t first = page > 0 ? static_cast<size_t>(page) * kSlotCount : 0;
  size_t visible = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].hidden) {
      if (page <= 0) {
        const std::string& why = all[i].hiddenBecause;
        out.notes.push_back(file + ": " + ArticulationLabel(all[i], i + 1) + ": left out, as " +
                            (why.empty() ? "its program hides it" : why));
        out.leftOut.push_back({i + 1, all[i].name, why.empty() ? "hidden by its program" : why});
      }
    } else if (visible++ < first) {
      continue;  // on an earlier page
    } else if (chosen.size() < kSlotCount) {
      chosen.push_back(i);
    } else if (page < 0) {
      beyond.push_back(std::to_string(i + 1) + " " + Quoted(all[i].name));
      out.leftOut.push_back({i + 1, all[i].name, "beyond the 16 taken"});
    }
  }
  if (!beyond.empty())
    out.warnings.push_back(file + ": " + Counted(beyond.size(), "articulation") +
                           " beyond slot 16 left out: " + Join(beyond, ", ") +
                           " (choose up to 16 with " + choice.pickOption + ")");
  if (chosen.empty()) {
    error = {bank.where, "bank " + BankLabel(bank) + " holds no articulation that is not hidden"};
    return false;
  }
  return true;
}

// An output as a musician reads it: "C0 v120", "F#0 v120 held", "CC 3 = 20",
// "program 5", "bend -4096", "ch 2" for routing; " ch N" when it has a channel.
std::string Readable(const Output& o) {
  const std::string channel = o.channel >= 0 ? " ch " + std::to_string(o.channel + 1) : "";
  const int velocity = o.data2 == 0 ? 127 : o.data2;
  switch (o.kind) {
    case Output::Kind::Note:
    case Output::Kind::HeldNote:
      return NoteName(o.data1) + " v" + std::to_string(velocity) +
             (o.kind == Output::Kind::HeldNote ? " held" : "") + channel;
    case Output::Kind::ControlChange:
      return "CC " + std::to_string(o.data1) + " = " + std::to_string(o.data2) + channel;
    case Output::Kind::ProgramChange:
      return "program " + std::to_string(o.data1) + channel;
    case Output::Kind::PitchBend:
      return "bend " + std::to_string(o.data1) + channel;
    case Output::Kind::Routing:
      return o.channel >= 0 ? "ch " + std::to_string(o.channel + 1) : o.text;
    case Output::Kind::Other:
      break;
  }
  return Quoted(o.text);
}

}  // namespace

bool ImportForeignMap(const ForeignMap& map, const std::string& fileName,
                      const ImportChoice& choice, ImportResult& result, ImportError& error) {
  const ForeignBank* bank = nullptr;
  ImportResult out;
  if (!ChooseBank(map, fileName, choice.bank, choice.bankOption, bank, out.warnings, error))
    return false;
  if (!bank->problem.empty()) {
    error = {bank->where, "bank " + BankLabel(*bank) + " cannot be imported: " + bank->problem};
    return false;
  }
  for (const std::string& extra : bank->extras)
    out.warnings.push_back(fileName + ": bank " + BankLabel(*bank) + ": dropped " + extra);
  for (const std::string& note : bank->notes)
    out.notes.push_back(fileName + ": bank " + BankLabel(*bank) + ": dropped " + note);
  std::vector<size_t> chosen;
  if (!Select(*bank, fileName, choice, chosen, out, error)) return false;
  for (size_t i : chosen) out.taken.push_back(i + 1);
  for (size_t i = 0; i < chosen.size(); ++i) {
    SlotImport slot(bank->articulations[chosen[i]], chosen[i] + 1, static_cast<int>(i), fileName,
                    out);
    if (!slot.Run(out.settings.slots[i], error)) return false;
  }
  result = std::move(out);
  return true;
}

std::string ForeignBankLabel(const ForeignBank& bank) { return BankLabel(bank); }

size_t ImportPageCount(const ForeignBank& bank) {
  const auto visible = std::count_if(bank.articulations.begin(), bank.articulations.end(),
                                     [](const Articulation& a) { return !a.hidden; });
  return std::max<size_t>(1, (static_cast<size_t>(visible) + kSlotCount - 1) / kSlotCount);
}

std::vector<std::string> SplitPickList(const std::string& list) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    std::string entry = list.substr(start, end - start);
    const size_t first = entry.find_first_not_of(" \t");
    const size_t last = entry.find_last_not_of(" \t");
    entries.push_back(first == std::string::npos ? "" : entry.substr(first, last - first + 1));
    start = end + 1;
  }
  return entries;
}

std::string PickListText(const std::vector<size_t>& numbers) {
  std::string out;
  for (size_t i = 0; i < numbers.size();) {
    size_t run = i;
    while (run + 1 < numbers.size() && numbers[run + 1] == numbers[run] + 1) ++run;
    out += (out.empty() ? "" : ",") + std::to_string(numbers[i]);
    if (run >= i + 2) {
      out += "-" + std::to_string(numbers[run]);
      i = run + 1;
    } else {
      ++i;
    }
  }
  return out;
}

std::string LeftOutExplanation(const ImportResult& result, const std::string& name,
                               const std::string& fileName, const std::string& pickOption) {
  for (const LeftOutArticulation& a : result.leftOut) {
    if (a.name.empty() || !SameName(a.name, name)) continue;
    // The same slots, the last one given up when all 16 are taken.
    std::vector<size_t> pick = result.taken;
    if (pick.size() >= static_cast<size_t>(kSlotCount)) pick.resize(kSlotCount - 1);
    pick.push_back(a.number);
    return Quoted(a.name) + " is articulation " + std::to_string(a.number) + " of " + fileName +
           ", " + a.why + "; take it with " + pickOption + ", such as " + pickOption + " " +
           PickListText(pick);
  }
  return "";
}

bool FindForeignBank(const ForeignMap& map, const std::string& fileName, const ImportChoice& choice,
                     size_t& index, std::vector<std::string>& warnings, ImportError& error) {
  const ForeignBank* bank = nullptr;
  if (!ChooseBank(map, fileName, choice.bank, choice.bankOption, bank, warnings, error))
    return false;
  index = static_cast<size_t>(bank - map.banks.data());
  return true;
}

std::string ListForeignMap(const ForeignMap& map, const std::string& fileName, int onlyBank) {
  std::string out = fileName + ": " + Counted(map.banks.size(), "bank") + "\n";
  for (size_t b = 0; b < map.banks.size(); ++b) {
    if (onlyBank >= 0 && b != static_cast<size_t>(onlyBank)) continue;
    const ForeignBank& bank = map.banks[b];
    out += "bank " + std::to_string(b + 1) + " " + BankLabel(bank) + ", " +
           Counted(bank.articulations.size(), "articulation") +
           (bank.problem.empty() ? "" : "; cannot be imported: " + bank.problem) + "\n";
    for (size_t i = 0; i < bank.articulations.size(); ++i) {
      const Articulation& a = bank.articulations[i];
      std::vector<std::string> outputs;
      for (const Output& o : a.outputs) outputs.push_back(Readable(o));
      char index[16];
      std::snprintf(index, sizeof index, "%4u  ", static_cast<unsigned>(i + 1));
      if (a.transpose != 0) outputs.push_back("transpose " + std::to_string(a.transpose));
      out += index + (a.name.empty() ? std::string("(no name)") : a.name) +
             (a.hidden ? "  " + LeftOutMark(a) : "") +
             (outputs.empty() ? "" : "  ->  " + Join(outputs, ", ")) + "\n";
    }
  }
  return out;
}
