// Note names for the panel: C-2 for note 0, C3 for note 60, G8 for note 127.
#pragma once

#include <array>
#include <cstdint>

constexpr int kNoteNameCount = 128;
constexpr int kNoteNameSize = 16;

using NoteNameTable = std::array<std::array<char, kNoteNameSize>, kNoteNameCount>;

NoteNameTable BuildNoteNameTable();

// The name shown for a keyswitch note: "----" for none, the table entry for
// 0..127, and the nearest table entry for anything above (never past it).
const char* KeyswitchText(const NoteNameTable& table, int32_t note);
