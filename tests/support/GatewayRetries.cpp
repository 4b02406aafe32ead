#include "GatewayRetries.h"

#include <gtest/gtest.h>

namespace brelta::test {

double ExpectGatewayRetries(const LogRecords& log, int answers) {
    const std::string inProgress =
        "Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]";
    auto execute = log.ByFunction("Execute");
    auto checks = log.ByFunction("_TestNetwork");
    EXPECT_EQ(log.Count(inProgress), static_cast<size_t>(answers));
    // One record per in-progress answer, then the verdict.
    EXPECT_EQ(checks.size(), static_cast<size_t>(answers) + 1);
    if (execute.empty() || checks.size() != static_cast<size_t>(answers) + 1) return -1;

    const double sleep = 0.25;
    const double slack = 0.001;  // timestamps are cut to milliseconds
    EXPECT_LT(checks[0].seconds - execute[0].seconds, sleep) << "a sleep before the first check";
    for (int i = 1; i <= answers; ++i) {
        double gap = checks[i].seconds - checks[i - 1].seconds;
        EXPECT_GE(gap, sleep - slack) << "no sleep after answer " << i;
        EXPECT_LT(gap, 2 * sleep) << "two sleeps after answer " << i;
    }
    double total = checks.back().seconds - execute[0].seconds;
    EXPECT_GE(total, answers * sleep - slack);
    return total;
}

}  // namespace brelta::test
