#ifndef BRELTA_TESTS_FRESHPROCESS_H
#define BRELTA_TESTS_FRESHPROCESS_H

#include "TempDeviceRoot.h"

namespace brelta::test {

// Runs a test's body in a new process of the test binary (started without LANG and LC_*), for
// code with once-per-process state or that changes the process as a whole:
//   if (FreshProcess::Delegate(*root)) return;
class FreshProcess {
public:
    // In the test's own process: runs the current test again in a new process, fails unless
    // it passed there, and returns true. In the new process: returns false.
    static bool Delegate(const TempDeviceRoot& root);
};

}  // namespace brelta::test

#endif
