// A fork that fails, which only a test inside the process can bring about.
#include <gtest/gtest.h>

#include "CMDTPopup.h"
#include "CTaskManager.h"
#include "HostFixture.h"
#include "SystemCallHooks.h"

namespace {

using CMDTPopupTest = brelta::test::HostFixture;

// Neither side of the fork runs: no child to start the program, nor a parent that takes
// the failure for the child's side and runs it itself.
TEST_F(CMDTPopupTest, AFailedForkStartsNothingAndReportsNothing) {
    CTaskManager manager(nullptr);
    brelta::test::hooks::FailForks(1);
    CMDTPopup(manager).Execute("brelta.keycombination.mdt", "");
    brelta::test::hooks::Reset();
    EXPECT_EQ(Records("system"),
              (std::vector<std::string>{"CMDTPopup.cpp: CMDTPopup >",
                                        "CMDTPopup.cpp: Execute > +++++  Inside launchNS MDT",
                                        "TestUtil.cpp: LaunchMDT > cmd " + *root / "usr/bin/MDT",
                                        "CMDTPopup.cpp: ~CMDTPopup >"}));
}

}  // namespace
