// The render's progress line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/plughost/progress_line.h"

namespace {

TEST(ProgressLine, WaitsASecondThenRedrawsAtMostFourTimesASecondAndWipesItself) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  {
    ProgressLine line(out, "rendering");
    line.Update(10, 100, 500);   // too early
    line.Update(20, 100, 1000);  // drawn
    line.Update(30, 100, 1200);  // too soon after
    line.Update(50, 100, 1250);  // drawn
  }                              // wiped
  std::rewind(out);
  char text[512] = {};
  const size_t got = std::fread(text, 1, sizeof text - 1, out);
  std::fclose(out);
  const std::string written(text, got);
  EXPECT_EQ(written.find("10 of"), std::string::npos);
  EXPECT_NE(written.find("rendering: 20% (20 of 100 events)"), std::string::npos);
  EXPECT_EQ(written.find("30 of"), std::string::npos);
  EXPECT_NE(written.find("rendering: 50%"), std::string::npos);
  EXPECT_EQ(written.back(), '\r');
}

}  // namespace
