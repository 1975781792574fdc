// The PNG writer's container, and the levels that give exact velocities.
#include <gtest/gtest.h>
#include <zlib.h>

#include "engine/velocity.h"
#include "tools/render/png_writer.h"
#include "tools/render/velocity_levels.h"

namespace {

uint32_t Big32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

TEST(PngWriter, ChunksCarryTheirCrcAndThePixelsInflateBack) {
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 3 * 2; ++i) rgb.insert(rgb.end(), {uint8_t(i), uint8_t(2 * i), 255});
  const std::vector<uint8_t> png = EncodePng(3, 2, rgb);
  ASSERT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8),
            (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  std::vector<uint8_t> idat;
  size_t at = 8;
  std::vector<std::string> types;
  while (at + 12 <= png.size()) {
    const uint32_t length = Big32(png, at);
    const std::string type(png.begin() + at + 4, png.begin() + at + 8);
    types.push_back(type);
    const uLong crc = crc32(0, png.data() + at + 4, 4 + length);
    EXPECT_EQ(Big32(png, at + 8 + length), crc) << type;
    if (type == "IHDR") {
      EXPECT_EQ(Big32(png, at + 8), 3u);
      EXPECT_EQ(Big32(png, at + 12), 2u);
    }
    if (type == "IDAT")
      idat.insert(idat.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  std::vector<uint8_t> raw(2 * (1 + 9));
  uLongf rawSize = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &rawSize, idat.data(), idat.size()), Z_OK);
  ASSERT_EQ(rawSize, raw.size());
  EXPECT_EQ(raw[0], 0);  // filter: none
  EXPECT_EQ(std::vector<uint8_t>(raw.begin() + 11, raw.end()),
            std::vector<uint8_t>(rgb.begin() + 9, rgb.end()));
}

TEST(VelocityLevels, EachVelocityHasALevelThatGivesIt) {
  const VelocityLevels levels;
  ASSERT_TRUE(levels.complete());
  for (int v = 1; v <= 127; ++v) EXPECT_EQ(VelocityForLevel(levels.LevelFor(v)), v) << v;
  EXPECT_EQ(VelocityForLevel(levels.LevelFor(0)), 1) << "velocity 0 plays as 1";
}

}  // namespace
