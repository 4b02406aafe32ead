#ifndef BRELTA_TESTS_FRESHPROCESS_H
#define BRELTA_TESTS_FRESHPROCESS_H

#include "TempDeviceRoot.h"

namespace brelta::test {

// Runs a test's body in a new process of the test binary: for code with once-per-process
// state (the locale set-up) or that changes the process as a whole (environment, locale),
// which must neither see nor leak into the other tests of the binary.
//
//   TEST_F(Suite, Name) {
//       if (FreshProcess::Delegate(*root)) return;
//       ...  // runs in the new process, started without LANG and LC_* variables
//   }
class FreshProcess {
public:
    // In the test's own process: runs the current test again in a new process, records a
    // failure (with that process's output) unless it passed there, and returns true. In the
    // new process: returns false.
    static bool Delegate(const TempDeviceRoot& root);
};

}  // namespace brelta::test

#endif
