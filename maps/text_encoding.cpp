#include "maps/text_encoding.h"

#include <cstdint>
#include <cstdio>

namespace {

// Code points of bytes 0x80..0x9F.
const uint16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int ByteForCodePoint(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == cp) return 0x80 + i;
  return -1;
}

}  // namespace

std::string Windows1252ToUtf8(const std::string& bytes) {
  std::string out;
  for (unsigned char b : bytes)
    AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b);
  return out;
}

size_t Utf8Character(const unsigned char* s, size_t size, uint32_t& codePoint) {
  const unsigned char lead = s[0];
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (size < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = s[k];
    if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return 0;
    codePoint = codePoint << 6 | (next & 0x3F);
  }
  return length;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace {

// Decodes the character at text[i] and moves i past it; false (and i past
// the offending byte) for invalid UTF-8.
bool NextCodePoint(const std::string& text, size_t& i, uint32_t& cp, std::string& bad) {
  const size_t length =
      Utf8Character(reinterpret_cast<const unsigned char*>(text.data()) + i, text.size() - i, cp);
  if (length == 0) {
    bad = "an invalid UTF-8 sequence";
    ++i;
    return false;
  }
  i += length;
  return true;
}

std::string CodePointName(uint32_t cp) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
  return name;
}

}  // namespace

bool Utf8ToWindows1252(const std::string& text, std::string& bytes, std::string& bad) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    if (!NextCodePoint(text, i, cp, bad)) return false;
    const int b = ByteForCodePoint(cp);
    if (b < 0) {
      bad = CodePointName(cp);
      return false;
    }
    out += static_cast<char>(b);
  }
  bytes = std::move(out);
  return true;
}

bool IsValidUtf8(const std::string& text) {
  std::string bad;
  uint32_t cp = 0;
  for (size_t i = 0; i < text.size();)
    if (!NextCodePoint(text, i, cp, bad)) return false;
  return true;
}

std::string Utf8ToWindows1252Lossy(const std::string& text, std::vector<std::string>& replaced) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    std::string bad;
    const int b = NextCodePoint(text, i, cp, bad) ? ByteForCodePoint(cp) : -1;
    if (b < 0 && bad.empty()) bad = CodePointName(cp);
    if (b <= 0) {
      // A NUL would end the name inside the plug-in: it is replaced too.
      replaced.push_back(b == 0 ? "U+0000" : bad);
      out += '?';
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}
