#include "maps/uacc_names.h"

#include "maps/name_key.h"

#include <string>

namespace {

struct Entry {
  int value;
  const char* name;
};

// Canonical names first: UaccName takes the first entry of a value.
const Entry kCanonical[] = {
    {1, "long"},
    {2, "long alternative"},
    {3, "long octave"},
    {4, "long octave muted"},
    {5, "long small"},
    {6, "long small muted"},
    {7, "long muted"},
    {8, "long soft"},
    {9, "long hard"},
    {10, "long harmonic"},
    {11, "tremolo"},
    {12, "tremolo muted"},
    {13, "tremolo soft"},
    {14, "tremolo hard"},
    {15, "tremolo sul"},
    {16, "vibrato"},
    {17, "long higher"},
    {18, "long lower"},
    {20, "legato"},
    {21, "legato alternative"},
    {22, "legato octave"},
    {23, "legato octave muted"},
    {24, "legato small"},
    {25, "legato small muted"},
    {26, "legato muted"},
    {27, "legato soft"},
    {28, "legato hard"},
    {29, "legato harmonic"},
    {30, "legato tremolo"},
    {31, "legato slow"},
    {32, "legato fast"},
    {33, "legato slurred"},
    {34, "legato detache"},
    {35, "legato higher"},
    {36, "legato lower"},
    {40, "short"},
    {41, "short alternative"},
    {42, "very short"},
    {43, "very short soft"},
    {44, "short leisurely"},
    {45, "short octave"},
    {46, "short octave muted"},
    {47, "short muted"},
    {48, "short soft"},
    {49, "short hard"},
    {50, "tenuto"},
    {51, "tenuto soft"},
    {52, "marcato"},
    {53, "marcato soft"},
    {54, "marcato hard"},
    {55, "marcato longer"},
    {56, "pizzicato"},
    {57, "pizzicato hard"},
    {58, "struck"},
    {59, "short higher"},
    {60, "short lower"},
    {61, "short harmonic"},
    {70, "trill minor 2nd"},
    {71, "trill major 2nd"},
    {72, "trill minor 3rd"},
    {73, "trill major 3rd"},
    {74, "trill perfect 4th"},
    {75, "multitongue"},
    {76, "multitongue muted"},
    {80, "synced 120 bpm"},
    {81, "synced 150 bpm"},
    {82, "synced 180 bpm"},
    {90, "fx 1"},
    {91, "fx 2"},
    {92, "fx 3"},
    {93, "fx 4"},
    {94, "fx 5"},
    {95, "fx 6"},
    {96, "fx 7"},
    {97, "fx 8"},
    {98, "fx 9"},
    {99, "fx 10"},
    {100, "upwards"},
    {101, "downwards"},
    {102, "crescendo"},
    {103, "diminuendo"},
    {104, "arc"},
    {105, "slides"},
    {110, "disco upwards"},
    {111, "disco downwards"},
};

// The bracketed names of the published list and a few common spellings.
const Entry kAliases[] = {
    {1, "long generic"},   {2, "long alt"},        {7, "con sordino"}, {8, "flautando"},
    {9, "cuivre"},         {9, "cuivré"},          {17, "sul tasto"},  {18, "sul ponticello"},
    {21, "legato alt"},    {31, "portamento"},     {33, "runs"},       {34, "detache"},
    {34, "détaché"},       {34, "legato détaché"}, {40, "staccato"},   {41, "short alt"},
    {42, "spiccato"},      {44, "leisurely"},      {56, "pizz"},       {57, "bartok"},
    {57, "bartók"},        {57, "snap pizzicato"}, {58, "col legno"},  {80, "synced 120bpm"},
    {81, "synced 150bpm"}, {82, "synced 180bpm"},  {100, "rips"},      {101, "falls"},
};

// Lower-case ASCII with every run of gaps one space, no space at either end.
std::string Normalised(std::string_view name) { return NameKey(name, " \t-_", ' '); }

}  // namespace

const char* UaccName(int value) {
  for (const Entry& e : kCanonical)
    if (e.value == value) return e.name;
  return nullptr;
}

int UaccValueForName(std::string_view name) {
  const std::string wanted = Normalised(name);
  for (const Entry& e : kCanonical)
    if (wanted == e.name) return e.value;
  for (const Entry& e : kAliases)
    if (wanted == e.name) return e.value;
  return -1;
}
