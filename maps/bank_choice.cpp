#include "maps/bank_choice.h"

#include <algorithm>

#include "maps/counted.h"
#include "maps/name_matching.h"
#include "maps/quoted.h"

namespace {

constexpr size_t kSlots = 16;  // the plug-in's slots: what one page or pick fills

using Articulation = ForeignArticulation;

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

// An articulation that does not become a slot, by its number in the file
// (as --list numbers them): articulation 9 "Reset" (line 24).
std::string ArticulationLabel(const Articulation& a, size_t number) {
  return "articulation " + std::to_string(number) + (a.name.empty() ? "" : " " + Quoted(a.name)) +
         (a.where.empty() ? "" : " (" + a.where + ")");
}

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
         ChosenArticulations& out, ImportError& error)
      : bank_(bank), file_(file), chosen_(out.indices), out_(out), error_(error) {
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
    if (chosen_.size() == kSlots)
      return Fail(Quoted(entry) + " goes past " + std::to_string(kSlots) + " articulations at " +
                  label + "; at most " + std::to_string(kSlots) + " fit, one per slot");
    takenBy_[index] = entry;
    chosen_.push_back(index);
    return true;
  }

  const ForeignBank& bank_;
  const std::string& file_;
  std::vector<size_t>& chosen_;
  ChosenArticulations& out_;
  ImportError& error_;
  Choices choices_;
  std::vector<std::string> takenBy_;  // per articulation, the entry that took it
};

// The hidden articulations, noted as left out.
void NoteHidden(const ForeignBank& bank, const std::string& file, ChosenArticulations& out) {
  const auto& all = bank.articulations;
  for (size_t i = 0; i < all.size(); ++i) {
    if (!all[i].hidden) continue;
    const std::string& why = all[i].hiddenBecause;
    out.notes.push_back(file + ": " + ArticulationLabel(all[i], i + 1) + ": left out, as " +
                        (why.empty() ? "its program hides it" : why));
    out.leftOut.push_back({i + 1, all[i].name, why.empty() ? "hidden by its program" : why});
  }
}

bool Pick(const ForeignBank& bank, const std::string& file, const ImportChoice& choice,
          ChosenArticulations& out, ImportError& error) {
  const auto& all = bank.articulations;
  Picker picker(bank, file, choice.pickOption, out, error);
  for (const std::string& entry : choice.pick)
    if (!picker.Entry(entry)) return false;
  std::vector<bool> picked(all.size());
  for (size_t i : out.indices) picked[i] = true;
  for (size_t i = 0; i < all.size(); ++i)
    if (!picked[i]) out.leftOut.push_back({i + 1, all[i].name, "not picked"});
  return true;
}

// The first 16 shown, the rest named in a warning.
void FirstSixteen(const ForeignBank& bank, const std::string& file, const ImportChoice& choice,
                  ChosenArticulations& out) {
  const auto& all = bank.articulations;
  NoteHidden(bank, file, out);
  std::vector<std::string> beyond;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].hidden) continue;
    if (out.indices.size() < kSlots) {
      out.indices.push_back(i);
    } else {
      beyond.push_back(std::to_string(i + 1) + " " + Quoted(all[i].name));
      out.leftOut.push_back({i + 1, all[i].name, "beyond the 16 taken"});
    }
  }
  if (!beyond.empty())
    out.warnings.push_back(file + ": " + Counted(beyond.size(), "articulation") +
                           " beyond slot 16 left out: " + Join(beyond, ", ") +
                           " (choose up to 16 with " + choice.pickOption + ")");
}

}  // namespace

std::vector<MapPage> BankPages(const ForeignBank& bank) {
  std::vector<size_t> shown;
  for (size_t i = 0; i < bank.articulations.size(); ++i)
    if (!bank.articulations[i].hidden) shown.push_back(i + 1);
  std::vector<MapPage> pages;
  if (shown.empty()) return pages;
  if (shown.size() <= kSlots) {
    pages.push_back({"", shown});
    return pages;
  }
  for (size_t start = 0; start < shown.size(); start += kSlots) {
    MapPage page;
    page.numbers.assign(
        shown.begin() + static_cast<ptrdiff_t>(start),
        shown.begin() + static_cast<ptrdiff_t>(std::min(shown.size(), start + kSlots)));
    page.label =
        std::to_string(page.numbers.front()) + kEnDash + std::to_string(page.numbers.back());
    pages.push_back(std::move(page));
  }
  return pages;
}

size_t ImportPageCount(const ForeignBank& bank) {
  return std::max<size_t>(1, BankPages(bank).size());
}

MapBankOffer BankOffer(const ForeignBank& bank) {
  MapBankOffer offer;
  offer.label = BankLabel(bank);
  offer.title = bank.displayName.empty() ? bank.name : bank.displayName;
  offer.group = bank.group;
  offer.problem = bank.problem;
  for (const Articulation& a : bank.articulations) offer.articulations += a.hidden ? 0 : 1;
  if (offer.problem.empty()) offer.pages = BankPages(bank);
  if (offer.problem.empty() && offer.pages.empty())
    offer.problem = "it holds no articulation that is shown";
  return offer;
}

std::string ForeignBankLabel(const ForeignBank& bank) { return BankLabel(bank); }

std::string LeftOutMark(const ForeignArticulation& a) {
  if (!a.hidden) return "";
  return a.hiddenBecause.empty() ? "[hidden]" : "[no articulation]";
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

bool FindForeignBank(const ForeignMap& map, const std::string& fileName, const ImportChoice& choice,
                     size_t& index, std::vector<std::string>& warnings, ImportError& error) {
  const ForeignBank* bank = nullptr;
  if (!ChooseBank(map, fileName, choice.bank, choice.bankOption, bank, warnings, error))
    return false;
  index = static_cast<size_t>(bank - map.banks.data());
  return true;
}

bool ChooseArticulations(const ForeignBank& bank, const std::string& fileName,
                         const ImportChoice& choice, ChosenArticulations& chosen,
                         ImportError& error) {
  ChosenArticulations out;
  if (!choice.pick.empty()) {
    if (!Pick(bank, fileName, choice, out, error)) return false;
  } else if (choice.page >= 0) {
    if (choice.page == 0) NoteHidden(bank, fileName, out);
    const std::vector<MapPage> pages = BankPages(bank);
    if (static_cast<size_t>(choice.page) < pages.size())
      for (size_t number : pages[choice.page].numbers) out.indices.push_back(number - 1);
  } else {
    FirstSixteen(bank, fileName, choice, out);
  }
  if (out.indices.empty()) {
    error = {bank.where, "bank " + BankLabel(bank) + " holds no articulation that is not hidden"};
    return false;
  }
  chosen = std::move(out);
  return true;
}
