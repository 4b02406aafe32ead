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
    const int failed = CONNECTION_ERROR_OPERATION_FAILED;
    struct Case {
        const char* content;
        int status;
        bool answer;
    } cases[] = {{"1", 0, true},      {"0\n", 0, false},      {" 1 \r\n", 0, true},
                 {"", failed, false}, {"yes", failed, false}, {"10", failed, false}};
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
    const std::string up = Route("00000000", "0003", "00000000");
    struct Case {
        const char* name;
        std::string table;
        A answer;
    } cases[] = {
        {"up default route", kHeader + up, A::Yes},
        {"after another route",
         kHeader + Route("000200C0", "0001", "00FFFFFF") + Route("00000000", "0001", "00000000"),
         A::Yes},
        {"header only", kHeader, A::No},
        {"default route down", kHeader + Route("00000000", "0002", "00000000"), A::No},
        {"0.0.0.0/8", kHeader + Route("00000000", "0003", "000000FF"), A::No},
        {"bad lines", kHeader + "eth0 zz 0 0003 0 0 0 00000000\ntruncated\n", A::No},
        {"no header", "garbage\n" + up, A::Unknown},
        {"empty", "", A::Unknown},
    };
    for (const Case& c : cases) EXPECT_EQ(Gateway::FromRouteTable(c.table), c.answer) << c.name;
}

TEST_F(NetworkPlatformTest, GatewayCheckFollowsItsScriptThenAnswers) {
    root->Write("network/default_gateway", "1");
    root->Fault("connection_profile_check_default_gateway", "-115 -5");
    ReloadFaults();
    bool answer = false;
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), -115);
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), -5);
    EXPECT_FALSE(answer) << "a scripted answer leaves the flag alone";
    EXPECT_EQ(connection_profile_check_default_gateway(&answer), 0);
    EXPECT_TRUE(answer);
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
