#include "maps/formats/universal_definition.h"

#include <yaml.h>

#include <charconv>
#include <cstddef>
#include <exception>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

// An alias repeats the node it names wherever it stands, so a small file can
// describe a huge one. Each node is visited once when there are none; past
// this many visits per node the file is refused instead of grown.
constexpr size_t kVisitsPerNode = 8;
constexpr size_t kSpareVisits = 4096;
constexpr size_t kMaxFileNotes = 16;

const char kEntryLeftOut[] = "it sends nothing (a placeholder or a heading, no articulation)";

bool Fail(ImportError& error, std::string where, std::string message) {
  error = {std::move(where), std::move(message)};
  return false;
}

std::string LineOf(size_t zeroBasedLine) { return "line " + std::to_string(zeroBasedLine + 1); }

// A value from the file for a message: quoted, and cut when long.
std::string Shown(std::string_view text) {
  size_t cut = text.size();
  if (text.size() > 40) {
    cut = 37;  // never inside a UTF-8 sequence
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  return "\"" + std::string(text.substr(0, cut)) + (cut < text.size() ? "...\"" : "\"");
}

// Names on one line: line breaks of block scalars become spaces, and blanks
// at either end go.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

// A whole number as text: decimal with an optional sign, or 0x hex.
bool ParseWhole(std::string_view text, int& value) {
  const std::string trimmed = OneLine(text);
  const char* first = trimmed.data();
  const char* last = first + trimmed.size();
  int base = 10;
  if (first != last && *first == '+') ++first;
  if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
    first += 2;
    base = 16;
  }
  const auto [end, ec] = std::from_chars(first, last, value, base);
  return first != last && ec == std::errc() && end == last;
}

// The older schema's versions: 1, 1.x, 1.x.y.
bool IsOlderVersion(std::string_view text) {
  if (text.substr(0, 1) != "1") return false;
  text.remove_prefix(1);
  while (!text.empty()) {
    if (text[0] != '.' || text.size() < 2) return false;
    text.remove_prefix(1);
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0) return false;
    text.remove_prefix(digits);
  }
  return true;
}

// libyaml's parser and the document it loads, released on every way out.
class LoadedYaml {
 public:
  LoadedYaml() { ready_ = yaml_parser_initialize(&parser_) != 0; }
  ~LoadedYaml() {
    if (loaded_) yaml_document_delete(&document_);
    if (ready_) yaml_parser_delete(&parser_);
  }
  LoadedYaml(const LoadedYaml&) = delete;
  LoadedYaml& operator=(const LoadedYaml&) = delete;

  // Loads the one document of `text`; fails on damaged YAML, on an empty
  // file and on a second document.
  bool Load(const std::string& text, ImportError& error) {
    if (!ready_) return Fail(error, "", "out of memory");
    yaml_parser_set_input_string(&parser_, reinterpret_cast<const unsigned char*>(text.data()),
                                 text.size());
    if (!yaml_parser_load(&parser_, &document_)) return Damaged(text, error);
    loaded_ = true;
    if (!yaml_document_get_root_node(&document_))
      return Fail(error, "", "holds no YAML document: the file is empty");
    yaml_document_t second;
    if (!yaml_parser_load(&parser_, &second)) return Damaged(text, error);
    const yaml_node_t* secondRoot = yaml_document_get_root_node(&second);
    const size_t line = secondRoot ? second.start_mark.line : 0;
    yaml_document_delete(&second);
    if (secondRoot)
      return Fail(error, LineOf(line),
                  "a second YAML document begins here; a definition is one document");
    return true;
  }

  yaml_document_t& document() { return document_; }

 private:
  bool Damaged(const std::string& text, ImportError& error) {
    const std::string problem = parser_.problem ? parser_.problem : "unreadable";
    if (parser_.error == YAML_MEMORY_ERROR) return Fail(error, "", "out of memory");
    if (parser_.error == YAML_READER_ERROR) {
      // Bad bytes have an offset, not a line.
      size_t line = 0;
      for (size_t i = 0; i < parser_.problem_offset && i < text.size(); ++i)
        line += text[i] == '\n';
      return Fail(error, LineOf(line), "not UTF-8 text: " + problem);
    }
    const yaml_mark_t& mark = parser_.problem_mark;
    const std::string context = parser_.context ? std::string(parser_.context) + ": " : "";
    // A problem found at the very end: the text stopped inside something.
    const bool cut = mark.index >= text.size() && text.find_last_not_of(" \t\r\n") != text.npos;
    return Fail(error,
                LineOf(mark.line) + (mark.column > 0 ? ", column " + std::to_string(mark.column + 1)
                                                     : std::string()),
                (cut ? "YAML cut short: " : "damaged YAML: ") + context + problem);
  }

