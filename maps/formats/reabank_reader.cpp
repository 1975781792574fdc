// Reading Reaticulate banks: lines, attribute lines, output events.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "maps/formats/reabank.h"
#include "maps/quoted.h"

namespace {

using Kind = ForeignOutput::Kind;
using Attributes = std::vector<std::pair<std::string, std::string>>;

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// The first value of a key: a repeated key counts once, the first time.
const std::string* Find(const Attributes& attributes, std::string_view key) {
  for (const auto& [k, v] : attributes)
    if (k == key) return &v;
  return nullptr;
}

bool ParseInt(std::string_view text, int lo, int hi, int& out) {
  if (text.empty() || text.size() > 7) return false;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  int value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  out = text[0] == '-' ? -value : value;
  return out >= lo && out <= hi;
}

// g="Spitfire/Symphonic Brass/Horns": its parts, each trimmed, empty ones left out.
std::vector<std::string> LibraryPath(std::string_view group) {
  std::vector<std::string> parts;
  for (size_t start = 0; start <= group.size();) {
    const size_t slash = std::min(group.size(), group.find('/', start));
    const std::string_view part = Trim(group.substr(start, slash - start));
    if (!part.empty()) parts.emplace_back(part);
    start = slash + 1;
  }
  return parts;
}

class Reader {
 public:
  explicit Reader(ImportError& error) : error_(error) {}

