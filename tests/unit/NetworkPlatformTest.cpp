// The host's default-gateway check and Wi-Fi module power.
#include <gtest/gtest.h>
#include <ostra_network.h>
#include <unistd.h>

#include "Gateway.h"
#include "HostFixture.h"

using brelta::host::Gateway;
using brelta::test::HostFixture;

namespace {

const std::string kHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT  \n";

std::string Route(const char* dest, const char* flags, const char* mask) {
    return std::string("eth0\t") + dest + "\t010200C0\t" + flags + "\t0\t0\t0\t" + mask +
           "\t0\t0\t0\n";
}

using NetworkPlatformTest = HostFixture;

TEST_F(NetworkPlatformTest, OverrideFileAnswersAndAnythingElseInItIsAFault) {
    const std::string routes = *root / "routes";
    root->Write("routes", kHeader + Route("00000000", "0003", "00000000"));
    struct Case {
        const char* content;
        int status;
        bool answer;
    } cases[] = {{"1", 0, true},
                 {"0\n", 0, false},
                 {" 1 \r\n", 0, true},
                 {"", CONNECTION_ERROR_OPERATION_FAILED, false},
                 {"yes", CONNECTION_ERROR_OPERATION_FAILED, false},
                 {"10", CONNECTION_ERROR_OPERATION_FAILED, false}};
    for (const Case& c : cases) {
        root->Write("network/default_gateway", c.content);
        bool answer = !c.answer;
        EXPECT_EQ(Gateway::Check(routes, &answer), c.status) << "'" << c.content << "'";
        if (c.status == 0) {
            EXPECT_EQ(answer, c.answer) << "'" << c.content << "'";
        }
    }
}

TEST_F(NetworkPlatformTest, RoutingTableAnswersOnlyForAnUpDefaultRoute) {
    using A = Gateway::Answer;
    EXPECT_EQ(Gateway::FromRouteTable(kHeader + Route("00000000", "0003", "00000000")), A::Yes);
    EXPECT_EQ(Gateway::FromRouteTable(kHeader + Route("000200C0", "0001", "00FFFFFF") +
                                      Route("00000000", "0001", "00000000")),
              A::Yes);
    EXPECT_EQ(Gateway::FromRouteTable(kHeader), A::No);
    EXPECT_EQ(Gateway::FromRouteTable(kHeader + Route("00000000", "0002", "00000000")), A::No)
        << "a default route that is down";
    EXPECT_EQ(Gateway::FromRouteTable(kHeader + Route("00000000", "0003", "000000FF")), A::No)
        << "0.0.0.0/8 is not a default route";
    EXPECT_EQ(Gateway::FromRouteTable(kHeader + Route("000200C0", "0003", "00FFFFFF")), A::No);
    EXPECT_EQ(Gateway::FromRouteTable(kHeader + "eth0 zz 0 0003 0 0 0 00000000\ntruncated\n"),
              A::No);
    EXPECT_EQ(Gateway::FromRouteTable("garbage\n" + Route("00000000", "0003", "00000000")),
              A::Unknown);
    EXPECT_EQ(Gateway::FromRouteTable(""), A::Unknown);

    // Without an override, Check reads the table it is given; one it cannot read is a fault.
    root->Write("routes", kHeader + Route("00000000", "0003", "00000000"));
    bool answer = false;
    EXPECT_EQ(Gateway::Check(*root / "routes", &answer), 0);
    EXPECT_TRUE(answer);
    EXPECT_EQ(Gateway::Check(*root / "missing", &answer), CONNECTION_ERROR_OPERATION_FAILED);
}

TEST_F(NetworkPlatformTest, GatewayCheckFollowsItsScriptThenAnswers) {
    root->Write("network/default_gateway", "1");
    root->Fault("connection_profile_check_default_gateway", "-115 -5 0");
    ReloadFaults();
    bool answer = false;
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), -115);
    EXPECT_FALSE(answer) << "a scripted answer leaves the flag alone";
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), -5);
    EXPECT_FALSE(answer);
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), 0);
    EXPECT_TRUE(answer);
    EXPECT_EQ(connection_profile_check_default_gateway(nullptr),
              CONNECTION_ERROR_INVALID_PARAMETER);
}

TEST_F(NetworkPlatformTest, WifiModuleLowWritesItsStateUnlessScriptedToFail) {
    // A root where the state cannot be written: the service reports it.
    root->Write("network", "a file where the directory should be");
    EXPECT_EQ(wifi_set_module_low(), CONNECTION_ERROR_OPERATION_FAILED);
    ASSERT_EQ(unlink((*root / "network").c_str()), 0);

    root->Fault("wifi_set_module_low", "-3");
    ReloadFaults();
    EXPECT_EQ(wifi_set_module_low(), -3);
    EXPECT_FALSE(root->Exists("network/wifi_module"));
    EXPECT_EQ(wifi_set_module_low(), 0);
    EXPECT_EQ(root->Read("network/wifi_module"), "low");
}

}  // namespace
