#include "FreshProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ToolRun.h"

namespace brelta::test {

bool FreshProcess::Delegate(const TempDeviceRoot& root) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    const char* marker = std::getenv("BRELTA_FRESH_PROCESS_TEST");
    if (marker != nullptr && name == marker) return false;

    std::error_code error;
    RunResult r = ToolRun(root, std::filesystem::read_symlink("/proc/self/exe", error))
                      .Env("BRELTA_FRESH_PROCESS_TEST", name)
                      .Run({"--gtest_filter=" + name, "--gtest_color=no"}, 60);
    // A filter that matched nothing would pass too: insist that the one test ran.
    EXPECT_TRUE(r.exited && r.exitCode == 0 &&
                r.out.find("[  PASSED  ] 1 test.") != std::string::npos)
        << "in a fresh process, " << name << ":\n"
        << r.out << r.err;
    return true;
}

}  // namespace brelta::test
