// The host's packet capture behind the capture calls of the network extension.
#include <gtest/gtest.h>

#include <net_connection.h>
#include <ostra_network.h>

#include <string>

#include "HostFixture.h"
#include "PacketCapture.h"

using brelta::host::PacketCapture;
using brelta::test::HostFixture;

namespace {

const char kCaptureFile[] = "opt/usr/data/network/tcpdump-[time].pcap";

class PacketCaptureTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        ASSERT_EQ(connection_create(&handle), 0);
    }
    void TearDown() override {
        connection_destroy(handle);
        HostFixture::TearDown();
    }
    int State() {
        int state = -1;
        EXPECT_EQ(connection_profile_get_tcpdump_state(handle, &state), 0);
        return state;
    }
    connection_h handle = nullptr;
};

TEST_F(PacketCaptureTest, StartAndStopLeaveTheStateAndAValidCapture) {
    EXPECT_EQ(State(), 0) << "nothing ran yet";
    ASSERT_EQ(connection_profile_start_tcpdump(handle), 0);
    EXPECT_EQ(State(), 1);
    ASSERT_EQ(connection_profile_stop_tcpdump(handle), 0);
    EXPECT_EQ(root->Read("network/tcpdump"), "stopped");
    EXPECT_EQ(State(), 0);
    const std::string capture = root->Read(kCaptureFile);
    ASSERT_EQ(capture.size(), 24u);
    EXPECT_EQ(capture.substr(0, 4), "\xd4\xc3\xb2\xa1");
    EXPECT_EQ(capture.substr(20, 4), std::string("\x01\x00\x00\x00", 4)) << "Ethernet";

    // Any pcap flavour is kept, however large (the export limit is the tool's matter); anything
    // else is replaced by an empty capture.
    const std::string big = std::string("\x4d\x3c\xb2\xa1", 4) + std::string(2 << 20, 'p');
    const std::string junk = std::string("\xd4\xc3\xb2\xa1 short", 10);
    for (const std::string& before : {big, junk}) {
        root->Write(kCaptureFile, before);
        ASSERT_EQ(connection_profile_stop_tcpdump(handle), 0);
        EXPECT_EQ(root->Read(kCaptureFile), before == big ? big : PacketCapture::EmptyCapture());
    }
}

TEST_F(PacketCaptureTest, ScriptedResultsAndUnknownHandlesHaveNoEffect) {
    connection_h released = nullptr;
    ASSERT_EQ(connection_create(&released), 0);
    ASSERT_EQ(connection_destroy(released), 0);
    EXPECT_EQ(connection_profile_start_tcpdump(released), CONNECTION_ERROR_INVALID_PARAMETER);

    root->Fault("connection_profile_start_tcpdump", "-38 0");
    root->Fault("connection_profile_get_tcpdump_state", "5");
    root->Fault("connection_profile_stop_tcpdump", "-1");
    ReloadFaults();
    EXPECT_EQ(connection_profile_start_tcpdump(handle), -38);
    EXPECT_FALSE(root->Exists("network/tcpdump"));
    EXPECT_EQ(connection_profile_start_tcpdump(handle), 0) << "a scripted 0 does the work";
    int state = -1;
    EXPECT_EQ(connection_profile_get_tcpdump_state(handle, &state), 5);
    EXPECT_EQ(state, -1);
    EXPECT_EQ(connection_profile_stop_tcpdump(handle), -1);
    EXPECT_EQ(root->Read("network/tcpdump"), "running");
    EXPECT_FALSE(root->Exists(kCaptureFile));
}

}  // namespace
