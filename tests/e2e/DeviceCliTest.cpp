// brelta-device run against temporary device roots: what it writes must be what the platform
// reads, and what it prints must be what the platform wrote.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

#include <usb_device.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "DeviceRoot.h"
#include "Faults.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;
using Args = std::vector<std::string>;

namespace {

const std::string kCli = BRELTA_DEVICE_CLI_PATH;

RunResult Cli(const TempDeviceRoot& root, const Args& args) {
    return ToolRun(root, kCli).Run(args, 10);
}

// The words of a command line, split at blanks.
Args Words(const std::string& line) {
    Args args;
    std::istringstream words(line);
    for (std::string word; std::getline(words, word, ' ');) args.push_back(word);
    return args;
}

// Points this process's platform at the root, to read what the CLI wrote as the tool would.
void UseRoot(const TempDeviceRoot& root) {
    setenv("BRELTA_DEVICE_ROOT", root.Path().c_str(), 1);
    brelta::host::DeviceRoot::Reset();
    brelta::host::Faults::Reset();
}

// Lines of $ROOT/<relative> once `done` holds for them, polling for up to ten seconds.
template <typename Done>
std::vector<std::string> LinesWhen(const TempDeviceRoot& root, const std::string& relative,
                                   Done done) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) {
        std::string text = root.Read(relative);
        lines.clear();
        for (std::string::size_type start = 0, end;
             (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        if (done(lines)) break;
        usleep(50 * 1000);
    }
    return lines;
}

// The CLI in the background through a shell, its standard output in $OUT/<name>.
void StartCli(ToolRun& run, const TempDeviceRoot& out, const std::string& name,
              const std::string& args) {
    run.Start({"-c", "exec '" + kCli + "' " + args + " > '" + (out / name) + "'"});
}

// A journal post line as the notification service writes it.
std::string Post(int id, long pid, const std::string& title, const std::string& buttons = "") {
    return "{\"op\":\"post\",\"id\":" + std::to_string(id) + ",\"pid\":" + std::to_string(pid) +
           ",\"type\":0,\"title\":\"" + title +
           "\",\"content\":\"text\",\"image\":null,\"buttons\":[" + buttons +
           "],\"default_button\":1,\"display_applist\":16,\"layout\":1,\"hide_timeout\":60}\n";
}

TEST(DeviceCli, UsageErrorsExitTwoAndChangeNothing) {
    TempDeviceRoot root;
    root.SetSetting("a/key", "int", "3");
    RunResult help = Cli(root, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"settings watch", "usb attach", "toast press", "fault set",
                             "log [main|system]", "launches", "reset", root.Path().c_str()})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    // clang-format off
    const char* const bad[] = {  // words split at blanks
        "", "frobnicate", "settings", "settings frob", "launches extra", "reset --force",
        "settings set a/key integer 1", "settings set a/key bool 2", "settings set a/key int 1.5",
        "settings set a/key int 9999999999", "settings set ../escape int 1",
        "settings set a//b int 1", "settings set a/key int", "settings watch",
        "fault set vconf_get_int", "fault set vconf_get_int 1 x",
        "fault set vconf_get_int 4294967296", "fault set ../settings/x 1",
        "usb attach relative/path", "usb attach /a\tb", "usb attach /a two\nlines",
        "toast press 5 3", "toast press x 1", "toast hide", "log radio", "log main system"};
    // clang-format on
    for (const char* line : bad) {
        RunResult r = Cli(root, Words(line));
        EXPECT_EQ(r.exitCode, 2) << line << ": " << r.err;
        EXPECT_EQ(r.err.rfind("brelta-device: ", 0), 0u) << line << ": " << r.err;
        EXPECT_EQ(r.out, "") << line;
    }
    EXPECT_EQ(root.Setting("a/key"), "int 3\n");
    for (const char* made : {"escape", "faults", "usb", "settings/x"})
        EXPECT_FALSE(root.Exists(made)) << made;
}