  yaml_parser_t parser_{};
  yaml_document_t document_{};
  bool ready_ = false;
  bool loaded_ = false;
};

// The definition's tree walked by its schema, into the neutral model.
class DefinitionReader {
 public:
  // `lastWhere` follows the walk: where it was when something failed
  // without a place of its own (running out of memory).
  DefinitionReader(yaml_document_t& document, ImportError& error, std::string& lastWhere)
      : document_(document), error_(error), lastWhere_(lastWhere) {
    const size_t nodes = static_cast<size_t>(document.nodes.top - document.nodes.start);
    visitsLeft_ = nodes * kVisitsPerNode + kSpareVisits;
  }

  bool Read(ForeignMap& map) {
    const yaml_node_t* root = yaml_document_get_root_node(&document_);
    std::vector<Entry> top;
    if (!Entries(root, "the file", top)) return false;
    const Entry* version = Find(top, "FormatVersion");
    const Entry* groups = Find(top, "ArticulationGroups");
    const Entry* flat = Find(top, "Articulations");
    bool older = false;
    if (version) {
      std::string text;
      if (!Scalar(*version, text)) return false;
      text = OneLine(text);
      older = IsOlderVersion(text);
      if (text != "0" && !older)
        return Fail(error_, version->where,
                    "FormatVersion " + Shown(text) +
                        " is not one this reader knows (0, or 1.x of the older schema)");
    } else if (!groups && !flat) {
      return Fail(error_, "",
                  "not a Universal Definition: it has neither ArticulationGroups nor "
                  "Articulations");
    } else {
      older = !groups;
    }
    const Entry* list = older ? flat : groups;
    if (!list)
      return Fail(error_, version->where,
                  std::string("FormatVersion ") + (older ? "1.x needs Articulations, a list"
                                                         : "0 needs ArticulationGroups, a list"));

    std::vector<std::string> library;
    std::vector<std::string> notes;
    for (const char* key : {"ManufacturerName", "ProductName", "PatchName"}) {
      std::string text;
      if (const Entry* e = Find(top, key); e && !Scalar(*e, text)) return false;
      library.push_back(OneLine(text));
    }
    if (const Entry* e = Find(top, "Description")) {
      std::string text;
      if (!Scalar(*e, text)) return false;
      if (!OneLine(text).empty()) notes.push_back("description " + Shown(OneLine(text)));
    }
    if (const Entry* e = Find(top, "Extra"); e && !ExtraPairs(*e, notes)) return false;
    for (const Entry& e : top)
      if (!Known(e.key,
                 {"FormatVersion", "Id", "Author", "ManufacturerName", "ProductName", "PatchName",
                  "Description", "Extra", older ? "Articulations" : "ArticulationGroups"}))
        notes.push_back(UnknownKey(e));
    // Every bank repeats the file's notes: a bounded number of them, so that
    // many groups and many keys cannot multiply into a huge model.
    if (notes.size() > kMaxFileNotes) {
      const size_t more = notes.size() - (kMaxFileNotes - 1);
      notes.resize(kMaxFileNotes - 1);
      notes.push_back(std::to_string(more) +
                      " more keys, Extra pairs or a description of the file");
    }

    std::vector<ForeignBank> banks;
    if (older) {
      ForeignBank bank;
      bank.name = library[2].empty() ? library[1] : library[2];
      bank.where = list->where;
      if (!ReadArticulations(*list, bank)) return false;
      banks.push_back(std::move(bank));
    } else {
      std::vector<const yaml_node_t*> items;
      if (!Items(*list, items)) return false;
      if (items.empty()) return Fail(error_, list->where, "ArticulationGroups holds no group");
      for (const yaml_node_t* item : items) {
        ForeignBank bank;
        if (!ReadGroup(item, bank)) return false;
        banks.push_back(std::move(bank));
      }
    }
    for (ForeignBank& bank : banks) {
      bank.library = library;
      bank.notes.insert(bank.notes.begin(), notes.begin(), notes.end());
    }
    map.banks = std::move(banks);
    return true;
  }

