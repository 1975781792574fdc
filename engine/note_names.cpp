#include "engine/note_names.h"

#include <cctype>
#include <cstring>

std::string NoteName(int note) {
  static const char* const kNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                       "F#", "G",  "G#", "A",  "A#", "B"};
  if (note < 0 || note > 127) return "?";
  return std::string(kNames[note % 12]) + std::to_string(note / 12 - 2);
}

bool ParseNoteName(std::string_view text, int& note) {
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  size_t i = 0;
  if (text.empty()) return false;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
  if (letter < 'A' || letter > 'G') return false;
  int value = kSteps[letter - 'A'];
  if (i < text.size() && (text[i] == '#' || text[i] == 'b')) value += text[i++] == '#' ? 1 : -1;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  // One digit: octaves run from -2 to 8.
  if (i + 1 != text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  const int octave = (negative ? -1 : 1) * (text[i] - '0');
  if (octave < -2 || octave > 8) return false;
  value += 12 * (octave + 2);
  if (value < 0 || value > 127) return false;
  note = value;
  return true;
}

NoteNameTable BuildNoteNameTable() {
  NoteNameTable table{};
  for (int n = 0; n < kNoteNameCount; ++n) {
    const std::string name = NoteName(n);
    std::memcpy(table[n].data(), name.c_str(), name.size() + 1);
  }
  return table;
}

const char* KeyswitchText(const NoteNameTable& table, int32_t note) {
  if (note < 0) return "----";
  return table[note > 127 ? 127 : note].data();
}
