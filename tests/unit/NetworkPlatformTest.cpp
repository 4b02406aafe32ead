// The host's default-gateway answer: from a routing table, which a run cannot choose (it reads
// the machine's own), or from the file that stands in for it.
#include <gtest/gtest.h>

#include "network/Gateway.h"
#include "HostFixture.h"

using brelta::host::Gateway;

namespace {

using NetworkPlatform = brelta::test::HostFixture;

TEST_F(NetworkPlatform, TheRouteTableAnswersUnlessTheFileSaysOneOrZero) {
    using A = Gateway::Answer;
    const std::string header =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT  \n";
    const std::string up = "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
    // Which route is the default is RouteTable's (LiveServicesTest); here, the answer it makes.
    const std::pair<std::string, A> tables[] = {
        {header + up, A::Yes},
        {header, A::No},
        {"garbage\n" + up, A::Unknown},
    };
    for (const auto& [table, answer] : tables)
        EXPECT_EQ(Gateway::FromRouteTable(table), answer) << table;

    // The file answers in place of the table; anything but a 0 or a 1 in it fails the check.
    root->Write("routes", header + up);
    const std::pair<const char*, int> files[] = {{"1", 1}, {"0\n", 0},  {" 1 \r\n", 1},
                                                 {"", -1}, {"yes", -1}, {"10", -1}};
    for (const auto& [content, expected] : files) {
        root->Write("network/default_gateway", content);
        bool answer = false;
        EXPECT_EQ(Gateway::Check(*root / "routes", &answer) == 0 ? int(answer) : -1, expected)
            << content;
    }
}

}  // namespace
