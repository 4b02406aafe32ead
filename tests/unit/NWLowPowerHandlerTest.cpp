// The module low-power task: the Wi-Fi call, then the control request to /dev/ocm.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "FakeTaskManager.h"
#include "HostFixture.h"
#include "NWLowPowerHandler.h"
#include "SystemCallHooks.h"

using brelta::test::FakeTaskManager;
using brelta::test::HostFixture;
namespace hooks = brelta::test::hooks;

namespace {

class NWLowPowerHandlerTest : public HostFixture {
protected:
    void TearDown() override {
        hooks::Reset();
        HostFixture::TearDown();
    }
    void Run() {
        FakeTaskManager manager;
        {
            NWLowPowerHandler task(manager);
            task.Execute("brelta.keycombination.wifilow", "");
        }
        EXPECT_EQ(manager.locks + manager.unlocks, 0);
    }
    // Texts of Execute's records (without the constructor's and destructor's).
    std::vector<std::string> Steps() {
        auto texts = SystemTexts();
        EXPECT_GE(texts.size(), 2u);
        if (texts.size() < 2) return texts;
        return std::vector<std::string>(texts.begin() + 1, texts.end() - 1);
    }
    static bool Closed(int fd) { return fcntl(fd, F_GETFD) < 0 && errno == EBADF; }
};

TEST_F(NWLowPowerHandlerTest, BothModulesGoLowInOrder) {
    root->Write("dev/ocm", "");
    hooks::WatchIoctl(0);
    Run();
    EXPECT_EQ(Steps(), (std::vector<std::string>{"", "Success to set wifi_set_module_low 0",
                                                 "entry", "exit"}));
    EXPECT_EQ(root->Read("network/wifi_module"), "low");
    auto calls = hooks::IoctlCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].request, 0xC0044F24ul);
    EXPECT_EQ(calls[0].argument, 0);
    EXPECT_EQ(calls[0].accessMode, O_RDWR);
    EXPECT_TRUE(calls[0].closeOnExec);
    EXPECT_TRUE(Closed(calls[0].fd));

    auto records = SystemLog().All();
    EXPECT_EQ(records.front().function, "NWLowPowerHandler");
    EXPECT_EQ(records.back().function, "~NWLowPowerHandler");
    EXPECT_EQ(SystemLog().ByFunction("_SetEthernetModuleLow").size(), 2u);
}

TEST_F(NWLowPowerHandlerTest, RefusedControlRequestIsLoggedAndTheDeviceClosed) {
    // An ordinary file in place of the device: the kernel refuses the request (ENOTTY).
    root->Write("dev/ocm", "");
    hooks::WatchIoctl();
    Run();
    EXPECT_EQ(Steps(), (std::vector<std::string>{"", "Success to set wifi_set_module_low 0",
                                                 "entry", "failed to set ioctl  -1", "exit"}));
    ASSERT_EQ(hooks::IoctlCalls().size(), 1u);
    EXPECT_TRUE(Closed(hooks::IoctlCalls()[0].fd));
}

TEST_F(NWLowPowerHandlerTest, MissingDeviceEndsTheEthernetStepWithoutExit) {
    hooks::WatchIoctl(0);
    Run();
    EXPECT_EQ(Steps(),
              (std::vector<std::string>{"", "Success to set wifi_set_module_low 0", "entry",
                                        "failed to open " + *root / "dev/ocm" + " -1"}));
    EXPECT_TRUE(hooks::IoctlCalls().empty());
}

TEST_F(NWLowPowerHandlerTest, WifiFailureDoesNotStopTheEthernetStep) {
    root->Write("dev/ocm", "");
    root->Fault("wifi_set_module_low", "-3");
    ReloadFaults();
    hooks::WatchIoctl(0);
    Run();
    EXPECT_EQ(Steps(), (std::vector<std::string>{"", "Fail to set wifi_set_module_low -3", "entry",
                                                 "exit"}));
    EXPECT_FALSE(root->Exists("network/wifi_module"));
    EXPECT_EQ(hooks::IoctlCalls().size(), 1u);
}

}  // namespace
