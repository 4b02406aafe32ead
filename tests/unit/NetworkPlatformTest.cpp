// The host's default-gateway answer from a routing table, which a run cannot choose: it reads
// the machine's own.
#include <gtest/gtest.h>

#include "Gateway.h"

using brelta::host::Gateway;

namespace {

std::string Route(const char* destination, const char* flags, const char* mask) {
    return std::string("eth0\t") + destination + "\t010200C0\t" + flags + "\t0\t0\t0\t" + mask +
           "\t0\t0\t0\n";
}

TEST(NetworkPlatform, OnlyAnUpDefaultRouteIsAGateway) {
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
}

}  // namespace
