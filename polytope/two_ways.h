// Two pieces of independent work at once, one on a second thread, for the generator's
// heaviest loops. Callers combine the results in a fixed order, so what they produce
// does not depend on which thread finishes first.
#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace orvex::polytope {

/// Runs first() and second() at once and returns when both are done. An exception from
/// either is thrown here, after both have ended. Without threads (a browser build, or
/// when none can be started) the two run one after the other.
template <typename First, typename Second>
void together(First first, Second second) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
  first();
  second();
#else
  std::exception_ptr failed;
  std::thread other;
  try {
    other = std::thread([&second, &failed] {
      try {
        second();
      } catch (...) {
        failed = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    first();
    second();
    return;
  }
  try {
    first();
  } catch (...) {
    other.join();
    throw;
  }
  other.join();
  if (failed) std::rethrow_exception(failed);
#endif
}

/// Calls work(0, count / 2) and work(count / 2, count) at once.
template <typename Work>
void inTwoHalves(int count, Work work) {
  const int middle = count / 2;
  together([&] { work(0, middle); }, [&] { work(middle, count); });
}

}  // namespace orvex::polytope