 private:
  struct Entry {
    std::string key;
    const yaml_node_t* value;
    std::string where;  // the key's line
  };

  // Counts the visit; null (with the error) when aliases have used up the
  // budget.
  const yaml_node_t* Visit(const yaml_node_t* node) {
    if (visitsLeft_ == 0) {
      Fail(error_, lastWhere_,
           "its aliases repeat its content too often to be read (more than " +
               std::to_string(kVisitsPerNode) + " times over)");
      return nullptr;
    }
    --visitsLeft_;
    lastWhere_ = LineOf(node->start_mark.line);
    return node;
  }

  const yaml_node_t* NodeAt(yaml_node_item_t index) {
    const yaml_node_t* node = yaml_document_get_node(&document_, index);
    if (!node) {
      Fail(error_, lastWhere_, "a damaged YAML tree");
      return nullptr;
    }
    return Visit(node);
  }

  static std::string KindOf(const yaml_node_t* node) {
    return node->type == YAML_SEQUENCE_NODE ? "a list" : "a mapping";
  }

  // A mapping's keys and values; fails on anything else, a key that is not
  // text and a key given twice.
  bool Entries(const yaml_node_t* node, const std::string& what, std::vector<Entry>& entries) {
    if (!node || !Visit(node)) return false;
    if (node->type != YAML_MAPPING_NODE)
      return Fail(error_, LineOf(node->start_mark.line),
                  what + " must be a mapping of keys to values");
    std::unordered_map<std::string_view, size_t> seen;
    for (const yaml_node_pair_t* pair = node->data.mapping.pairs.start;
         pair < node->data.mapping.pairs.top; ++pair) {
      const yaml_node_t* key = NodeAt(pair->key);
      if (!key) return false;
      const std::string where = LineOf(key->start_mark.line);
      if (key->type != YAML_SCALAR_NODE)
        return Fail(error_, where, "a key of " + what + " is " + KindOf(key) + ", not text");
      const std::string_view name(reinterpret_cast<const char*>(key->data.scalar.value),
                                  key->data.scalar.length);
      // A set, not a scan: a mapping of many keys must not take quadratic time.
      const auto [first, fresh] = seen.emplace(name, entries.size());
      if (!fresh)
        return Fail(error_, where,
                    (name.size() <= 40 ? std::string(name) : Shown(name)) +
                        " is given twice (first at " + entries[first->second].where + ")");
      const yaml_node_t* value = NodeAt(pair->value);
      if (!value) return false;
      entries.push_back({std::string(name), value, where});
    }
    return true;
  }

  static const Entry* Find(const std::vector<Entry>& entries, std::string_view key) {
    for (const Entry& e : entries)
      if (e.key == key) return &e;
    return nullptr;
  }

  static bool Known(const std::string& key, std::initializer_list<const char*> keys) {
    for (const char* k : keys)
      if (key == k) return true;
    return false;
  }

  static std::string UnknownKey(const Entry& e) {
    return "key " + Shown(e.key) + " (" + e.where + "), which the format does not have";
  }

  // A scalar's text, exactly as written: no scalar is read as a boolean,
  // null or number here.
  bool Scalar(const Entry& e, std::string& text) {
    if (e.value->type != YAML_SCALAR_NODE)
      return Fail(error_, e.where, e.key + " must be a single value, not " + KindOf(e.value));
    text.assign(reinterpret_cast<const char*>(e.value->data.scalar.value),
                e.value->data.scalar.length);
    return true;
  }

  bool Number(const Entry& e, int& value) {
    std::string text;
    if (!Scalar(e, text)) return false;
    if (!ParseWhole(text, value))
      return Fail(error_, e.where, e.key + " " + Shown(text) + " is not a whole number");
    return true;
  }

