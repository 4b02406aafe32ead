#ifndef TESTUTIL_H
#define TESTUTIL_H

#include <string>

// Launches of outside programs that the network test tasks share.
class CTestUtil {
public:
    // Asks the network-settings application to open the page named by `selector`.
    static void LaunchNetworkSettings(std::string selector);
    // Runs the MDT program in a child process; the caller goes on at once.
    static void LaunchMDT();
};

#endif
