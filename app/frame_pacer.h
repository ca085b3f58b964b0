// Keeps a spin from rendering faster than a display shows frames.
#pragma once

#include <chrono>

namespace orvex::app {

/// Spaces successive frames at least one period apart; the first frame never waits.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit FramePacer(Clock::duration period) : period_(period) {}

  /// How long to wait at `now` before the next frame may be drawn; records that frame
  /// as drawn at now + the wait.
  Clock::duration nextFrame(Clock::time_point now);
  /// Forget the last frame, so the next one after a pause starts at once.
  void reset() { started_ = false; }

 private:
  Clock::duration period_;
  Clock::time_point last_{};
  bool started_ = false;
};

}  // namespace orvex::app
