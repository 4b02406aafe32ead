// The host's default-gateway answer: from a routing table, which a run cannot choose (it reads
// the machine's own), or from the file that stands in for it.
#include <gtest/gtest.h>

#include "network/Gateway.h"
#include "HostFixture.h"

using brelta::host::Gateway;

namespace {

std::string Route(const char* destination, const char* flags, const char* mask) {
    return std::string("eth0\t") + destination + "\t010200C0\t" + flags + "\t0\t0\t0\t" + mask +
           "\t0\t0\t0\n";
}

using NetworkPlatform = brelta::test::HostFixture;

TEST_F(NetworkPlatform, OnlyAnUpDefaultRouteIsAGatewayAndTheFileSaysOneOrZero) {
    using A = Gateway::Answer;
    const std::string header =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT  \n";
    const std::string up = Route("00000000", "0003", "00000000");
    const std::pair<std::string, A> tables[] = {
        {header + up, A::Yes},
        {header + Route("000200C0", "0001", "00FFFFFF") + Route("00000000", "0001", "00000000"),
         A::Yes},
        {header, A::No},
        {header + Route("00000000", "0002", "00000000"), A::No},  // down
        {header + Route("00000000", "0003", "000000FF"), A::No},  // 0.0.0.0/8
        {header + "eth0 zz 0 0003 0 0 0 00000000\ntruncated\n", A::No},
        {"garbage\n" + up, A::Unknown},
        {"", A::Unknown},
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
