// The advice for a name that meets an articulation an import left out: its
// number, why, and the pick that takes it, in --pick's own syntax.
#include "tools/plughost/left_out_advice.h"

#include <gtest/gtest.h>

namespace {

TEST(LeftOutAdvice, NamesTheArticulationAndThePickThatTakesIt) {
  // The first 16 shown of 19, the second hidden.
  ImportResult r;
  r.taken = {1};
  for (size_t n = 3; n <= 17; ++n) r.taken.push_back(n);
  r.leftOut = {{2, "A2", "hidden by its program"},
               {18, "A18", "beyond the 16 taken"},
               {19, "A19", "beyond the 16 taken"}};
  EXPECT_EQ(LeftOutExplanation(r, "a18", "v.reabank", "--to-pick"),
            "\"A18\" is articulation 18 of v.reabank, beyond the 16 taken; take it with "
            "--to-pick, such as --to-pick 1,3-16,18");
  EXPECT_EQ(LeftOutExplanation(r, "A5", "v.reabank", "--pick"), "");  // it is a slot

  ImportResult picked;
  picked.taken = {19, 2, 1};
  picked.leftOut = {{3, "A3", "not picked"}};
  EXPECT_EQ(LeftOutExplanation(picked, "A3", "v.reabank", "--pick"),
            "\"A3\" is articulation 3 of v.reabank, not picked; take it with --pick, such as "
            "--pick 19,2,1,3");
  EXPECT_EQ(PickListText({1, 2, 3, 5, 7, 8, 10, 11, 12, 13}), "1-3,5,7,8,10-13");
}

}  // namespace
