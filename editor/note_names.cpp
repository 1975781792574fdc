#include "editor/note_names.h"

#include <cstdio>

NoteNameTable BuildNoteNameTable() {
  static constexpr char kLetters[] = "CCDDEFFGGAAB";
  NoteNameTable table{};
  for (int n = 0; n < kNoteNameCount; ++n) {
    const int step = n % 12;
    const bool sharp = step == 1 || step == 3 || step == 6 || step == 8 || step == 10;
    std::snprintf(table[n].data(), kNoteNameSize, "%c%s%d", kLetters[step], sharp ? "#" : "",
                  n / 12 - 2);
  }
  return table;
}

const char* KeyswitchText(const NoteNameTable& table, int32_t note) {
  if (note < 0) return "----";
  return table[note > 127 ? 127 : note].data();
}
