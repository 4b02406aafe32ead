// A fork that fails, which only a test inside the process can bring about. The launch that
// works is checked end to end (e2e/MDTTest.cpp).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CMDTPopup.h"
#include "FakeTaskManager.h"
#include "HostFixture.h"
#include "SystemCallHooks.h"

using brelta::test::FakeTaskManager;
using brelta::test::HostFixture;
namespace hooks = brelta::test::hooks;

namespace {

using CMDTPopupTest = HostFixture;

TEST_F(CMDTPopupTest, FailedForkStartsNothingAndReportsNothing) {
    // A program that would leave a mark if it ran.
    root->Write("usr/bin/MDT", "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n");
    chmod((*root / "usr/bin/MDT").c_str(), 0755);
    hooks::FailForks(1);
    FakeTaskManager manager;
    CMDTPopup(manager).Execute("brelta.keycombination.mdt", "");
    hooks::Reset();
    EXPECT_EQ(SystemTexts(), (std::vector<std::string>{"", "+++++  Inside launchNS MDT",
                                                       "cmd " + *root / "usr/bin/MDT", ""}));
    EXPECT_EQ(manager.locks + manager.unlocks, 0);
    usleep(300000);
    EXPECT_FALSE(root->Exists("usr/bin/ran"));
}

}  // namespace