  bool Read(std::string_view text, ForeignMap& map) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    size_t start = 0;
    for (int number = 1; start <= text.size(); ++number) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      line_ = number;
      if (!Line(Trim(text.substr(start, end - start)))) return false;
      start = end + 1;
    }
    if (banks_.empty()) return Fail("", "no Bank line: this is not a Reaticulate bank file");
    IndexBanks();
    for (size_t i = 0; i < banks_.size(); ++i) ResolveClone(i, 0);
    for (const auto& bank : banks_)
      if (bank.bank.articulations.empty() && bank.bank.problem.empty())
        return Fail(bank.bank.where, "bank " + Quoted(bank.bank.name) + " holds no articulations");
    ForeignMap out;
    for (auto& bank : banks_) out.banks.push_back(std::move(bank.bank));
    map = std::move(out);
    return true;
  }

 private:
  struct Bank {
    ForeignBank bank;
    std::string id, group, clone;
    std::string cause;            // why its clone= failed, however far down the chain
    std::map<int, int> programs;  // program number -> line
    enum class Clone : uint8_t { Pending, Resolving, Done } state = Clone::Pending;
  };

  std::string Where() const { return "line " + std::to_string(line_); }

  bool Fail(std::string where, std::string message) {
    error_ = {std::move(where), std::move(message)};
    return false;
  }
  bool Fail(std::string message) { return Fail(Where(), std::move(message)); }

  bool Line(std::string_view line) {
    if (line.empty()) return true;
    if (line.substr(0, 3) == "//!") return AttributeLine(line.substr(3));
    if (line.substr(0, 2) == "//") return true;
    if (line.substr(0, 4) == "Bank" && (line.size() == 4 || kBlanks.find(line[4]) != kBlanks.npos))
      return BankLine(Trim(line.substr(4)));
    if (line[0] >= '0' && line[0] <= '9') return ProgramLine(line);
    return Fail("not a Bank line, a program line (a number and a name) or a // comment: " +
                Quoted(line.substr(0, 40)));
  }

  // key=value pairs; a value may be "quoted", with \n and &quot; inside.
  bool AttributeLine(std::string_view rest) {
    size_t i = 0;
    while (true) {
      while (i < rest.size() && kBlanks.find(rest[i]) != kBlanks.npos) ++i;
      if (i >= rest.size()) return true;
      size_t keyEnd = i;
      while (keyEnd < rest.size() && rest[keyEnd] != '=' &&
             kBlanks.find(rest[keyEnd]) == kBlanks.npos)
        ++keyEnd;
      std::string key(rest.substr(i, keyEnd - i)), value;
      i = keyEnd;
      if (i < rest.size() && rest[i] == '=') {
        ++i;
        if (i < rest.size() && rest[i] == '"') {
          const size_t close = rest.find('"', i + 1);
          if (close == std::string_view::npos)
            return Fail("the value of " + key + "= opens a quote that never closes");
          value = Unescape(rest.substr(i + 1, close - i - 1));
          i = close + 1;
        } else {
          const size_t end = std::min(rest.size(), rest.find_first_of(kBlanks, i));
          value = rest.substr(i, end - i);
          i = end;
        }
      }
      pending_.emplace_back(std::move(key), std::move(value));
    }
  }

  static std::string Unescape(std::string_view quoted) {
    std::string out;
    for (size_t i = 0; i < quoted.size(); ++i) {
      if (quoted.substr(i, 2) == "\\n") {
        out += '\n';
        ++i;
      } else if (quoted.substr(i, 6) == "&quot;") {
        out += '"';
        i += 5;
      } else {
        out += quoted[i];
      }
    }
    return out;
  }

  bool BankLine(std::string_view rest) {
    std::string_view fields[2];
    for (auto& field : fields) {
      const size_t end = std::min(rest.size(), rest.find_first_of(kBlanks));
      field = rest.substr(0, end);
      rest = Trim(rest.substr(end));
      int number = 0;
      if (field != "*" && !ParseInt(field, 0, 127, number))
        return Fail("a Bank line needs MSB and LSB, each * or a number 0..127, then the name; " +
                    Quoted(field) + " is neither");
    }
    Bank bank;
    bank.bank.name = rest;
    bank.bank.where = Where();
    for (const auto& [key, value] : pending_) {
      if (Find(pending_, key) != &value) continue;  // a repeat: the first one wins
      if (key == "n") {
        bank.bank.displayName = value;
      } else if (key == "id") {
        bank.id = value;
      } else if (key == "clone") {
        bank.clone = value;
      } else if (key == "g") {
        bank.group = bank.bank.group = value;
        bank.bank.library = LibraryPath(value);
      } else if (key == "m") {
        if (!value.empty()) bank.bank.notes.push_back("message " + Quoted(value) + " (m=)");
      } else if (key == "chase") {
        bank.bank.extras.push_back("controller chasing (chase=" + value + ")");
      } else if (key == "off") {
        bank.bank.extras.push_back("the articulation for notes off (off=" + value + ")");
      } else {
        bank.bank.extras.push_back(key + "=" + value);
      }
    }
    pending_.clear();
    banks_.push_back(std::move(bank));
    return true;
  }

  bool ProgramLine(std::string_view line) {
    size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    int program = 0;
    if (digits < line.size() && kBlanks.find(line[digits]) == kBlanks.npos)
      return Fail("a program line is a number, a space and a name: " + Quoted(line.substr(0, 40)));
    if (!ParseInt(line.substr(0, digits), 0, 127, program))
      return Fail("program number " + std::string(line.substr(0, digits)) + " is outside 0..127");
    if (banks_.empty())
      return Fail("program " + std::to_string(program) +
                  " stands outside a bank: a Bank line must come first");
    Bank& bank = banks_.back();
    const auto [at, fresh] = bank.programs.emplace(program, line_);
    if (!fresh)
      return Fail("program " + std::to_string(program) + " appears twice in bank " +
                  Quoted(bank.bank.name) + " (line " + std::to_string(at->second) + " and here)");
    ForeignArticulation a;
    a.name = Trim(line.substr(digits));
    a.where = Where();
    for (const auto& [key, value] : pending_) {
      if (Find(pending_, key) != &value) continue;
      if (!Attribute(key, value, a)) return false;
    }
    Group(a);
    pending_.clear();
    bank.bank.articulations.push_back(std::move(a));
    return true;
  }

  bool Attribute(const std::string& key, const std::string& value, ForeignArticulation& a) {
    if (key == "i") {
      a.iconName = value;
    } else if (key == "o") {
      return Outputs(value, a);
    } else if (key == "f") {
      std::string others;
      for (size_t start = 0; start <= value.size();) {
        const size_t comma = std::min(value.size(), value.find(',', start));
        const std::string flag = value.substr(start, comma - start);
        if (flag == "hidden")
          a.hidden = true;
        else if (!flag.empty())
          others += (others.empty() ? "" : ",") + flag;
        start = comma + 1;
      }
      if (!others.empty()) a.extras.push_back("flags " + others + " (f=" + value + ")");
    } else if (key == "n") {
      if (value != a.name) a.notes.push_back("display name " + Quoted(value) + " (n=)");
    } else if (key == "c") {
      a.notes.push_back("colour " + value + " (c=" + value + ")");
    } else if (key == "g") {
      // Group 1 is where every articulation stands without g=.
    } else if (key == "m") {
      if (!value.empty()) a.notes.push_back("message " + Quoted(value) + " (m=)");
    } else if (key == "transpose") {
      if (!ParseInt(value, -127, 127, a.transpose))
        a.extras.push_back("transpose " + Quoted(value) + " (not a whole number of semitones)");
    } else if (key == "spacer") {
      a.notes.push_back("a gap of " + value + " before it in the program's list (spacer=)");
    } else {
      a.extras.push_back(key + "=" + value);
    }
    return true;
  }

  // Reaticulate keeps one articulation active per group and layers the
  // groups; a note plays one slot, so an articulation of another group is
  // a slot like the rest. Only a held note of its own changes what is sent.
  void Group(ForeignArticulation& a) const {
    const std::string* group = Find(pending_, "g");
    if (!group || *group == "1" || group->empty()) return;
    const std::string g = "group " + *group + " (g=" + *group + ")";
    a.remarks.push_back(g +
                        ": a slot like the others; a note plays one slot, never one "
                        "articulation of each group at once as in Reaticulate");
    for (const ForeignOutput& o : a.outputs)
      if (o.kind == Kind::HeldNote)
        a.extras.push_back("the " + g + " of its held note " + Quoted(o.text) +
                           ": the plug-in releases a held note at the next switch of any slot, "
                           "Reaticulate only at the next of its group");
  }

  bool Outputs(const std::string& list, ForeignArticulation& a) {
    for (size_t start = 0; start <= list.size();) {
      const size_t slash = std::min(list.size(), list.find('/', start));
      const std::string spec = list.substr(start, slash - start);
      if (!spec.empty() && !Output(spec, a)) return false;
      start = slash + 1;
    }
    return true;
  }

  // [-]type[@channel[.bus]][:arg1[,arg2]][%program]
  bool Output(const std::string& spec, ForeignArticulation& a) {
    ForeignOutput o;
    o.text = spec;
    std::string_view rest = spec;
    // A leading '-' sends the output without playing the notes there.
    if (!rest.empty() && rest[0] == '-') {
      rest.remove_prefix(1);
      o.routes = false;
    }
    const size_t typeEnd = std::min(rest.size(), rest.find_first_of("@:%"));
    const std::string_view type = rest.substr(0, typeEnd);
    rest.remove_prefix(typeEnd);
    const auto bad = [&](const std::string& what) {
      return Fail("output " + Quoted(spec) + ": " + what);
    };
    if (!rest.empty() && rest[0] == '@') {
      const size_t end = std::min(rest.size(), rest.find_first_of(":%"));
      const std::string_view address = rest.substr(1, end - 1);
      rest.remove_prefix(end);
      if (address == "-") {
        // "Wherever the previous articulation routed" depends on the order
        // of play; a slot has channels of its own.
        o.routes = false;
        a.extras.push_back("the channel of the previous articulation (@-) of " + Quoted(spec) +
                           "; it goes to the plug-in's channel");
      } else {
        const size_t dot = address.find('.');
        int channel = 0, bus = 0;
        if (!ParseInt(address.substr(0, dot), 1, 16, channel))
          return bad("the channel after @ must be 1..16");
        if (dot != std::string_view::npos && !ParseInt(address.substr(dot + 1), 1, 16, bus))
          return bad("the bus after the channel must be 1..16");
        if (dot != std::string_view::npos)
          a.extras.push_back("bus " + std::to_string(bus) + " of " + Quoted(spec));
        o.channel = channel - 1;
      }
    }
    std::vector<std::string_view> args;
    if (!rest.empty() && rest[0] == ':') {
      const size_t end = std::min(rest.size(), rest.find('%'));
      std::string_view list = rest.substr(1, end - 1);
      const size_t comma = list.find(',');
      args.push_back(list.substr(0, comma));
      if (comma != std::string_view::npos) args.push_back(list.substr(comma + 1));
      rest.remove_prefix(end);
    }
    if (!rest.empty()) {
      int program = 0;
      if (!ParseInt(rest.substr(1), 0, 127, program))
        return bad("the program after % must be 0..127");
      a.extras.push_back("the condition %" + std::to_string(program) + " of " + Quoted(spec));
    }
    const auto arg = [&](size_t i, int lo, int hi, int& out, const char* what) {
      if (i < args.size() && ParseInt(args[i], lo, hi, out)) return true;
      return bad(std::string(what) + " must be " + std::to_string(lo) + ".." + std::to_string(hi));
    };
    if (type == "note" || type == "note-hold") {
      o.kind = type == "note" ? Kind::Note : Kind::HeldNote;
      o.data2 = 127;
      if (!arg(0, 0, 127, o.data1, "the note")) return false;
      if (args.size() > 1 && !arg(1, 0, 127, o.data2, "the velocity")) return false;
    } else if (type == "cc") {
      o.kind = Kind::ControlChange;
      if (!arg(0, 0, 127, o.data1, "the controller") || !arg(1, 0, 127, o.data2, "the value"))
        return false;
    } else if (type == "program") {
      o.kind = Kind::ProgramChange;
      if (!arg(0, 0, 127, o.data1, "the program")) return false;
    } else if (type == "pitch") {
      o.kind = Kind::PitchBend;
      // Reaticulate clamps a bend to the range MIDI can send.
      if (!arg(0, -999999, 999999, o.data1, "the pitch bend")) return false;
      o.data1 = std::clamp(o.data1, -8192, 8191);
    } else if (type == "art") {
      o.kind = Kind::Other;
      if (!arg(0, 0, 127, o.data1, "the articulation's program")) return false;
    } else if (type.empty()) {
      if (o.channel < 0 && o.routes)
        return bad("an output without a type routes to a channel: @1..@16");
      o.kind = Kind::Routing;
    } else {
      o.kind = Kind::Other;
    }
    a.outputs.push_back(std::move(o));
    return true;
  }

  // Where clone= looks: banks by id=, and by path g/n (n defaulting to the
  // Bank line's name); the first bank wins a name two banks share.
  void IndexBanks() {
    for (size_t i = 0; i < banks_.size(); ++i) {
      const Bank& bank = banks_[i];
      if (!bank.id.empty()) byId_.emplace(bank.id, i);
      const std::string& name =
          bank.bank.displayName.empty() ? bank.bank.name : bank.bank.displayName;
      byPath_.emplace(bank.group + "/" + name, i);
    }
  }

  // The bank a clone= names: by id, else by path. It may stand anywhere in
  // the file, but never is the cloning bank itself.
  const Bank* CloneSource(const Bank& bank) const {
    for (const auto* index : {&byId_, &byPath_}) {
      const auto found = index->find(bank.clone);
      if (found != index->end() && &banks_[found->second] != &bank) return &banks_[found->second];
    }
    return nullptr;
  }

  // Appends the visible articulations of the bank that clone= names (itself
  // resolved first) after the bank's own. A source that is missing, or a
  // chain of clones that comes back to itself, is that bank's problem only.
  void ResolveClone(size_t index, size_t depth) {
    Bank& bank = banks_[index];
    if (bank.state == Bank::Clone::Done) return;
    if (bank.clone.empty()) {
      bank.state = Bank::Clone::Done;
      return;
    }
    const auto fail = [&](const std::string& why) {
      bank.bank.problem = bank.cause = why;
      bank.state = Bank::Clone::Done;
    };
    const Bank* source = CloneSource(bank);
    if (!source)
      return fail("it copies the bank " + Quoted(bank.clone) +
                  " (clone=), which this file does not hold by that id or path");
    if (bank.state == Bank::Clone::Resolving)
      return fail("its clone= leads back to itself through " + Quoted(bank.clone));
    if (depth >= kMaxCloneChain)
      return fail("its chain of clone= runs longer than " + std::to_string(kMaxCloneChain) +
                  " banks");
    bank.state = Bank::Clone::Resolving;
    const size_t sourceIndex = static_cast<size_t>(source - banks_.data());
    ResolveClone(sourceIndex, depth + 1);
    if (bank.state == Bank::Clone::Done) return;  // failed inside the cycle
    if (!source->cause.empty()) {
      fail(source->cause);
      bank.bank.problem =
          "the bank it copies (" + Quoted(bank.clone) + ") cannot be imported: " + bank.cause;
      return;
    }
    for (const ForeignArticulation& a : source->bank.articulations)
      if (!a.hidden) bank.bank.articulations.push_back(a);
    bank.state = Bank::Clone::Done;
  }

  // Real banks clone a bank that clones none; a longer chain is a damaged
  // file, and the limit keeps the recursion shallow.
  static constexpr size_t kMaxCloneChain = 16;

  ImportError& error_;
  std::unordered_map<std::string, size_t> byId_, byPath_;
  int line_ = 0;
  Attributes pending_;
  std::vector<Bank> banks_;
};

}  // namespace

bool ReadReabank(const std::string& text, ForeignMap& map, ImportError& error) {
  return Reader(error).Read(text, map);
}

bool LooksLikeReabank(std::string_view text) {
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string_view::npos) {
      line.remove_prefix(first);
      if (line.substr(0, 3) == "//!" || line.substr(0, 5) == "Bank " ||
          line.substr(0, 5) == "Bank\t")
        return true;
    }
    start = end + 1;
  }
  return false;
}