TEST(DeviceCli, FailuresExitOneWithTheReason) {
    TempDeviceRoot root;
    root.Write("settings/db/broken", "int twelve\n");
    root.Write("settings/a", "a file where a directory should be");
    ASSERT_EQ(Cli(root, {"usb", "attach", root / "usb0"}).exitCode, 0);
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    root.Write("notifications/journal",
               Post(3, gone, "left behind", "{\"button\":1,\"text\":\"OK\",\"image\":null}") +
                   Post(4, getpid(), "was hidden") +
                   "{\"op\":\"event\",\"id\":4,\"pid\":1,\"event\":101}\n" +
                   Post(5, getpid(), "still here"));
    const std::pair<std::string, std::string> cases[] = {
        {"settings get db/none", "no key db/none"},
        {"settings get db/broken", "db/broken is not a valid setting"},
        {"settings set a/b int 1", "cannot write " + root / "settings/a/b"},
        {"fault clear vconf_get_int", "no script for vconf_get_int"},
        {"usb attach " + root / "usb0", "is already attached"},
        {"usb detach /media/none", "/media/none is not attached"},
        {"toast press 3 1", "which has ended"},
        {"toast hide 4", "notification 4 is not on screen"},
        {"toast press 5 2", "notification 5 has no button 2"},
    };
    for (const auto& [line, error] : cases) {
        RunResult r = Cli(root, Words(line));
        EXPECT_EQ(r.exitCode, 1) << line << ": " << r.err;
        EXPECT_NE(r.err.find(error), std::string::npos) << line << ": " << r.err;
    }
    // Only the toast of a live process that nobody hid is on screen, and nothing was pressed.
    RunResult list = Cli(root, {"toast", "list"});
    EXPECT_NE(list.out.find("still here"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("left behind"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("was hidden"), std::string::npos) << list.out;
    EXPECT_FALSE(root.Exists("notifications/input/3"));
}

TEST(DeviceCli, SettingsAreWrittenAndReadInTheStoreFormat) {
    TempDeviceRoot root;
    const Args sets[] = {{"memory/Brelta/tcpdump_running_status", "int", "-7"},
                         {"db/menu/network/eu_wifi_reg_test_mode", "bool", "1"},
                         {"db/menu_widget/language", "string", " en US "},
                         {"db/x/ratio", "double", "0.5"}};
    for (const Args& set : sets) {
        EXPECT_EQ(Cli(root, {"settings", "set", set[0], set[1], set[2]}).exitCode, 0) << set[0];
        EXPECT_EQ(root.Setting(set[0]), set[1] + " " + set[2] + "\n");
    }
    EXPECT_EQ(Cli(root, {"settings", "get", "db/menu_widget/language"}).out, " en US \n");
    // Files written by hand, as a person with echo would, read the same.
    root.SetSetting("db/menu_widget/regionformat", "string", "de_DE.UTF-8");
    root.Write("settings/db/broken", "int twelve\n");
    EXPECT_EQ(Cli(root, {"settings", "list", "db/"}).out,
              "db/broken (not a valid setting)\n"
              "db/menu/network/eu_wifi_reg_test_mode bool 1\n"
              "db/menu_widget/language string  en US \n"
              "db/menu_widget/regionformat string de_DE.UTF-8\n"
              "db/x/ratio double 0.5\n");
}

TEST(DeviceCli, SettingsWatchPrintsEachChangeOfItsKeys) {
    TempDeviceRoot root, out;
    ToolRun watch(root, "/bin/sh");
    StartCli(watch, out, "watched", "settings watch db/a/lang db/b/mode");
    // Written until the watch shows it: the watch has registered by then.
    auto lines = LinesWhen(out, "watched", [&](auto& l) {
        if (l.empty()) Cli(root, {"settings", "set", "db/a/lang", "string", "first"});
        return !l.empty();
    });
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "db/a/lang string first");
    ASSERT_EQ(Cli(root, {"settings", "set", "db/other/key", "int", "1"}).exitCode, 0);
    ASSERT_EQ(Cli(root, {"settings", "set", "db/b/mode", "double", "0.1"}).exitCode, 0);
    root.Write("settings/db/a/lang", "string en US\n");  // in place, as echo would
    root.Write("settings/db/b/mode", "bool 7\n");
    // The first value may have been written more than once before the watch showed it.
    auto changes = [](std::vector<std::string> l) {
        l.erase(std::remove(l.begin(), l.end(), "db/a/lang string first"), l.end());
        return l;
    };
    lines = LinesWhen(out, "watched", [&](auto& l) { return changes(l).size() >= 3; });
    EXPECT_EQ(changes(lines),
              (std::vector<std::string>{"db/b/mode double 0.1", "db/a/lang string en US",
                                        "db/b/mode (not a valid setting)"}));
}

TEST(DeviceCli, FaultScriptsAreTheOnesThePlatformTakes) {
    TempDeviceRoot root;
    EXPECT_EQ(Cli(root, {"fault", "set", "vconf_get_int", "5", "0", "-115", "0x10"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"fault", "set", "notification_create", "1"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"fault", "list"}).out,
              "notification_create: 1\nvconf_get_int: 5 0 -115 16\n");
    UseRoot(root);
    std::vector<int> taken;
    int value = 0;
    while (brelta::host::Faults::Next("vconf_get_int", &value)) taken.push_back(value);
    EXPECT_EQ(taken, (std::vector<int>{5, 0, -115, 16}));

    EXPECT_EQ(Cli(root, {"fault", "clear", "vconf_get_int"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"fault", "list"}).out, "notification_create: 1\n");
    EXPECT_EQ(Cli(root, {"fault", "clear"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"fault", "list"}).out, "");
}

TEST(DeviceCli, UsbDevicesAttachedAreTheOnesTheServiceLists) {
    TempDeviceRoot root;
    EXPECT_EQ(Cli(root, {"usb", "attach", root / "usb0", "Flash Disk 32G"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"usb", "attach", "/media/usb1"}).exitCode, 0);
    EXPECT_EQ(root.Read("usb/devices"),
              root / "usb0" + "\tFlash Disk 32G\n/media/usb1\tUSB Storage\n");
    UseRoot(root);
    ASSERT_EQ(usb_get_connected_device_number(USB_DEVICE_TYPE_STORAGE), 2);
    usb_device_list_h list = nullptr;
    usb_device_h first = nullptr;
    ASSERT_EQ(usb_device_get_device_list(USB_DEVICE_TYPE_STORAGE, &list), 0);
    ASSERT_EQ(usb_device_list_get_first(list, &first), 0);
    EXPECT_STREQ(usb_device_get_mountpath(first), (root / "usb0").c_str());
    EXPECT_STREQ(usb_device_get_product(first), "Flash Disk 32G");
    usb_device_free_device_list(list);

    EXPECT_EQ(Cli(root, {"usb", "detach", root / "usb0"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"usb", "list"}).out, "/media/usb1\tUSB Storage\n");
    EXPECT_EQ(usb_get_connected_device_number(USB_DEVICE_TYPE_STORAGE), 1);
}

TEST(DeviceCli, ToastHideReachesThePostingProcess) {
    TempDeviceRoot root;
    ToolRun peer(root, std::string(BRELTA_HELPER_DIR) + "/notification_peer");
    peer.Start({"peer toast", "0", "20"});
    LinesWhen(root, "notifications/journal", [](auto& l) { return !l.empty(); });
    RunResult hide = Cli(root, {"toast", "hide", "1"});
    EXPECT_EQ(hide.exitCode, 0) << hide.err;
    RunResult got = peer.Wait(20);
    EXPECT_EQ(got.exitCode, 0);
    EXPECT_EQ(got.out, "event 100\n");
    EXPECT_EQ(Cli(root, {"toast", "list"}).out, "");
}

#if __has_include("../../test-tool/src/CTCPDumpTask.h")
TEST(DeviceCli, ToastOfTheToolIsListedAndItsButtonPressed) {
    TempDeviceRoot root;
    ToolRun tool(root);
    tool.Start({"brelta.keycombination.tcpdumpstart"});
    LinesWhen(root, "notifications/journal", [](auto& l) { return !l.empty(); });
    RunResult list = Cli(root, {"toast", "list"});
    for (const char* part :
         {"TCP Dump tool", "tcp dump and ts dump start successfully", "[>OK<]", "notification 1"})
        EXPECT_NE(list.out.find(part), std::string::npos) << part << "\n" << list.out;
    RunResult press = Cli(root, {"toast", "press", "1", "1"});
    EXPECT_EQ(press.exitCode, 0) << press.err;
    auto journal = LinesWhen(root, "notifications/journal", [](auto& l) { return l.size() >= 2; });
    ASSERT_GE(journal.size(), 2u);
    EXPECT_NE(journal[1].find("\"op\":\"event\",\"id\":1"), std::string::npos) << journal[1];
    EXPECT_NE(journal[1].find("\"event\":0"), std::string::npos) << journal[1];
    EXPECT_EQ(tool.Wait(20).exitCode, 0);
}
#endif

// Records as the log writer makes them, with a chosen time.
std::string Record(const std::string& time, const std::string& tag, const std::string& text) {
    return "2026-12-05T13:46:" + time + "Z 42 I/" + tag + ": f.cpp: fn(1) > " + text + "\n";
}

TEST(DeviceCli, LogMergesTheBuffersInTimeOrder) {
    TempDeviceRoot root;
    const std::string s1 = Record("45.100", "BRELTA_TEST_TOOL", "s1"),
                      s2 = Record("45.300", "BRELTA_TEST_TOOL", "s2"),
                      s3 = Record("45.300", "BRELTA_TEST_TOOL", "s3"),
                      m1 = Record("45.200", "BRELTA_LOG", "m1"),
                      m2 = Record("45.300", "BRELTA_LOG", "m2");
    root.Write("log/system", s1 + s2 + s3);
    root.Write("log/main", m1 + m2);
    EXPECT_EQ(Cli(root, {"log"}).out, s1 + m1 + m2 + s2 + s3);
    EXPECT_EQ(Cli(root, {"log", "main"}).out, m1 + m2);
    EXPECT_EQ(Cli(root, {"log", "system"}).out, s1 + s2 + s3);
}

TEST(DeviceCli, LogFollowPrintsRecordsAsTheyComeAndSurvivesAReset) {
    TempDeviceRoot root, out;
    ToolRun follow(root, "/bin/sh");
    StartCli(follow, out, "followed", "log system -f");
    usleep(200 * 1000);
    RunResult tool = ToolRun(root).Run({"brelta.keycombination.nothing"});
    ASSERT_EQ(tool.exitCode, 0);
    auto ended = [](auto& l) {
        return !l.empty() && l.back().find("work finish!! exit!!") != std::string::npos;
    };
    auto lines = LinesWhen(out, "followed", ended);
    ASSERT_TRUE(ended(lines)) << out.Read("followed");
    EXPECT_EQ(out.Read("followed"), root.Read("log/system"));

    // A reset replaces the buffer file; the follower starts again at the new file's top.
    ASSERT_EQ(Cli(root, {"reset", "--yes"}).exitCode, 0);
    usleep(300 * 1000);
    root.Write("log/system", Record("50.000", "BRELTA_TEST_TOOL", "after reset"));
    size_t before = lines.size();
    lines = LinesWhen(out, "followed", [&](auto& l) { return l.size() > before; });
    ASSERT_EQ(lines.size(), before + 1);
    EXPECT_NE(lines.back().find("after reset"), std::string::npos);
}

TEST(DeviceCli, LaunchesArePrintedOneBlockPerRequest) {
    TempDeviceRoot root;
    root.Write("apps/launches",
               "{\"pid\":12,\"app_id\":\"org.tizen.network-setting\",\"operation\":null,"
               "\"extra\":[[\"page\",\"ndf\"],[\"mode\",\"1\"]],\"result\":0}\n"
               "not json\n"
               "{\"pid\":13,\"app_id\":\"org.tizen.alert\",\"operation\":\"http://x/op\","
               "\"extra\":[],\"result\":-17}\n");
    EXPECT_EQ(Cli(root, {"launches"}).out,
              "#1 pid 12 app org.tizen.network-setting result 0\n"
              "    operation -\n"
              "    extra page = ndf\n"
              "    extra mode = 1\n"
              "#2 pid 13 app org.tizen.alert result -17\n"
              "    operation http://x/op\n");
}

TEST(DeviceCli, ResetEmptiesADeviceRootOnlyWithConsent) {
    TempDeviceRoot root;
    root.SetSetting("a/b", "int", "1");
    root.Write("opt/usr/data/network/tcpdump-1.pcap", "pcap");
    auto reset = [&](const std::string& answer) {
        return ToolRun(root, "/bin/sh")
            .Run({"-c", "printf '" + answer + "' | '" + kCli + "' reset"});
    };
    for (const char* no : {"n\\n", ""}) {  // the end of the input is a no
        RunResult declined = reset(no);
        EXPECT_EQ(declined.exitCode, 1) << no;
        EXPECT_NE(declined.err.find("Empty the device root " + root.Path() + "? [y/N]"),
                  std::string::npos);
    }
    EXPECT_TRUE(root.Exists("settings/a/b"));
    EXPECT_EQ(reset("y\\n").exitCode, 0);
    EXPECT_FALSE(root.Exists("settings"));
    EXPECT_FALSE(root.Exists("opt"));
    EXPECT_TRUE(root.Exists(""));

    TempDeviceRoot home;
    home.Write("Documents/letter.txt", "dear");
    RunResult refused = Cli(home, {"reset", "--yes"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("does not look like a device root (it holds Documents)"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(home.Read("Documents/letter.txt"), "dear");
}

}  // namespace
