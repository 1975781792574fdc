// The map table's note names, written and read through engine/note_names.h:
// the table's only use of that module, so a change to the note names is
// made here alone. C-2 is note 0, C3 is 60, G8 is 127; sharps are written
// with '#'.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "C#0"; "?" outside 0..127.
std::string NoteText(int note);

// A note typed into a cell: a note name in either case with '#' or 'b'
// ("C0", "c#0", "Db0", "DB0"), or a note number 0-127. False with a
// one-line reason (`"C#12" is above G8, the highest note`).
bool ReadNote(std::string_view word, int32_t& note, std::string& reason);
