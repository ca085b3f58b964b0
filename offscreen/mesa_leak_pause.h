// For tests that make an offscreen context in a sanitized build.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace orvex::offscreen::testing {

// Mesa keeps a few allocations past eglTerminate, in a driver it has already unloaded,
// so LSan can neither attribute nor suppress them: in a sanitized build the leak check
// ignores what is allocated while a context is in use. Everything else stays checked.
struct MesaLeakPause {
#if defined(__SANITIZE_ADDRESS__)
  MesaLeakPause() { __lsan_disable(); }
  ~MesaLeakPause() { __lsan_enable(); }
#endif
};

}  // namespace orvex::offscreen::testing
