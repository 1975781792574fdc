#include "maps/icon_names.h"

#include "maps/name_key.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kFamilyCount = sizeof(kIconVariantSymbols) / sizeof(int);

const char* const kSymbolNames[kDrawnIconCount] = {
    "note-whole",        // 0 sustain
    "legato",            // 1
    "staccato",          // 2
    "staccatissimo",     // 3
    "spiccato",          // 4
    "marcato-quarter",   // 5
    "tenuto-quarter",    // 6
    "portato",           // 7
    "accent-quarter",    // 8
    "pizz",              // 9
    "pizz-bartok",       // 10 snap pizzicato
    "col-legno",         // 11
    "tremolo",           // 12
    "tremolo-measured",  // 13
    "trill-min2",        // 14 half-tone trill
    "trill-maj2",        // 15 whole-tone trill
    "harmonics",         // 16
    "con-sordino",       // 17
    "sul-pont",          // 18
    "sul-tasto",         // 19
    "flautando",         // 20
    "sfz",               // 21
    "swell",             // 22
    "crescendo",         // 23
    "diminuendo",        // 24
    "glissando",         // 25
    "portamento",        // 26
    "fx",                // 27
    "fortepiano",        // 28
    "fall",              // 29
    "rip",               // 30
    "vibrato",           // 31
    "non-vibrato",       // 32
    "vibrato-molto",     // 33
    "down-bow",          // 34
    "up-bow",            // 35
    "detache",           // 36
    "ricochet",          // 37
    "martele",           // 38
    "sautille",          // 39
    "flutter-tongue",    // 40
    "double-tongue",     // 41
    "triple-tongue",     // 42
    "mordent",           // 43
    "turn",              // 44
    "grace-note",        // 45
    "divisi",            // 46
    "unison",            // 47
    "solo",              // 48
    "tutti",             // 49
    "arpeggio",          // 50
    "stopped",           // 51
    "open",              // 52
    "bend-up",           // 53
    "ghost-note",        // 54
    "note-quarter",      // 55 the plain note of a new slot
    "repetition",        // 56
    "shorts",            // 57
    "cluster",           // 58
    "rest-quarter",      // 59
};

// The first part of a variant's name, one per family of kIconVariantSymbols.
const char* const kFamilyStems[kFamilyCount] = {
    "sustain", "legato",  "staccato", "staccatissimo", "spiccato", "marcato", "tenuto",   "accent",
    "pizz",    "tremolo", "trill",    "harmonics",     "sfz",      "swell",   "glissando"};
const char* const kMarkNames[kIconMarkCount] = {"soft", "loud", "fast", "slow", "2", "3"};

struct Alias {
  const char* name;
  int id;
};
// Other names for the drawn symbols, separated by "|": plain words, Logic's
// symbol names, further icon names of Reaticulate banks the picture fits.
const Alias kAliases[] = {
    {"sustain|long|sus|fermata", 0},
    {"slur|leg|legato-bowed", 1},
    {"stacc|short", 2},
    {"staccatissimo-stroke|wedge", 3},
    {"spicc|very-short", 4},
    {"marcato|marc|marcato-half", 5},
    {"tenuto|tenuto-half|tenuto-eighth", 6},
    {"louré|loure|mezzo-staccato", 7},
    {"accent|accent-half", 8},
    {"pizzicato", 9},
    {"snap-pizzicato|snap-pizz|bartok|bartók|pizz-bartók", 10},
    {"legno|col-legno-battuto", 11},
    {"trem", 12},
    {"measured-tremolo|tremolo-measured-eighth|tremolo-measured-sixteenth", 13},
    {"trill-half-tone|trill-semitone|trill-minor-2nd", 14},
    {"trill|trill-whole-tone|trill-major-2nd|trill-min3|trill-maj3|trill-perf4", 15},
    {"harmonic|harm|harmonics-natural|flageolet", 16},
    {"sordino|con-sord|sord|mute|muted", 17},
    {"sul-ponticello|ponticello|pont", 18},
    {"tasto", 19},
    {"flautato|flaut", 20},
    {"sforzando|sforzato", 21},
    {"messa-di-voce", 22},
    {"cresc|cresc-quarter|cresc-half", 23},
    {"dim|decrescendo|decresc", 24},
    {"gliss|legato-gliss", 25},
    {"legato-portamento|port|slide", 26},
    {"effects|effect|sfx", 27},
    {"fp", 28},
    {"falls|fall-off", 29},
    {"rips|doit", 30},
    {"vib", 31},
    {"no-vibrato|senza-vibrato|non-vib", 32},
    {"molto-vibrato", 33},
    {"downbow|bowing-down", 34},
    {"upbow|bowing-up", 35},
    {"détaché", 36},
    {"jete|jeté", 37},
    {"martelé|martellato", 38},
    {"sautillé", 39},
    {"flutter|flz", 40},
    {"multitongue", 41},
    {"gruppetto", 44},
    {"grace|acciaccatura|acciaccatura-quarter|appoggiatura", 45},
    {"div", 46},
    {"unis", 47},
    {"ensemble", 49},
    {"arp|arpeggiato", 50},
    {"bend", 53},
    {"ghost|ghost-eighth|dead-note", 54},
    {"note|plain|default|note-eighth", 55},
    {"repeat|repeated-notes", 56},
    {"rest", 59},
    // Icons of Reaticulate's factory banks that combine a symbol with a
    // bowing, mute or position: the main symbol's picture.
    {"legato-bowed2|legato-con-sord|legato-flautando|legato-sul-c|legato-sul-g|legato-sul-pont|"
     "legato-blend-generic|legato-tremolo",
     1},
    {"legato-runs|run-major|run-minor", 68},  // legato-fast
    {"staccato-con-sord|staccato-dig|staccato-harmonics|staccato-sfz|staccato-stopped", 2},
    {"spiccato-brushed|spiccato-brushed-con-sord|spiccato-brushed-con-sord-sul-pont|"
     "spiccato-feathered",
     4},
    {"accented-quarter", 8},
    {"pizz-con-sord|pizz-mix|pizz-sul-pont", 9},
    {"col-legno-whole", 11},
    {"tremolo-con-sord|tremolo-con-sord-sul-pont|tremolo-ghost|tremolo-harmonics|"
     "tremolo-harmonics-a|tremolo-harmonics-b|tremolo-slurred|tremolo-sul-pont",
     12},
    {"tremolo-180|tremolo-measured-sixteenth-con-sord", 13},
    {"con-sord-blend|con-sord-bow-up|con-sord-sul-pont|con-sord-sul-pont-bow-up", 17},
    {"sul-tasto-super|sul-tasto-super-eighth", 19},
    {"flautando-con-sord", 20},
    {"cresc-f-half|cresc-p-half", 23},
    {"legato-portamento-con-sord|legato-portamento-flautando", 26},
    {"bow-down", 34},
    {"bow-up", 35},
    {"multitongued|phrase-multitongued", 41},
};

