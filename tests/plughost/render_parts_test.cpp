// The render's voice bookkeeping and its progress line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/render/host_voices.h"
#include "tools/plughost/progress_line.h"

namespace {

TEST(HostVoices, ReleasesTheEarliestVoiceOnAKeyAndReusesTagsOfEndedVoices) {
  HostVoices voices;
  const int32_t a = voices.Start(3), b = voices.Start(3), c = voices.Start(5);
  voices.Hold(a, 100, 3, 60);
  voices.Hold(b, 200, 3, 60);
  voices.Hold(c, 300, 5, 60);  // same key, other channel
  EXPECT_EQ(voices.Colour(c), 5);

  // A voice ended while held (the plug-in ended it) leaves its key's queue.
  intptr_t handle = 0;
  ASSERT_TRUE(voices.End(a, handle));
  EXPECT_EQ(handle, 100);
  EXPECT_FALSE(voices.End(a, handle)) << "reported twice, killed once";
  EXPECT_EQ(voices.Colour(a), 0);

  EXPECT_EQ(voices.Release(3, 60), b);
  EXPECT_EQ(voices.Handle(b), 200);
  EXPECT_EQ(voices.Release(3, 60), 0);
  EXPECT_EQ(voices.Release(5, 60), c);

  // Tags come back once their voice is gone, with a fresh record.
  const int32_t d = voices.Start(7);
  EXPECT_EQ(d, a);
  EXPECT_EQ(voices.Colour(d), 7);
  voices.Forget(d);
  EXPECT_EQ(voices.Colour(d), 0);
}

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
