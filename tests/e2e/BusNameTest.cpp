// The command id as a well-known name on a private system bus, started for the test.
#include <gtest/gtest.h>

#include <gio/gio.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "LogRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::MonotonicSeconds;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;

namespace {

// A dbus-daemon of the test's own, configured like a system bus that lets anyone own a name.
class PrivateBus {
public:
    explicit PrivateBus(const TempDeviceRoot& dir) {
        m_Address = "unix:path=" + dir / "bus.socket";
        dir.Write("bus.conf",
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                  "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig><type>system</type><listen>" +
                      m_Address +
                      "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                      "<allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
                      "<allow receive_sender=\"*\"/></policy></busconfig>\n");
        std::string config = dir / "bus.conf";
        m_Pid = fork();
        if (m_Pid == 0) {
            execlp("dbus-daemon", "dbus-daemon", "--nofork", "--nopidfile",
                   ("--config-file=" + config).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        std::string socket = dir / "bus.socket";
        // A loaded machine can take seconds to start the daemon.
        for (int i = 0; i < 2000 && access(socket.c_str(), F_OK) != 0; ++i) usleep(10000);
        m_Connection = g_dbus_connection_new_for_address_sync(
            m_Address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
    }
    ~PrivateBus() {
        if (m_Connection != nullptr) g_object_unref(m_Connection);
        kill(m_Pid, SIGTERM);
        waitpid(m_Pid, nullptr, 0);
    }
    bool Up() const { return m_Connection != nullptr; }
    const std::string& Address() const { return m_Address; }

    bool HasOwner(const std::string& name) {
        GVariant* reply = g_dbus_connection_call_sync(
            m_Connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"),
            G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
        if (reply == nullptr) return false;
        gboolean owned = FALSE;
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
        return owned;
    }

private:
    pid_t m_Pid = 0;
    std::string m_Address;
    GDBusConnection* m_Connection = nullptr;
};

TEST(BusName, TheCommandIdIsOwnedWhileTheToolRunsAndReleasedAfter) {
    TempDeviceRoot root;
    PrivateBus bus(root);
    ASSERT_TRUE(bus.Up()) << "dbus-daemon did not start";
    const std::string id = "brelta.keycombination.ndf";
    ToolRun run(root);
    run.Env("DBUS_SYSTEM_BUS_ADDRESS", bus.Address());
    run.Start({id});
    bool owned = false;
    for (double end = MonotonicSeconds() + 4.5; !owned && MonotonicSeconds() < end; usleep(20000))
        owned = bus.HasOwner(id);
    RunResult r = run.Wait(30);
    EXPECT_TRUE(owned) << "the id was not owned while the tool ran";
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_GE(r.seconds, 4.0);
    EXPECT_FALSE(bus.HasOwner(id)) << "the name outlived the process";
}

TEST(BusName, NoBusAtAllIsANormalRun) {
    TempDeviceRoot root;
    RunResult r = ToolRun(root).Unset("DBUS_SYSTEM_BUS_ADDRESS").Run({"brelta.keycombination.x"});
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    LogRecords log = LogRecords::Load(root / "log/system");
    EXPECT_NE(log.Find("own bus brelta.keycombination.x"), nullptr);
    EXPECT_NE(log.Find("work finish!! exit!!"), nullptr);
}

}  // namespace
