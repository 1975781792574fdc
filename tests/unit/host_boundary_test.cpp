// The guard every entry point of the plug-in runs its body through: what
// the caller gets when the body returns, runs out of memory or throws
// anything else.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "engine/host_boundary.h"

namespace {

using host_boundary::Refusal;

struct Told {
  int times = 0;
  Refusal why = Refusal::kFailure;
};

int Guarded(int (*body)(), Told& told) {
  return host_boundary::Call(body, [&](Refusal why) noexcept {
    ++told.times;
    told.why = why;
    return -1;
  });
}

TEST(HostBoundary, AnswersTheBodysResultOrItsRefusal) {
  Told told;
  EXPECT_EQ(Guarded([] { return 7; }, told), 7);
  EXPECT_EQ(told.times, 0);

  EXPECT_EQ(Guarded([]() -> int { throw std::bad_alloc(); }, told), -1);
  EXPECT_EQ(told.times, 1);
  EXPECT_EQ(told.why, Refusal::kOutOfMemory);

  EXPECT_EQ(Guarded([]() -> int { throw std::runtime_error("x"); }, told), -1);
  EXPECT_EQ(told.times, 2);
  EXPECT_EQ(told.why, Refusal::kFailure);

  EXPECT_EQ(Guarded([]() -> int { throw 3; }, told), -1);
  EXPECT_EQ(told.why, Refusal::kFailure);

  // A body without a result, and a fixed answer.
  host_boundary::Call([] { throw std::logic_error("x"); });
  EXPECT_EQ(host_boundary::Call([]() -> long { throw 1; }, host_boundary::Answer(5L)), 5L);
}

}  // namespace
