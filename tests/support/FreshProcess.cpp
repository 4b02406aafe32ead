#include "FreshProcess.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "ToolRun.h"

namespace brelta::test {

namespace {
const char kMarker[] = "BRELTA_FRESH_PROCESS_TEST";
}

bool FreshProcess::Delegate(const TempDeviceRoot& root) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    const char* marker = std::getenv(kMarker);
    if (marker != nullptr && name == marker) return false;

    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        ADD_FAILURE() << "cannot find the test binary to run " << name << " again";
        return true;
    }
    self[n] = '\0';
    RunResult r = ToolRun(root, self)
                      .Env(kMarker, name)
                      .Run({"--gtest_filter=" + name, "--gtest_color=no"}, 60);
    // A filter that matched nothing would pass too: insist that the one test ran.
    EXPECT_TRUE(r.exited && r.exitCode == 0 &&
                r.out.find("[  PASSED  ] 1 test.") != std::string::npos)
        << "in a fresh process, " << name << ":\n"
        << r.out << r.err;
    return true;
}

}  // namespace brelta::test
