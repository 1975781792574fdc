#include "maps/text_file.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "maps/text_encoding.h"

namespace {

// Where a character stands, as an editor counts: lines and characters from 1.
struct Position {
  int line = 1;
  int column = 1;

  void Advance(uint32_t codePoint) {
    if (codePoint == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  std::string Text() const {
    return "line " + std::to_string(line) + " column " + std::to_string(column);
  }
};

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

bool NulCharacter(const Position& at, bool rawBytes, std::string& error) {
  error = "a NUL character at " + at.Text() + ", which no text holds";
  if (rawBytes)
    error += " (UTF-16 without a byte order mark? save the file as UTF-8, or UTF-16 with one)";
  return false;
}

bool DecodeUtf8(const std::vector<uint8_t>& bytes, size_t start, std::string& text,
                std::string& error) {
  std::string out;
  out.reserve(bytes.size() - start);
  Position at;
  for (size_t i = start; i < bytes.size();) {
    uint32_t cp = 0;
    const size_t length = Utf8Character(bytes.data() + i, bytes.size() - i, cp);
    if (length == 0) {
      error = "not UTF-8: byte " + Hex(bytes[i], 2) + " at " + at.Text() +
              " (Windows-1252 text? save the file as UTF-8)";
      return false;
    }
    if (cp == 0) return NulCharacter(at, true, error);
    out.append(reinterpret_cast<const char*>(bytes.data() + i), length);
    at.Advance(cp);
    i += length;
  }
  text = std::move(out);
  return true;
}

// From `start`: 2 past a byte order mark, 0 without one.
bool DecodeUtf16(const std::vector<uint8_t>& bytes, size_t start, bool bigEndian, std::string& text,
                 std::string& error) {
  if (bytes.size() % 2 != 0) {
    error = "not UTF-16: an odd number of bytes, so the last character is cut off";
    return false;
  }
  auto unit = [&](size_t i) -> uint32_t {
    return bigEndian ? bytes[i] << 8 | bytes[i + 1] : bytes[i + 1] << 8 | bytes[i];
  };
  std::string out;
  out.reserve(bytes.size());
  Position at;
  for (size_t i = start; i < bytes.size(); i += 2) {
    uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      const uint32_t low = i + 3 < bytes.size() ? unit(i + 2) : 0;
      if (cp > 0xDBFF || low < 0xDC00 || low > 0xDFFF) {
        error = "not UTF-16: a lone surrogate " + Hex(cp, 4) + " at " + at.Text();
        return false;
      }
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    if (cp == 0) return NulCharacter(at, false, error);
    AppendUtf8(out, cp);
    at.Advance(cp);
  }
  text = std::move(out);
  return true;
}

bool StartsWith(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> prefix) {
  if (bytes.size() < prefix.size()) return false;
  size_t i = 0;
  for (uint8_t b : prefix)
    if (bytes[i++] != b) return false;
  return true;
}

// UTF-16 without a byte order mark, as some Windows programs save it: every
// one of its first characters (up to 32) has a zero high byte and a low byte
// that is text (white space, or no control character). A map's first
// characters are ASCII in every format ('{', '<', '/', a letter); a state's
// version word begins with a control character, and binary data does not
// keep every other byte zero for long.
bool LooksLikeUtf16WithoutMark(const std::vector<uint8_t>& bytes, bool& bigEndian) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
  const size_t units = std::min<size_t>(bytes.size() / 2, 32);
  for (const bool big : {false, true}) {
    size_t i = 0;
    for (; i < units; ++i) {
      const uint8_t low = bytes[2 * i + (big ? 1 : 0)], high = bytes[2 * i + (big ? 0 : 1)];
      const bool text = low == '\t' || low == '\n' || low == '\r' || (low >= 0x20 && low != 0x7F);
      if (high != 0 || !text) break;
    }
    if (i == units) {
      bigEndian = big;
      return true;
    }
  }
  return false;
}

}  // namespace

bool DecodeTextFile(const std::vector<uint8_t>& bytes, std::string& text, std::string& error) {
  // UTF-32's marks first: FF FE 00 00 also begins UTF-16 (with a NUL).
  if (StartsWith(bytes, {0xFF, 0xFE, 0x00, 0x00}) || StartsWith(bytes, {0x00, 0x00, 0xFE, 0xFF})) {
    error = "UTF-32 text, which is not read: save the file as UTF-8 or UTF-16";
    return false;
  }
  if (StartsWith(bytes, {0xFF, 0xFE})) return DecodeUtf16(bytes, 2, false, text, error);
  if (StartsWith(bytes, {0xFE, 0xFF})) return DecodeUtf16(bytes, 2, true, text, error);
  return DecodeUtf8(bytes, StartsWith(bytes, {0xEF, 0xBB, 0xBF}) ? 3 : 0, text, error);
}

bool TextInUtf8(const std::vector<uint8_t>& bytes, std::string& text, std::string& error) {
  bool bigEndian = false;
  if (StartsWith(bytes, {0xFF, 0xFE}) || StartsWith(bytes, {0xFE, 0xFF}) ||
      StartsWith(bytes, {0x00, 0x00, 0xFE, 0xFF}))
    return DecodeTextFile(bytes, text, error);
  if (LooksLikeUtf16WithoutMark(bytes, bigEndian))
    return DecodeUtf16(bytes, 0, bigEndian, text, error);
  const size_t start = StartsWith(bytes, {0xEF, 0xBB, 0xBF}) ? 3 : 0;
  text.assign(reinterpret_cast<const char*>(bytes.data()) + start, bytes.size() - start);
  return true;
}

std::string ReadableText(const std::string& text) {
  std::string out;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    size_t length = Utf8Character(s + i, text.size() - i, cp);
    const bool control = (cp < 0x20 && cp != '\n' && cp != '\t') || (cp >= 0x7F && cp <= 0x9F);
    if (length > 0 && !control) {
      out.append(text, i, length);
    } else {
      if (length == 0) length = 1;  // a byte of no sequence: shown alone
      for (size_t k = 0; k < length; ++k) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", s[i + k]);
        out += hex;
      }
    }
    i += length;
  }
  return out;
}
