// Note names, one way everywhere: the panel, the map files, other
// programs' maps and plughost's listings. C-2 is note 0, C3 is note 60, G8
// is note 127; sharps are written with '#'.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// "?" outside 0..127.
std::string NoteName(int note);

// Reads a note name: a letter A-G (either case), an optional '#' or 'b', and
// an octave from -2 to 8. False for anything else or outside 0..127.
bool ParseNoteName(std::string_view text, int& note);

// The names as a table of fixed strings, for the panel's painting, which
// allocates nothing.
constexpr int kNoteNameCount = 128;
constexpr int kNoteNameSize = 16;
using NoteNameTable = std::array<std::array<char, kNoteNameSize>, kNoteNameCount>;
NoteNameTable BuildNoteNameTable();

// The name shown for a keyswitch note: "----" for none, the table entry for
// 0..127, and the nearest table entry for anything above (never past it).
const char* KeyswitchText(const NoteNameTable& table, int32_t note);
