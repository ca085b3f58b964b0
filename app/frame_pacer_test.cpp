#include "app/frame_pacer.h"

#include <gtest/gtest.h>

namespace orvex::app {
namespace {

using std::chrono::milliseconds;

TEST(FramePacerTest, SpacesFramesOnePeriodApartAndNeverWaitsAfterAReset) {
  FramePacer pacer(milliseconds(16));
  const FramePacer::Clock::time_point t0{};
  EXPECT_EQ(pacer.nextFrame(t0), milliseconds(0));
  // A frame asked for 4 ms later waits the remaining 12 ms.
  EXPECT_EQ(pacer.nextFrame(t0 + milliseconds(4)), milliseconds(12));
  // That frame counts as drawn at 16 ms, so the next is due at 32 ms.
  EXPECT_EQ(pacer.nextFrame(t0 + milliseconds(20)), milliseconds(12));
  // A slow frame does not wait at all.
  EXPECT_EQ(pacer.nextFrame(t0 + milliseconds(100)), milliseconds(0));
  pacer.reset();
  EXPECT_EQ(pacer.nextFrame(t0 + milliseconds(101)), milliseconds(0));
}

}  // namespace
}  // namespace orvex::app
