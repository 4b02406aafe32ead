#ifndef BRELTA_FUZZ_FUZZSUPPORT_H
#define BRELTA_FUZZ_FUZZSUPPORT_H

#include <string>

namespace brelta::fuzz {

// Points the host platform at a fresh device root for this process, removed at exit, with
// no service live, so that a target's files never touch a real emulated TV or this machine's
// services and parallel targets never meet.
const std::string& UseTemporaryDeviceRoot();

// A broken invariant is a finding: print it and abort, which libFuzzer reports as a crash
// and saves the input for.
void Check(bool condition, const char* invariant);

}  // namespace brelta::fuzz

#endif
