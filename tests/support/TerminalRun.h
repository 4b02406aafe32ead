#ifndef BRELTA_TESTS_TERMINALRUN_H
#define BRELTA_TESTS_TERMINALRUN_H

#include <string>

#include "TempDeviceRoot.h"

namespace brelta::test {

// Runs the built tool with one command id and its standard error on a pseudo-terminal, as a
// person at a terminal would, and returns everything drawn there once the tool has ended.
// Standard output goes to /dev/null; no system bus is reachable.
std::string RunOnTerminal(const TempDeviceRoot& root, const std::string& id);

}  // namespace brelta::test

#endif
