#include "editor/delimited_text.h"

namespace {

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Moves i past a line end at i (CRLF counts as one).
void SkipLineEnd(std::string_view text, size_t& i) {
  if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
  ++i;
}

bool NeedsQuotes(const std::string& field, char delimiter) {
  for (char c : field)
    if (c == delimiter || c == '"' || IsLineEnd(c)) return true;
  return false;
}

}  // namespace

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return text;
}

std::vector<DelimitedRecord> ReadDelimited(std::string_view text, char delimiter) {
  text = WithoutByteOrderMark(text);
  std::vector<DelimitedRecord> records;
  const bool splits = delimiter != '\0';
  size_t i = 0;
  while (i < text.size()) {
    DelimitedRecord record;
    std::string field;
    bool recordEnded = false;
    while (!recordEnded) {
      field.clear();
      if (i < text.size() && text[i] == '"') {
        ++i;
        for (;;) {
          if (i >= text.size()) break;  // unclosed: the rest is the field
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          field += text[i++];
        }
      }
      // Unquoted text, or what follows a closing quote, up to the field's end.
      while (i < text.size() && !(splits && text[i] == delimiter) && !IsLineEnd(text[i]))
        field += text[i++];
      record.push_back(field);
      if (i >= text.size()) {
        recordEnded = true;
      } else if (IsLineEnd(text[i])) {
        SkipLineEnd(text, i);
        recordEnded = true;
      } else {
        ++i;  // the delimiter; a field follows, even an empty last one
      }
    }
    records.push_back(std::move(record));
  }
  return records;
}

std::string WriteDelimited(const std::vector<DelimitedRecord>& records, char delimiter,
                           std::string_view lineEnd) {
  std::string text;
  for (const DelimitedRecord& record : records) {
    for (size_t f = 0; f < record.size(); ++f) {
      if (f > 0) text += delimiter;
      const std::string& field = record[f];
      if (!NeedsQuotes(field, delimiter)) {
        text += field;
        continue;
      }
      text += '"';
      for (char c : field) {
        if (c == '"') text += '"';
        text += c;
      }
      text += '"';
    }
    text += lineEnd;
  }
  return text;
}

char GuessDelimiter(std::string_view text) {
  text = WithoutByteOrderMark(text);
  if (text.find('\t') != std::string_view::npos) return '\t';
  size_t commas = 0, semicolons = 0;
  bool quoted = false;
  size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (IsLineEnd(c)) break;
    commas += c == ',';
    semicolons += c == ';';
  }
  // One line (a final line end aside): one field.
  if (i < text.size()) SkipLineEnd(text, i);
  if (i >= text.size()) return '\0';
  if (commas == 0 && semicolons == 0) return '\0';
  return semicolons > commas ? ';' : ',';
}
