#include "editor/map_table_notes.h"

#include <cctype>
#include <charconv>

#include "editor/map_table_cells.h"
#include "engine/note_names.h"

namespace {

constexpr int kLowestNote = 0, kHighestNote = 127;

// True when `text` has a note name's shape (letter, accidental, octave of
// any size), with the note it would be, in or out of range: what lets a
// refusal say "above G8" rather than "not a note".
bool NoteShape(std::string_view text, long& note) {
  static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  size_t i = 0;
  if (text.empty()) return false;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
  if (letter < 'A' || letter > 'G') return false;
  long value = kSteps[letter - 'A'];
  if (i < text.size() && (text[i] == '#' || text[i] == 'b' || text[i] == 'B'))
    value += text[i++] == '#' ? 1 : -1;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  if (i == text.size() || text.size() - i > 6) return false;
  long octave = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    octave = octave * 10 + (text[i] - '0');
  }
  note = value + 12 * ((negative ? -octave : octave) + 2);
  return true;
}

}  // namespace

std::string NoteText(int note) { return NoteName(note); }

bool ReadNote(std::string_view word, int32_t& note, std::string& reason) {
  long number = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, number);
  if (!word.empty() && error == std::errc() && stop == end) {
    if (number > kHighestNote || number < kLowestNote) {
      reason = QuotedText(word) +
               (number > kHighestNote ? " is above 127, the highest" : " is below 0, the lowest") +
               " note number";
      return false;
    }
    note = static_cast<int32_t>(number);
    return true;
  }
  std::string name(word);
  // "DB0" is D flat, as "Db0" is.
  if (name.size() > 2 && name[1] == 'B') name[1] = 'b';
  int parsed = 0;
  if (ParseNoteName(name, parsed)) {
    note = parsed;
    return true;
  }
  long shaped = 0;
  if (NoteShape(word, shaped) && shaped > kHighestNote) {
    reason = QuotedText(word) + " is above " + NoteText(kHighestNote) + ", the highest note";
  } else if (NoteShape(word, shaped) && shaped < kLowestNote) {
    reason = QuotedText(word) + " is below " + NoteText(kLowestNote) + ", the lowest note";
  } else {
    reason = QuotedText(word) + " is not a note (C-2 to G8, such as C0, F#1 or Db0), " +
             "a note number 0–127 or none";
  }
  return false;
}
