// The module low-power id run by the built tool against the host's /dev/ocm and Wi-Fi state.
#include <gtest/gtest.h>

#include "LogRecords.h"
#include "TaskRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::TextsFrom;
using brelta::test::ToolRun;

namespace {

const char kId[] = "brelta.keycombination.wifilow";

std::vector<std::string> TaskTexts(const TempDeviceRoot& root) {
    return TextsFrom(LogRecords::Load(root / "log/system"),
                     {"NWLowPowerHandler.cpp", "CTaskManager.cpp"});
}

TEST(LowPower, OrdinaryFileAsDeviceRefusesTheRequestAndTheRunGoesOn) {
    TempDeviceRoot root;
    root.Write("dev/ocm", "");
    RunResult r = ToolRun(root).Run({kId});
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TaskTexts(root),
              (std::vector<std::string>{"", "lOCK ++ 1", "", "Success to set wifi_set_module_low 0",
                                        "entry", "failed to set ioctl  -1", "exit", "UNLOCK -- 0",
                                        "EXITING in 5 seconds ...", "EXITING.", ""}));
    EXPECT_EQ(root.Read("network/wifi_module"), "low");
}

}  // namespace
