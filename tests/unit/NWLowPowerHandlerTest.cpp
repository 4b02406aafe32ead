// The module low-power task: the Wi-Fi call, then the control request to /dev/ocm.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

#include "FakeTaskManager.h"
#include "HostFixture.h"
#include "NWLowPowerHandler.h"
#include "SystemCallHooks.h"

using brelta::test::FakeTaskManager;
using brelta::test::HostFixture;
using Texts = std::vector<std::string>;
namespace hooks = brelta::test::hooks;

namespace {

class NWLowPowerHandlerTest : public HostFixture {
protected:
    void TearDown() override {
        hooks::Reset();
        HostFixture::TearDown();
    }
    void FreshRoot() {
        HostFixture::TearDown();
        HostFixture::SetUp();
    }
    static bool Closed(int fd) { return fcntl(fd, F_GETFD) < 0 && errno == EBADF; }
};

TEST_F(NWLowPowerHandlerTest, EachStepFailsOnItsOwn) {
    const std::string ok = "Success to set wifi_set_module_low 0";
    struct Case {
        const char* name;
        bool device;
        const char* wifiFault;
        std::optional<int> ioctlAnswer;  // none: the kernel answers (ENOTTY for a plain file)
        Texts steps;                     // Execute's records
    } cases[] = {
        {"all well", true, "", 0, {"", ok, "entry", "exit"}},
        {"request refused",
         true,
         "",
         std::nullopt,
         {"", ok, "entry", "failed to set ioctl  -1", "exit"}},
        {"no device", false, "", 0, {"", ok, "entry", "failed to open DEV -1"}},
        {"wifi fails", true, "-3", 0, {"", "Fail to set wifi_set_module_low -3", "entry", "exit"}},
    };
    for (Case& c : cases) {
        FreshRoot();
        if (c.device) root->Write("dev/ocm", "");
        if (*c.wifiFault) root->Fault("wifi_set_module_low", c.wifiFault);
        ReloadFaults();
        hooks::WatchIoctl(c.ioctlAnswer);
        FakeTaskManager manager;
        NWLowPowerHandler(manager).Execute("brelta.keycombination.wifilow", "");
        EXPECT_EQ(manager.locks + manager.unlocks, 0) << c.name;

        for (std::string& step : c.steps)
            if (step == "failed to open DEV -1")
                step = "failed to open " + *root / "dev/ocm" + " -1";
        Texts texts = SystemTexts();  // without the constructor's and destructor's records
        ASSERT_GE(texts.size(), 2u) << c.name;
        EXPECT_EQ(Texts(texts.begin() + 1, texts.end() - 1), c.steps) << c.name;
        EXPECT_EQ(root->Exists("network/wifi_module"), !*c.wifiFault) << c.name;
        auto calls = hooks::IoctlCalls();
        ASSERT_EQ(calls.size(), c.device ? 1u : 0u) << c.name;
        if (!c.device) continue;
        EXPECT_EQ(calls[0].request, 0xC0044F24ul) << c.name;
        EXPECT_EQ(calls[0].argument, 0) << c.name;
        EXPECT_EQ(calls[0].accessMode, O_RDWR) << c.name;
        EXPECT_TRUE(calls[0].closeOnExec) << c.name;
        EXPECT_TRUE(Closed(calls[0].fd)) << c.name;
    }
}

}  // namespace
