// What the live services decide without the machine: the journal's datagram, the default route
// in the kernel's route tables, the choice of live services. The cases that run these for real
// need root; these run anywhere.
#include <gtest/gtest.h>

#include <dlog.h>

#include <cstdio>
#include <cstdlib>

#include "HostFixture.h"
#include "Services.h"
#include "base/RouteTable.h"
#include "log/JournalLog.h"

using namespace std::string_literals;
using brelta::host::JournalLog;
using brelta::host::RouteTable;
using brelta::host::Service;
using brelta::host::Services;

namespace {

using LiveServices = brelta::test::HostFixture;

TEST_F(LiveServices, JournalEntriesAreTheNativeProtocolsBytes) {
    const std::pair<JournalLog::Fields, std::string> datagrams[] = {
        {{{"MESSAGE", "hello"}}, "MESSAGE=hello\n"},
        {{{"CODE_FUNC", ""}}, "CODE_FUNC=\n"},
        // A line break makes the value binary: the name, a line break, the 64-bit length.
        {{{"MESSAGE", "a\nb"}}, "MESSAGE\n\x03\0\0\0\0\0\0\0a\nb\n"s},
        {{{"PRIORITY", "6"}, {"M", "\n" + std::string(299, 'y')}},
         "PRIORITY=6\nM\n\x2c\x01\0\0\0\0\0\0\n"s + std::string(299, 'y') + "\n"},
    };
    for (const auto& [fields, bytes] : datagrams)
        EXPECT_EQ(JournalLog::Datagram(fields), bytes) << fields.front().first;

    auto entry = [&](int buffer, int priority, const std::string& message) {
        std::string text;
        for (const auto& [name, value] : JournalLog::EntryFields(buffer, priority, "T", message))
            text += (text.empty() ? "" : "|") + name + "=" + value;
        return text;
    };
    const std::string rootField = "BRELTA_DEVICE_ROOT=" + root->Path();
    EXPECT_EQ(entry(LOG_ID_MAIN, DLOG_WARN, "CTCPDumpTask.cpp: Execute(45) > go"),
              "MESSAGE=CTCPDumpTask.cpp: Execute(45) > go|PRIORITY=4|SYSLOG_IDENTIFIER=T|"
              "CODE_FILE=CTCPDumpTask.cpp|CODE_LINE=45|CODE_FUNC=Execute|" +
                  rootField + "|BRELTA_LOG_BUFFER=main|BRELTA_LOG_PRIORITY=W");
    EXPECT_EQ(entry(LOG_ID_SYSTEM, DLOG_FATAL, "no prefix"),
              "MESSAGE=no prefix|PRIORITY=2|SYSLOG_IDENTIFIER=T|" + rootField +
                  "|BRELTA_LOG_BUFFER=system|BRELTA_LOG_PRIORITY=F");
    std::string levels;
    for (int priority : {DLOG_VERBOSE, DLOG_DEBUG, DLOG_INFO, DLOG_WARN, DLOG_ERROR, DLOG_FATAL})
        levels += std::to_string(JournalLog::SyslogLevel(priority));
    EXPECT_EQ(levels, "776432");
}

// The kernel's own texts (this machine's, and network namespaces' after the `ip` commands
// named), but for the route that is not up: the kernel prints every IPv4 route up.
TEST_F(LiveServices, TheDefaultRouteIsTheFirstToTheWholeSpaceThatIsUpAndNoReject) {
    const std::string heading =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
    const char* notATable = "(not a table)";
    const std::pair<std::string, const char*> ipv4[] = {
        {heading + "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n" +
             "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n",
         "eth0"},
        {heading, ""},
        {heading + "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n", "lo"},  // dev lo
        {heading + "*\t00000000\t00000000\t0201\t0\t0\t0\t00000000\t0\t0\t0\n", ""},  // unreachable
        {heading + "lo\t00000000\t00000000\t0000\t0\t0\t0\t00000000\t0\t0\t0\n", ""},  // not up
        // 0.0.0.0/8 dev v1, then default dev v0 metric 5.
        {heading + "v1\t00000000\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n" +
             "v0\t00000000\t00000000\t0001\t0\t0\t5\t00000000\t0\t0\t0\n",
         "v0"},
        {heading + "lo\t0000zzzz\t00000000\t0001\t0\t0\t0\t00000000\n" +
             "lo\t00000000\t00000000\t0001\n",
         ""},
        {"lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n", notATable},
    };
    for (const auto& [table, expected] : ipv4) {
        std::string iface = "?";
        EXPECT_EQ(RouteTable::Ipv4Default(table, &iface) ? iface : notATable, expected) << table;
    }

    // This machine's: default via fd00::1, and the kernel's unreachable default through lo.
    const char* machine6 = R"(
fd000000000000000000000000000000 40 00000000000000000000000000000000 00 00000000000000000000000000000000 00000100 00000001 00000000 00000001     eth0
fe800000000000000000000000000000 40 00000000000000000000000000000000 00 00000000000000000000000000000000 00000100 00000002 00000000 00000001     eth0
00000000000000000000000000000000 00 00000000000000000000000000000000 00 fd000000000000000000000000000001 00000400 00000003 00000000 00000003     eth0
00000000000000000000000000000001 80 00000000000000000000000000000000 00 00000000000000000000000000000000 00000000 00000004 00000000 80200001       lo
fd000000000000000000000000000002 80 00000000000000000000000000000000 00 00000000000000000000000000000000 00000000 00000003 00000000 80200001     eth0
fe8000000000000000fc00fffe000001 80 00000000000000000000000000000000 00 00000000000000000000000000000000 00000000 00000002 00000000 80200001     eth0
ff000000000000000000000000000000 08 00000000000000000000000000000000 00 00000000000000000000000000000000 00000100 00000003 00000000 00000001     eth0
00000000000000000000000000000000 00 00000000000000000000000000000000 00 00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo
)";
    // A fresh namespace after `ip -6 route add default dev lo`, which the kernel makes a reject
    // route too.
    const char* lo6 = R"(
00000000000000000000000000000000 00 00000000000000000000000000000000 00 00000000000000000000000000000000 00000400 00000001 00000000 00200200       lo
00000000000000000000000000000001 80 00000000000000000000000000000000 00 00000000000000000000000000000000 00000000 00000002 00000000 80200001       lo
00000000000000000000000000000000 00 00000000000000000000000000000000 00 00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo
)";
    // `ip -6 route add ::/8 dev v1`, then `... default dev v0 metric 5`.
    const char* veth6 = R"(
