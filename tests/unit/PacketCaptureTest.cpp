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

TEST_F(PacketCaptureTest, StartAndStopLeaveTheStateAndAnEmptyCapture) {
    EXPECT_EQ(State(), 0) << "nothing ran yet";
    ASSERT_EQ(connection_profile_start_tcpdump(handle), 0);
    EXPECT_EQ(root->Read("network/tcpdump"), "running");
    EXPECT_EQ(State(), 1);
    ASSERT_EQ(connection_profile_stop_tcpdump(handle), 0);
    EXPECT_EQ(root->Read("network/tcpdump"), "stopped");
    EXPECT_EQ(State(), 0);
    const std::string capture = root->Read(kCaptureFile);
    ASSERT_EQ(capture.size(), 24u);
    EXPECT_EQ(capture.substr(0, 4), "\xd4\xc3\xb2\xa1");
    EXPECT_EQ(capture.substr(20, 4), std::string("\x01\x00\x00\x00", 4)) << "Ethernet";

    // The state is read from the file, whoever wrote it.
    root->Write("network/tcpdump", "running\n");
    EXPECT_EQ(State(), 1);
}

TEST_F(PacketCaptureTest, StopKeepsAValidCaptureAndReplacesAnythingElse) {
    // Any pcap flavour is kept, however large; the export limit is the tool's matter.
    for (const std::string& kept : {std::string("\x4d\x3c\xb2\xa1", 4) + std::string(2 << 20, 'p'),
                                    std::string("\xa1\xb2\xc3\xd4", 4) + std::string(20, '\0')}) {
        root->Write(kCaptureFile, kept);
        ASSERT_EQ(connection_profile_stop_tcpdump(handle), 0);
        EXPECT_EQ(root->Read(kCaptureFile), kept);
    }
    for (const std::string& junk : {std::string("not a capture, but long enough to look like one"),
                                    std::string("\xd4\xc3\xb2\xa1 short", 10)}) {
        root->Write(kCaptureFile, junk);
        ASSERT_EQ(connection_profile_stop_tcpdump(handle), 0);
        EXPECT_EQ(root->Read(kCaptureFile), PacketCapture::EmptyCapture());
    }
}

TEST_F(PacketCaptureTest, ScriptedResultsAndUnknownHandlesHaveNoEffect) {
    connection_h released = nullptr;
    ASSERT_EQ(connection_create(&released), 0);
    ASSERT_EQ(connection_destroy(released), 0);
    EXPECT_EQ(connection_profile_start_tcpdump(released), CONNECTION_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(connection_profile_stop_tcpdump(nullptr), CONNECTION_ERROR_INVALID_PARAMETER);

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
    // Past the end of the scripts everything works normally.
    EXPECT_EQ(State(), 1);
    EXPECT_EQ(connection_profile_stop_tcpdump(handle), 0);
    EXPECT_TRUE(PacketCapture::IsPcapFile(*root / kCaptureFile));
}

}  // namespace
