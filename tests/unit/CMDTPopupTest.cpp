// A fork that fails, which only a test inside the process can bring about: the unit-test
// program defines fork itself, and the tool's call finds that definition first.
#include <dlfcn.h>
#include <errno.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "CMDTPopup.h"
#include "CTaskManager.h"
#include "HostFixture.h"

namespace {
bool g_failFork = false;
}  // namespace

extern "C" pid_t fork(void) noexcept {
    if (g_failFork) {
        errno = EAGAIN;  // as when the process limit is reached
        return -1;
    }
    static auto real = reinterpret_cast<pid_t (*)(void)>(dlsym(RTLD_NEXT, "fork"));
    return real();
}

namespace {

using CMDTPopupTest = brelta::test::HostFixture;

// Neither side of the fork runs: no child to start the program, nor a parent that takes
// the failure for the child's side and runs it itself.
TEST_F(CMDTPopupTest, AFailedForkStartsNothingAndReportsNothing) {
    CTaskManager manager(nullptr);
    g_failFork = true;
    CMDTPopup(manager).Execute("brelta.keycombination.mdt", "");
    g_failFork = false;
    EXPECT_EQ(Records("system"),
              (std::vector<std::string>{"CMDTPopup.cpp: CMDTPopup >",
                                        "CMDTPopup.cpp: Execute > +++++  Inside launchNS MDT",
                                        "TestUtil.cpp: LaunchMDT > cmd " + *root / "usr/bin/MDT",
                                        "CMDTPopup.cpp: ~CMDTPopup >"}));
}

}  // namespace