00000000000000000000000000000000 08 00000000000000000000000000000000 00 00000000000000000000000000000000 00000400 00000001 00000000 00000001       v1
fd090000000000000000000000000000 40 00000000000000000000000000000000 00 00000000000000000000000000000000 00000100 00000001 00000000 00000001       v0
00000000000000000000000000000000 00 00000000000000000000000000000000 00 00000000000000000000000000000000 00000005 00000001 00000000 00000001       v0
00000000000000000000000000000000 00 00000000000000000000000000000000 00 00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo
)";
    const std::pair<std::string, const char*> ipv6[] = {
        {machine6, "eth0"},
        {lo6, ""},
        {veth6, "v0"},
        {"garbage\n", ""},
    };
    for (const auto& [table, expected] : ipv6)
        EXPECT_EQ(RouteTable::Ipv6Default(table), expected) << table;
}

TEST_F(LiveServices, BreltaLiveChoosesWhenSetEvenEmptyElseTheFile) {
    struct Row {
        const char* env;   // nullptr: unset
        const char* file;  // nullptr: no $ROOT/live
        const char* live;
    };
    const char* all = "log toast launch capture gateway usb";
    const Row rows[] = {
        {nullptr, nullptr, ""},
        {nullptr, "log\ngateway\n", "log gateway"},
        {nullptr, "usb, toast frob\n\n", "toast usb"},
        {nullptr, "all\n", all},
        {"", "log\ngateway\n", ""},
        {"log,gateway usb\ttoast", "capture", "log toast gateway usb"},
        {"frob,,launch,all-x", "usb", "launch"},
        {"frob,all", nullptr, all},
    };
    for (const Row& row : rows) {
        std::remove((*root / "live").c_str());
        if (row.file) root->Write("live", row.file);
        if (row.env)
            setenv("BRELTA_LIVE", row.env, 1);
        else
            unsetenv("BRELTA_LIVE");
        Services::Reset();
        std::string live;
        for (Service service : Services::All())
            if (Services::IsLive(service))
                live += (live.empty() ? "" : " ") + std::string(Services::Name(service));
        EXPECT_EQ(live, row.live) << (row.env ? row.env : "(unset)") << " / "
                                  << (row.file ? row.file : "(no file)");
    }
    unsetenv("BRELTA_LIVE");
    Services::Reset();
}

}  // namespace