// Word beginnings that suggest an icon, most specific first.
const Alias kWordHints[] = {
    {"staccatis", 3}, {"bartok", 10},  {"bartók", 10},  {"snap", 10},   {"pizz", 9},
    {"spicc", 4},     {"stacc", 2},    {"legno", 11},   {"trem", 12},   {"trill", 15},
    {"harm", 16},     {"sord", 17},    {"mute", 17},    {"pont", 18},   {"tasto", 19},
    {"flaut", 20},    {"sfz", 21},     {"sforz", 21},   {"swell", 22},  {"cresc", 23},
    {"decresc", 24},  {"dim", 24},     {"gliss", 25},   {"portam", 26}, {"fx", 27},
    {"effect", 27},   {"fall", 29},    {"rip", 30},     {"marc", 5},    {"tenuto", 6},
    {"portato", 7},   {"accent", 8},   {"detach", 36},  {"détach", 36}, {"ricochet", 37},
    {"martel", 38},   {"sautill", 39}, {"flutter", 40}, {"flz", 40},    {"mordent", 43},
    {"grace", 45},    {"arp", 50},     {"stopped", 51}, {"ghost", 54},  {"repet", 56},
    {"cluster", 58},  {"vib", 31},     {"legato", 1},   {"slur", 1},    {"sus", 0},
    {"long", 0},      {"short", 2},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names match whatever separates their words.
std::string Normalised(std::string_view name) { return NameKey(name, " \t-_.()[]", '-'); }

std::string VariantName(int id) {
  const int v = id - kDrawnIconCount;
  return std::string(kFamilyStems[v / kIconMarkCount]) + "-" + kMarkNames[v % kIconMarkCount];
}

struct Table {
  std::vector<std::string> names;               // canonical, by id
  std::unordered_map<std::string, int> lookup;  // normalised name -> id
  Table() {
    for (int id = 0; id < kIconCount; ++id)
      names.push_back(id < kDrawnIconCount ? std::string(kSymbolNames[id]) : VariantName(id));
    for (int id = 0; id < kIconCount; ++id) lookup.emplace(Normalised(names[id]), id);
    for (const Alias& a : kAliases) {
      std::string_view names = a.name;
      for (size_t bar; (bar = names.find('|')) != std::string_view::npos;
           names.remove_prefix(bar + 1))
        lookup.emplace(Normalised(names.substr(0, bar)), a.id);
      lookup.emplace(Normalised(names), a.id);
    }
  }
};

const Table& TheTable() {
  static const Table table;
  return table;
}

}  // namespace

const char* IconName(int id) {
  if (id < 0 || id >= kIconCount) return nullptr;
  return TheTable().names[id].c_str();
}

int IconIdForName(std::string_view name) {
  const auto& lookup = TheTable().lookup;
  const auto found = lookup.find(Normalised(name));
  return found == lookup.end() ? -1 : found->second;
}

int IconIdFromWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 || (c >= '0' && c <= '9') || (Lower(c) >= 'a' && Lower(c) <= 'z')) {
      word += Lower(c);
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  for (const Alias& hint : kWordHints)
    for (const std::string& w : words)
      if (w.compare(0, std::string_view(hint.name).size(), hint.name) == 0) return hint.id;
  return -1;
}