  // A list's items; an empty value (`Key:` with nothing after it) is an
  // empty list.
  bool Items(const Entry& e, std::vector<const yaml_node_t*>& items) {
    if (e.value->type == YAML_SCALAR_NODE &&
        OneLine(std::string_view(reinterpret_cast<const char*>(e.value->data.scalar.value),
                                 e.value->data.scalar.length))
            .empty())
      return true;
    if (e.value->type != YAML_SEQUENCE_NODE)
      return Fail(error_, e.where, e.key + " must be a list");
    for (const yaml_node_item_t* item = e.value->data.sequence.items.start;
         item < e.value->data.sequence.items.top; ++item) {
      const yaml_node_t* node = NodeAt(*item);
      if (!node) return false;
      items.push_back(node);
    }
    return true;
  }

  // Extra: text keys to text values, each a note.
  bool ExtraPairs(const Entry& extra, std::vector<std::string>& notes) {
    if (extra.value->type == YAML_SCALAR_NODE) {
      std::string text;
      Scalar(extra, text);
      if (!OneLine(text).empty()) notes.push_back("Extra " + Shown(OneLine(text)));
      return true;
    }
    std::vector<Entry> pairs;
    if (!Entries(extra.value, "Extra", pairs)) return false;
    for (const Entry& pair : pairs) {
      std::string text;
      if (!Scalar(pair, text)) return false;
      notes.push_back(pair.key + " " + Shown(OneLine(text)) + " (Extra)");
    }
    return true;
  }

  bool ReadGroup(const yaml_node_t* node, ForeignBank& bank) {
    std::vector<Entry> keys;
    if (!Entries(node, "a group", keys)) return false;
    bank.where = LineOf(node->start_mark.line);
    const Entry* name = Find(keys, "Name");
    const Entry* articulations = Find(keys, "Articulations");
    if (!name || !articulations)
      return Fail(error_, bank.where,
                  std::string("a group needs ") + (name ? "Articulations" : "a Name"));
    std::string text;
    if (!Scalar(*name, text)) return false;
    bank.name = OneLine(text);
    if (const Entry* e = Find(keys, "Extra"); e && !ExtraPairs(*e, bank.notes)) return false;
    for (const Entry& e : keys)
      if (!Known(e.key, {"Name", "Articulations", "Extra"})) bank.notes.push_back(UnknownKey(e));
    return ReadArticulations(*articulations, bank);
  }

  bool ReadArticulations(const Entry& list, ForeignBank& bank) {
    std::vector<const yaml_node_t*> items;
    if (!Items(list, items)) return false;
    for (const yaml_node_t* item : items) {
      ForeignArticulation art;
      if (!ReadArticulation(item, art)) return false;
      bank.articulations.push_back(std::move(art));
    }
    if (bank.articulations.empty()) bank.problem = "it holds no articulations";
    return true;
  }

  bool ReadArticulation(const yaml_node_t* node, ForeignArticulation& art) {
    std::vector<Entry> keys;
    if (!Entries(node, "an articulation", keys)) return false;
    art.where = LineOf(node->start_mark.line);
    const Entry* name = Find(keys, "Name");
    const Entry* messages = Find(keys, "MidiMessages");
    if (!name || !messages)
      return Fail(error_, art.where,
                  std::string("an articulation needs ") + (name ? "MidiMessages" : "a Name"));
    std::string text;
    if (!Scalar(*name, text)) return false;
    art.name = OneLine(text);
    if (const Entry* e = Find(keys, "Extra"); e && !ExtraPairs(*e, art.notes)) return false;
    for (const Entry& e : keys)
      if (!Known(e.key, {"Name", "MidiMessages", "Extra"})) art.extras.push_back(UnknownKey(e));
    std::vector<const yaml_node_t*> items;
    if (!Items(*messages, items)) return false;
    for (const yaml_node_t* item : items) {
      ForeignOutput output;
      if (!ReadMessage(item, output, art)) return false;
      art.outputs.push_back(std::move(output));
    }
    if (art.outputs.empty()) {
      art.hidden = true;
      art.hiddenBecause = kEntryLeftOut;
    }
    return true;
  }

