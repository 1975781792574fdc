// One reading of a file, whichever way it comes. Every file of the examples
// and of the real and definition folders, damaged forms of each (a byte
// order mark before it, UTF-16 of either byte order with and without a
// mark, cut in half) and files of no kind go through both paths a file
// takes: the panel's load core (InspectMapFile, then BuildLoadedState for
// every bank and page it offers) and plughost's reader (ReadSettingsSource,
// then ChooseSettings with --bank N and --pick of that page's
// articulations). Both give the same slots for every choice, or the same
// refusal; a byte order mark or UTF-16 changes nothing of what a file gives.
// The table printed lists each file and the result on each path.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "maps/map_loading.h"
#include "tools/plughost/settings_source.h"
#include "maps/state_bytes.h"
#include "maps/state_replay.h"
#include "maps/text_encoding.h"
#include "tree_files.h"

namespace {

// What one choice gives: the sixteen slots, or why not.
struct Choice {
  std::string refusal;
  PluginSettings slots;  // the slots alone; the rest as a new instance's
  bool operator==(const Choice&) const = default;
};

// What a path makes of a file: a refusal of the file, or its choices.
struct Outcome {
  std::string refusal;
  std::vector<Choice> choices;
  bool operator==(const Outcome&) const = default;

  std::string Summary() const {
    if (!refusal.empty()) return "refused: " + refusal.substr(0, 70);
    size_t refused = 0;
    for (const Choice& c : choices) refused += c.refusal.empty() ? 0 : 1;
    return std::to_string(choices.size() - refused) + " loaded" +
           (refused ? ", " + std::to_string(refused) + " refused" : "");
  }
};

// A message after the file's name, made one line as the panel's hint is.
std::string AfterName(const std::string& message, const std::string& prefix) {
  std::string rest = message.rfind(prefix, 0) == 0 ? message.substr(prefix.size()) : message;
  for (char& c : rest)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return rest;
}

PluginSettings SlotsOf(const std::vector<uint8_t>& state) {
  PluginSettings settings, slots;
  std::string why;
  EXPECT_TRUE(DecodeState(state, settings, why)) << why;
  slots.slots = settings.slots;
  return slots;
}

Outcome ThroughThePanel(const std::string& name, const std::vector<uint8_t>& bytes) {
  Outcome out;
  MapOffer offer;
  MapLoadReport report;
  if (!InspectMapFile(name, bytes, offer, report)) {
    out.refusal = AfterName(report.summary, "Not loaded: " + name + ": ");
    return out;
  }
  const std::vector<uint8_t> current = EncodeState(PluginSettings());
  for (size_t b = 0; b < offer.banks.size(); ++b) {
    // A bank that offers no page is listed, greyed: a load of it says why.
    const size_t pages = std::max<size_t>(1, offer.banks[b].pages.size());
    for (size_t p = 0; p < pages; ++p) {
      std::vector<uint8_t> state;
      if (BuildLoadedState(offer, {b, p}, current, state, report))
        out.choices.push_back({"", SlotsOf(state)});
      else
        out.choices.push_back({AfterName(report.summary, "Not loaded: " + name + ": "), {}});
    }
  }
  return out;
}

Choice Chosen(const std::string& name, SettingsSource source, const ImportChoice& choice) {
  std::string error;
  if (!ChooseSettings(name, choice, source, error)) return {AfterName(error, name + ": "), {}};
  // A state as the plug-in holds it once it has read it.
  if (source.kind == MapFileKind::OurState)
    return {"", SlotsOf(ReplayStates(source.state, nullptr).saved)};
  PluginSettings slots;
  slots.slots = source.settings.slots;
  return {"", slots};
}

Outcome ThroughPlughost(const std::string& name, const std::vector<uint8_t>& bytes) {
  Outcome out;
  SettingsSource source;
  std::string error;
  if (!ReadSettingsSource(name, bytes, source, error)) {
    out.refusal = AfterName(error, name + ": ");
    return out;
  }
  if (source.kind != MapFileKind::ForeignMap) {
    out.choices.push_back(Chosen(name, source, {}));
    return out;
  }
  for (size_t b = 0; b < source.foreign.banks.size(); ++b) {
    const std::vector<MapPage> pages = BankPages(source.foreign.banks[b]);
    ImportChoice choice{std::to_string(b + 1), {}};
    if (pages.size() <= 1) {
      out.choices.push_back(Chosen(name, source, choice));
      continue;
    }
    for (const MapPage& page : pages) {
      choice.pick.clear();
      for (size_t number : page.numbers) choice.pick.push_back(std::to_string(number));
      out.choices.push_back(Chosen(name, source, choice));
    }
  }
  return out;
}

// UTF-8 text as UTF-16, with or without its byte order mark; false for
// bytes that are no UTF-8 text.
bool AsUtf16(const std::vector<uint8_t>& utf8, bool bigEndian, bool mark,
             std::vector<uint8_t>& out) {
  out.clear();
  const auto unit = [&](uint32_t u) {
    out.push_back(static_cast<uint8_t>(bigEndian ? u >> 8 : u));
    out.push_back(static_cast<uint8_t>(bigEndian ? u : u >> 8));
  };
  if (mark) unit(0xFEFF);
  for (size_t i = 0; i < utf8.size();) {
    uint32_t cp = 0;
    const size_t length = Utf8Character(utf8.data() + i, utf8.size() - i, cp);
    if (length == 0 || cp == 0) return false;
    if (cp >= 0x10000) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
    i += length;
  }
  return true;
}

struct Variant {
  std::string what;  // "" for the file as it is
  std::vector<uint8_t> bytes;
  bool sameAsFile;  // must give what the file as it is gives
};

// The file as it is, its text with and without a UTF-8 mark and as UTF-16
// of either order with and without one (when it is UTF-8 text), and cut in
// half.
std::vector<Variant> Variants(const std::vector<uint8_t>& bytes) {
  std::vector<Variant> variants = {{"", bytes, true}};
  const bool marked = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
  const std::vector<uint8_t> text(bytes.begin() + (marked ? 3 : 0), bytes.end());
  std::vector<uint8_t> withMark = {0xEF, 0xBB, 0xBF};
  withMark.insert(withMark.end(), text.begin(), text.end());
  variants.push_back(marked ? Variant{" without BOM", text, true}
                            : Variant{"+BOM", withMark, true});
  std::vector<uint8_t> wide;
  for (const bool big : {false, true})
    for (const bool mark : {true, false})
      if (AsUtf16(text, big, mark, wide))
        variants.push_back(
            {std::string(big ? "+UTF-16BE" : "+UTF-16LE") + (mark ? "" : " no BOM"), wide, true});
  variants.push_back({"+cut in half",
                      std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2),
                      false});
  return variants;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

void PrintRow(const std::string& file, const Outcome& panel, const Outcome& plughost) {
  std::printf("%-58s | panel: %-40s | plughost: %s\n", file.c_str(), panel.Summary().c_str(),
              plughost.Summary().c_str());
}

TEST(TwoPaths, EveryFileAndItsDamagedFormsGiveTheSameSlotsOrTheSameRefusal) {
  size_t files = 0, loaded = 0, refused = 0;
  for (const EmbeddedFile& file : kTreeFiles) {
    const std::string path = file.name;
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const std::vector<uint8_t> bytes(file.bytes, file.bytes + file.size);
    const Outcome original = ThroughThePanel(name, bytes);
    for (const Variant& variant : Variants(bytes)) {
      SCOPED_TRACE(path + variant.what);
      const Outcome panel = ThroughThePanel(name, variant.bytes);
      const Outcome plughost = ThroughPlughost(name, variant.bytes);
      PrintRow(path + variant.what, panel, plughost);
      EXPECT_EQ(panel.refusal, plughost.refusal);
      ASSERT_EQ(panel.choices.size(), plughost.choices.size());
      for (size_t c = 0; c < panel.choices.size(); ++c) {
        EXPECT_EQ(panel.choices[c].refusal, plughost.choices[c].refusal) << "choice " << c;
        EXPECT_EQ(FirstDifference(panel.choices[c].slots, plughost.choices[c].slots), "")
            << "choice " << c;
      }
      if (variant.sameAsFile) {
        EXPECT_TRUE(panel == original) << panel.Summary();
      }
      ++files;
      if (panel.refusal.empty())
        ++loaded;
      else
        ++refused;
    }
  }
  std::printf("%zu files and forms: %zu read, %zu refused alike on both paths\n", files, loaded,
              refused);
  EXPECT_GE(loaded, 100u);
}

TEST(TwoPaths, EmptyUnknownAndBrokenFilesGetOneMessageEach) {
  std::vector<uint8_t> garbage(3000);
  uint32_t x = 7;
  for (uint8_t& b : garbage) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
  garbage[0] = 0x9F;
  const std::vector<uint8_t> utf32 = {0xFF, 0xFE, 0, 0, '{', 0, 0, 0};
  const std::vector<uint8_t> lone = {0xFF, 0xFE, '{', 0, 0x00, 0xDC};
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* refusal;  // whole, after the file's name
  } cases[] = {
      {"empty.reabank", {}, "the file is empty"},
      {"empty.json", {}, "the file is empty"},
      {"notes.txt", Bytes("just some notes\n"),
       "not a settings file: neither a map (JSON), a plug-in state or another program's map "
       "(.reabank, .expressionmap, .plist, .doricolib, .yaml, .keyswitch); it begins \"just some "
       "notes\""},
      {"garbage.bin", garbage,
       "not a settings file: neither a map (JSON), a plug-in state or another program's map "
       "(.reabank, .expressionmap, .plist, .doricolib, .yaml, .keyswitch); it is binary data of "
       "none of these "
       "kinds"},
      {"page.plist", Bytes("<?xml version=\"1.0\"?>\n<html><body/></html>\n"),
       "not a settings file: neither a map (JSON), a plug-in state or another program's map "
       "(.reabank, .expressionmap, .plist, .doricolib, .yaml, .keyswitch); it is XML whose root "
       "element is "
       "<html>"},
      {"wide.json", utf32, "UTF-32 text, which is not read: save the file as UTF-8 or UTF-16"},
      {"lone.json", lone, "not UTF-16: a lone surrogate 0xDC00 at line 1 column 2"},
      {"binary.plist", Bytes("bplist00\x01\x02"),
       "a binary property list; save the articulation set as an XML property list and import "
       "that"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome panel = ThroughThePanel(c.name, c.bytes);
    const Outcome plughost = ThroughPlughost(c.name, c.bytes);
    PrintRow(c.name, panel, plughost);
    EXPECT_EQ(panel.refusal, c.refusal);
    EXPECT_EQ(plughost.refusal, c.refusal);
  }
}

}  // namespace
