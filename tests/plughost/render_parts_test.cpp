// The render's progress line.
#include <gtest/gtest.h>

#include <string>

#include "tools/plughost/progress_line.h"

namespace {

TEST(ProgressLine, WaitsASecondThenRedrawsAtMostFourTimesASecondAndWipesItself) {
  std::string written;
  {
    ProgressLine line([&](const std::string& text) { written += text; }, "rendering");
    line.Update(10, 100, 500);   // too early
    line.Update(20, 100, 1000);  // drawn
    line.Update(30, 100, 1200);  // too soon after
    line.Update(50, 100, 1250);  // drawn
  }                              // wiped
  EXPECT_EQ(written.find("10 of"), std::string::npos);
  EXPECT_NE(written.find("\rrendering: 20% (20 of 100 events)"), std::string::npos);
  EXPECT_EQ(written.find("30 of"), std::string::npos);
  EXPECT_NE(written.find("\rrendering: 50% (50 of 100 events)"), std::string::npos);
  // Wiped: blanks over the whole last line, then back to its start.
  const std::string wipe =
      "\r" + std::string(std::string("rendering: 50% (50 of 100 events)").size(), ' ') + "\r";
  ASSERT_GE(written.size(), wipe.size());
  EXPECT_EQ(written.substr(written.size() - wipe.size()), wipe);
}

}  // namespace