  bool ReadMessage(const yaml_node_t* node, ForeignOutput& output, ForeignArticulation& art) {
    std::vector<Entry> keys;
    if (!Entries(node, "a MIDI message", keys)) return false;
    const std::string where = LineOf(node->start_mark.line);
    int status = 0, data1 = 0, data2 = 0, channel = -1;
    const Entry* statusKey = Find(keys, "Status");
    const Entry* data1Key = Find(keys, "Data1");
    const Entry* data2Key = Find(keys, "Data2");
    const Entry* channelKey = Find(keys, "Channel");
    if (!statusKey) return Fail(error_, where, "a MIDI message needs a Status");
    if (!Number(*statusKey, status) || (data1Key && !Number(*data1Key, data1)) ||
        (data2Key && !Number(*data2Key, data2)) || (channelKey && !Number(*channelKey, channel)))
      return false;
    if (status < 128 || status > 255)
      return Fail(error_, statusKey->where,
                  "Status " + std::to_string(status) + " is no MIDI status (128..255)");
    if (channel < -1 || channel > 15)
      return Fail(error_, channelKey->where,
                  "Channel " + std::to_string(channel) + " is outside -1..15");
    for (const Entry& e : keys)
      if (!Known(e.key, {"Status", "Data1", "Data2", "Channel"}))
        art.extras.push_back(UnknownKey(e) + " in a MIDI message");

    output.text = "Status " + std::to_string(status) +
                  (data1Key ? ", Data1 " + std::to_string(data1) : "") +
                  (data2Key ? ", Data2 " + std::to_string(data2) : "") +
                  (channelKey ? ", Channel " + std::to_string(channel) : "");
    output.channel = channel >= 0 ? channel : (status & 0x0F) != 0 ? (status & 0x0F) : -1;
    output.routes = false;
    output.data1 = data1;
    output.data2 = data2;
    const int type = status & 0xF0;
    const bool needsBoth = type == 0x90 || type == 0xB0 || type == 0xE0;
    if ((needsBoth || type == 0xC0) && !data1Key)
      return Fail(error_, where, "Status " + std::to_string(status) + " needs Data1");
    if (needsBoth && !data2Key)
      return Fail(error_, where, "Status " + std::to_string(status) + " needs Data2");
    const auto byte = [&](const Entry* key, int value) {
      return !key || (value >= 0 && value <= 127) ||
             Fail(error_, key->where,
                  key->key + " " + std::to_string(value) + " is outside 0..127");
    };
    switch (type) {
      case 0x90:
        output.kind = ForeignOutput::Kind::Note;
        break;
      case 0xB0:
        output.kind = ForeignOutput::Kind::ControlChange;
        break;
      case 0xC0:
        output.kind = ForeignOutput::Kind::ProgramChange;
        return byte(data1Key, data1);
      case 0xE0:
        output.kind = ForeignOutput::Kind::PitchBend;
        if (!byte(data1Key, data1) || !byte(data2Key, data2)) return false;
        output.data1 = (data2 << 7 | data1) - 8192;
        output.data2 = 0;
        return true;
      default:
        output.kind = ForeignOutput::Kind::Other;
        return true;
    }
    return byte(data1Key, data1) && byte(data2Key, data2);
  }

  yaml_document_t& document_;
  ImportError& error_;
  size_t visitsLeft_ = 0;
  std::string& lastWhere_;
};

bool IsKeyChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

bool ReadUniversalDefinition(const std::string& text, ForeignMap& map, ImportError& error) {
  std::string where;
  try {
    LoadedYaml yaml;
    if (!yaml.Load(text, error)) return false;
    DefinitionReader reader(yaml.document(), error, where);
    ForeignMap read;
    if (!reader.Read(read)) return false;
    map = std::move(read);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(error, where, "out of memory while reading it");
  } catch (const std::exception& e) {
    return Fail(error, where, std::string("could not be read: ") + e.what());
  } catch (...) {
    return Fail(error, where, "could not be read: an unexpected failure");
  }
}

bool LooksLikeUniversalDefinition(std::string_view text) {
  static constexpr std::string_view kKeys[] = {"FormatVersion", "ArticulationGroups",
                                               "ManufacturerName", "PatchName"};
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && (line[0] == '"' || line[0] == '\'')) line.remove_prefix(1);
    size_t length = 0;
    while (length < line.size() && IsKeyChar(line[length])) ++length;
    const std::string_view key = line.substr(0, length);
    std::string_view rest = line.substr(length);
    if (!rest.empty() && (rest[0] == '"' || rest[0] == '\'')) rest.remove_prefix(1);
    if (!rest.empty() && rest[0] == ':')
      for (std::string_view known : kKeys)
        if (key == known) return true;
    start = end + 1;
  }
  return false;
}
