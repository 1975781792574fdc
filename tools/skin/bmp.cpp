#include "bmp.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace skin {

namespace {

void put16(std::vector<uint8_t>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

unsigned get16(const std::vector<uint8_t>& in, size_t at) {
  return at + 2 <= in.size() ? in[at] | (in[at + 1] << 8) : 0xFFFFFFFFu;
}

uint32_t get32(const std::vector<uint8_t>& in, size_t at) {
  return at + 4 <= in.size() ? get16(in, at) | (get16(in, at + 2) << 16) : 0xFFFFFFFFu;
}

std::vector<uint8_t> readAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

uint32_t rowBytes(int width, int bits) { return ((width * bits / 8) + 3) & ~3u; }

}  // namespace

bool writeBmp(const std::string& path, const Image& image, int bits) {
  const int w = image.width(), h = image.height();
  const uint32_t stride = rowBytes(w, bits);
  const uint32_t imageSize = stride * h;
  const uint32_t offset = kFileHeaderSize + kInfoHeaderSize;

  std::vector<uint8_t> out;
  out.reserve(offset + imageSize);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  put32(out, offset + imageSize);
  put32(out, 0);
  put32(out, offset);
  // BITMAPINFOHEADER
  put32(out, kInfoHeaderSize);
  put32(out, w);
  put32(out, h);  // positive: bottom-up
  put16(out, 1);
  put16(out, bits);
  put32(out, 0);  // BI_RGB
  put32(out, imageSize);
  put32(out, 2835);  // 72 dpi
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);

  for (int y = h - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < w; ++x) {
      const unsigned p = image.pixel(x, y);
      out.push_back(p & 0xFF);
      out.push_back((p >> 8) & 0xFF);
      out.push_back((p >> 16) & 0xFF);
      if (bits == 32) out.push_back(0xFF);
    }
    while (out.size() - rowStart < stride) out.push_back(0);
  }

  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

std::string checkBmp(const std::string& path, int width, int height, int bits) {
  const std::vector<uint8_t> in = readAll(path);
  if (in.size() < kFileHeaderSize + kInfoHeaderSize) return path + ": missing or too short";
  if (in[0] != 'B' || in[1] != 'M') return path + ": no BM signature";
  const uint32_t offset = get32(in, 10);
  const uint32_t expectedSize = offset + rowBytes(width, bits) * height;
  if (get32(in, 14) != kInfoHeaderSize) return path + ": not a BITMAPINFOHEADER";
  if (static_cast<int32_t>(get32(in, 18)) != width) return path + ": wrong width";
  if (static_cast<int32_t>(get32(in, 22)) != height) return path + ": wrong height (or top-down)";
  if (get16(in, 26) != 1) return path + ": planes is not 1";
  if (static_cast<int>(get16(in, 28)) != bits) return path + ": wrong bit depth";
  if (get32(in, 30) != 0) return path + ": compressed (not BI_RGB)";
  if (get32(in, 34) != rowBytes(width, bits) * height) return path + ": wrong image size field";
  if (offset != kFileHeaderSize + kInfoHeaderSize) return path + ": unexpected pixel offset";
  if (get32(in, 2) != in.size() || in.size() != expectedSize) return path + ": wrong file size";
  return {};
}

namespace {

std::string checkDialog(const std::vector<uint8_t>& in, size_t data, size_t dataSize) {
  size_t p = data;
  auto word = [&] {
    const unsigned v = get16(in, p);
    p += 2;
    return v;
  };
  auto dword = [&] {
    const uint32_t v = get32(in, p);
    p += 4;
    return v;
  };
  if (word() != 1) return "dialog 100: dlgVer is not 1";
  if (word() != 0xFFFF) return "dialog 100: not an extended template";
  if (dword() != 0) return "dialog 100: helpID is not 0";
  if (dword() != 0x00000020) return "dialog 100: extended style is not WS_EX_TRANSPARENT";
  if (dword() != 0x80000040) return "dialog 100: style is not WS_POPUP | DS_SETFONT";
  if (word() != 0) return "dialog 100: has controls";
  if (word() != 0 || word() != 0) return "dialog 100: not at (0, 0)";
  if (word() != 160 || word() != 147) return "dialog 100: size is not 160 x 147";
  if (word() != 0) return "dialog 100: has a menu";
  if (word() != 0) return "dialog 100: has a window class";
  if (word() != 0) return "dialog 100: caption is not empty";
  if (word() != 8) return "dialog 100: font size is not 8";
  if (word() != 400) return "dialog 100: font weight is not 400";
  if (p + 2 > in.size() || in[p] != 0 || in[p + 1] != 0)
    return "dialog 100: font is italic or its character set is not 0";
  p += 2;
  std::string faceName;
  for (unsigned c; (c = word()) != 0 && c != 0xFFFFFFFFu;) faceName += static_cast<char>(c);
  if (faceName != "Calibri") return "dialog 100: font face is '" + faceName + "'";
  if (p > data + dataSize) return "dialog 100: template overruns its resource";
  return {};
}

// A bitmap resource is the file without its 14-byte file header.
std::string checkBitmap(const std::vector<uint8_t>& in, size_t data, size_t dataSize, unsigned id,
                        int width, int height, int bits) {
  const std::string name = "bitmap " + std::to_string(id);
  if (get32(in, data) != kInfoHeaderSize) return name + ": not a BITMAPINFOHEADER";
  if (static_cast<int32_t>(get32(in, data + 4)) != width ||
      static_cast<int32_t>(get32(in, data + 8)) != height)
    return name + ": wrong size";
  if (static_cast<int>(get16(in, data + 14)) != bits) return name + ": wrong bit depth";
  if (get32(in, data + 16) != 0) return name + ": compressed";
  if (dataSize != kInfoHeaderSize + rowBytes(width, bits) * height)
    return name + ": wrong data size";
  return {};
}

}  // namespace

std::string checkResources(const std::string& path) {
  const std::vector<uint8_t> in = readAll(path);
  struct Expected {
    unsigned type, id;
    int width, height, bits;
    bool seen;
  } expected[] = {
      {5, 100, 0, 0, 0, false},      {2, 101, 480, 240, 24, false}, {2, 103, 34, 2176, 32, false},
      {2, 104, 56, 1536, 32, false}, {2, 105, 34, 68, 32, false},   {2, 106, 4800, 56, 24, false},
  };
  // A .res file is a sequence of entries: header (DataSize, HeaderSize, type,
  // name, ...) then data, each aligned to four bytes. Type and name are
  // 0xFFFF + id when numeric.
  size_t at = 0;
  while (at + 32 <= in.size()) {
    const uint32_t dataSize = get32(in, at);
    const uint32_t headerSize = get32(in, at + 4);
    const bool numeric = get16(in, at + 8) == 0xFFFF && get16(in, at + 12) == 0xFFFF;
    const unsigned type = get16(in, at + 10), id = get16(in, at + 14);
    const size_t data = at + headerSize;
    if (data + dataSize > in.size()) return path + ": truncated";
    for (Expected& e : expected) {
      if (!numeric || e.type != type || e.id != id) continue;
      const std::string problem =
          type == 5 ? checkDialog(in, data, dataSize)
                    : checkBitmap(in, data, dataSize, id, e.width, e.height, e.bits);
      if (!problem.empty()) return problem;
      e.seen = true;
    }
    at = (data + dataSize + 3) & ~size_t{3};
  }
  for (const Expected& e : expected)
    if (!e.seen)
      return path + (e.type == 5 ? ": no dialog " : ": no bitmap ") + std::to_string(e.id);
  return {};
}

}  // namespace skin
