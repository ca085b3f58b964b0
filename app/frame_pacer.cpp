#include "app/frame_pacer.h"

namespace orvex::app {

FramePacer::Clock::duration FramePacer::nextFrame(Clock::time_point now) {
  Clock::duration wait{0};
  if (started_ && now < last_ + period_) wait = last_ + period_ - now;
  started_ = true;
  last_ = now + wait;
  return wait;
}

}  // namespace orvex::app
