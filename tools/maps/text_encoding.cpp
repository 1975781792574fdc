#include "tools/maps/text_encoding.h"

#include <cstdint>
#include <cstdio>

namespace {

// Code points of bytes 0x80..0x9F.
const uint16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

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

namespace {

// Decodes the character at text[i] and moves i past it. False (with `bad`
// saying why, and i past the offending lead byte) for invalid UTF-8.
bool NextCodePoint(const std::string& text, size_t& i, uint32_t& cp, std::string& bad) {
  const auto lead = static_cast<unsigned char>(text[i]);
  int extra = 0;
  if (lead < 0x80) {
    cp = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    cp = lead & 0x1F;
    extra = 1;
  } else if ((lead & 0xF0) == 0xE0) {
    cp = lead & 0x0F;
    extra = 2;
  } else if ((lead & 0xF8) == 0xF0) {
    cp = lead & 0x07;
    extra = 3;
  } else {
    bad = "an invalid UTF-8 byte";
    ++i;
    return false;
  }
  if (i + extra >= text.size() && extra > 0) {
    bad = "a truncated UTF-8 sequence";
    ++i;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      bad = "an invalid UTF-8 sequence";
      ++i;
      return false;
    }
    cp = cp << 6 | (next & 0x3F);
  }
  i += 1 + extra;
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
