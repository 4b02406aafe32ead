// brelta-device run against temporary device roots: what it writes must be what the platform
// reads, and what it prints must be what the platform wrote.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <usb_device.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DeviceRoot.h"
#include "Faults.h"
#include "LogRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;

namespace {

RunResult Cli(const TempDeviceRoot& root, const std::vector<std::string>& args) {
    return ToolRun(root, BRELTA_DEVICE_CLI_PATH).Run(args, 10);
}

// The CLI with `input` on its standard input.
RunResult CliWithInput(const TempDeviceRoot& root, const std::string& input,
                       const std::string& args) {
    std::string command =
        "printf '%s' '" + input + "' | '" + std::string(BRELTA_DEVICE_CLI_PATH) + "' " + args;
    return ToolRun(root, "/bin/sh").Run({"-c", command}, 10);
}

void ExpectUsageError(const RunResult& r, const std::string& what) {
    EXPECT_EQ(r.exitCode, 2) << what << ": " << r.err;
    EXPECT_EQ(r.err.rfind("brelta-device: ", 0), 0u) << what << ": " << r.err;
    EXPECT_EQ(r.out, "") << what;
}

TEST(DeviceCli, HelpListsEveryGroupAndUsageErrorsExitTwo) {
    TempDeviceRoot root;
    RunResult help = Cli(root, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    for (const char* word :
         {"settings get", "settings watch", "usb attach", "toast press", "fault set",
          "log [main|system]", "launches", "reset", root.Path().c_str()})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    RunResult group = Cli(root, {"fault", "--help"});
    EXPECT_EQ(group.exitCode, 0);
    EXPECT_NE(group.out.find("fault clear [FUNCTION]"), std::string::npos);
    EXPECT_EQ(group.out.find("settings"), std::string::npos);

    RunResult none = Cli(root, {});
    ExpectUsageError(none, "no command");
    EXPECT_NE(none.err.find("Try 'brelta-device --help'."), std::string::npos);
    ExpectUsageError(Cli(root, {"frobnicate"}), "unknown group");
    ExpectUsageError(Cli(root, {"settings"}), "group without command");
    ExpectUsageError(Cli(root, {"settings", "frob"}), "unknown command");
    ExpectUsageError(Cli(root, {"launches", "extra"}), "extra word");
    // Usage errors leave the root as it was: nothing is created.
    EXPECT_FALSE(root.Exists("settings"));
}

TEST(DeviceCli, SettingsAreWrittenAndReadInTheStoreFormat) {
    TempDeviceRoot root;
    EXPECT_EQ(Cli(root, {"settings", "set", "memory/Brelta/tcpdump_running_status", "int", "-7"})
                  .exitCode,
              0);
    EXPECT_EQ(Cli(root, {"settings", "set", "db/menu/network/eu_wifi_reg_test_mode", "bool", "1"})
                  .exitCode,
              0);
    EXPECT_EQ(
        Cli(root, {"settings", "set", "db/menu_widget/language", "string", " en US "}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"settings", "set", "db/x/ratio", "double", "0.5"}).exitCode, 0);
    EXPECT_EQ(root.Setting("memory/Brelta/tcpdump_running_status"), "int -7\n");
    EXPECT_EQ(root.Setting("db/menu/network/eu_wifi_reg_test_mode"), "bool 1\n");
    EXPECT_EQ(root.Setting("db/menu_widget/language"), "string  en US \n");

    RunResult get = Cli(root, {"settings", "get", "db/menu_widget/language"});
    EXPECT_EQ(get.exitCode, 0);
    EXPECT_EQ(get.out, " en US \n");

    // A file written by hand, as a person with echo would, reads the same.
    root.SetSetting("db/menu_widget/regionformat", "string", "de_DE.UTF-8");
    root.Write("settings/db/broken", "int twelve\n");
    RunResult list = Cli(root, {"settings", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out,
              "db/broken (not a valid setting)\n"
              "db/menu/network/eu_wifi_reg_test_mode bool 1\n"
              "db/menu_widget/language string  en US \n"
              "db/menu_widget/regionformat string de_DE.UTF-8\n"
              "db/x/ratio double 0.5\n"
              "memory/Brelta/tcpdump_running_status int -7\n");
    EXPECT_EQ(Cli(root, {"settings", "list", "db/menu_widget/"}).out,
              "db/menu_widget/language string  en US \n"
              "db/menu_widget/regionformat string de_DE.UTF-8\n");
    EXPECT_EQ(Cli(root, {"settings", "list", "nothing/"}).out, "");

    RunResult broken = Cli(root, {"settings", "get", "db/broken"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("db/broken is not a valid setting"), std::string::npos);
    RunResult missing = Cli(root, {"settings", "get", "db/none"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "brelta-device: no key db/none\n");
}

TEST(DeviceCli, SettingsThatTheStoreWouldRefuseAreUsageErrors) {
    TempDeviceRoot root;
    root.SetSetting("a/key", "int", "3");
    const std::vector<std::vector<std::string>> bad = {
        {"settings", "set", "a/key", "integer", "1"},
        {"settings", "set", "a/key", "bool", "2"},
        {"settings", "set", "a/key", "int", "1.5"},
        {"settings", "set", "a/key", "int", ""},
        {"settings", "set", "a/key", "int", "9999999999"},
        {"settings", "set", "a/key", "double", "x"},
        {"settings", "set", "../escape", "int", "1"},
        {"settings", "set", "/abs", "int", "1"},
        {"settings", "set", "a//b", "int", "1"},
        {"settings", "set", "a/.hidden", "int", "1"},
        {"settings", "set", "a/key", "int"},
        {"settings", "get"},
        {"settings", "get", "a/key", "b"},
        {"settings", "list", "a", "b"},
        {"settings", "watch"},
    };
    for (const auto& args : bad) ExpectUsageError(Cli(root, args), args.back());
    EXPECT_EQ(root.Setting("a/key"), "int 3\n");
    EXPECT_FALSE(root.Exists("escape"));
}

TEST(DeviceCli, SettingsWriteFailureIsAFailureWithTheReason) {
    TempDeviceRoot root;
    root.Write("settings/a", "a file where a directory should be");
    RunResult r = Cli(root, {"settings", "set", "a/b", "int", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write " + root.Path() + "/settings/a/b"), std::string::npos)
        << r.err;
}

TEST(DeviceCli, FaultScriptsAreTheOnesThePlatformTakes) {
    TempDeviceRoot root;
    EXPECT_EQ(Cli(root, {"fault", "set", "vconf_get_int", "5", "0", "-115", "0x10"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"fault", "set", "notification_create", "1"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"fault", "list"}).out,
              "notification_create: 1\nvconf_get_int: 5 0 -115 16\n");

    // This process reads the script as a process of the tool would.
    setenv("BRELTA_DEVICE_ROOT", root.Path().c_str(), 1);
    brelta::host::DeviceRoot::Reset();
    brelta::host::Faults::Reset();
    std::vector<int> taken;
    int value = 0;
    while (brelta::host::Faults::Next("vconf_get_int", &value)) taken.push_back(value);
    EXPECT_EQ(taken, (std::vector<int>{5, 0, -115, 16}));

    EXPECT_EQ(Cli(root, {"fault", "clear", "vconf_get_int"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"fault", "list"}).out, "notification_create: 1\n");
    RunResult again = Cli(root, {"fault", "clear", "vconf_get_int"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "brelta-device: no script for vconf_get_int\n");
    EXPECT_EQ(Cli(root, {"fault", "clear"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"fault", "list"}).out, "");

    ExpectUsageError(Cli(root, {"fault", "set", "vconf_get_int"}), "no result");
    ExpectUsageError(Cli(root, {"fault", "set", "vconf_get_int", "1", "x"}), "not a number");
    ExpectUsageError(Cli(root, {"fault", "set", "vconf_get_int", "4294967296"}), "too large");
    ExpectUsageError(Cli(root, {"fault", "set", "../settings/x", "1"}), "path as a name");
    ExpectUsageError(Cli(root, {"fault", "list", "x"}), "extra word");
    EXPECT_FALSE(root.Exists("settings"));
}

// Points this process's platform at the root, to read what the CLI wrote as the tool would.
void UseRoot(const TempDeviceRoot& root) {
    setenv("BRELTA_DEVICE_ROOT", root.Path().c_str(), 1);
    brelta::host::DeviceRoot::Reset();
    brelta::host::Faults::Reset();
}

TEST(DeviceCli, UsbDevicesAttachedAreTheOnesTheServiceLists) {
    TempDeviceRoot root;
    EXPECT_EQ(Cli(root, {"usb", "attach", root / "usb0", "Flash Disk 32G"}).exitCode, 0);
    RunResult second = Cli(root, {"usb", "attach", "/media/usb1"});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.err, "brelta-device: note: /media/usb1 does not exist yet\n");
    EXPECT_EQ(root.Read("usb/devices"),
              root / "usb0" + "\tFlash Disk 32G\n/media/usb1\tUSB Storage\n");
    EXPECT_EQ(Cli(root, {"usb", "list"}).out, root.Read("usb/devices"));

    UseRoot(root);
    ASSERT_EQ(usb_get_connected_device_number(USB_DEVICE_TYPE_STORAGE), 2);
    usb_device_list_h list = nullptr;
    usb_device_h first = nullptr;
    ASSERT_EQ(usb_device_get_device_list(USB_DEVICE_TYPE_STORAGE, &list), 0);
    ASSERT_EQ(usb_device_list_get_first(list, &first), 0);
    EXPECT_STREQ(usb_device_get_mountpath(first), (root / "usb0").c_str());
    EXPECT_STREQ(usb_device_get_product(first), "Flash Disk 32G");
    usb_device_free_device_list(list);

    RunResult again = Cli(root, {"usb", "attach", root / "usb0"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("is already attached"), std::string::npos);
    EXPECT_EQ(Cli(root, {"usb", "detach", root / "usb0"}).exitCode, 0);
    EXPECT_EQ(Cli(root, {"usb", "list"}).out, "/media/usb1\tUSB Storage\n");
    EXPECT_EQ(Cli(root, {"usb", "detach", root / "usb0"}).exitCode, 1);
    EXPECT_EQ(usb_get_connected_device_number(USB_DEVICE_TYPE_STORAGE), 1);

    ExpectUsageError(Cli(root, {"usb", "attach", "relative/path"}), "relative path");
    ExpectUsageError(Cli(root, {"usb", "attach", "/a\tb"}), "tab in the path");
    ExpectUsageError(Cli(root, {"usb", "attach", "/a", "two\nlines"}), "line break");
    ExpectUsageError(Cli(root, {"usb", "list", "x"}), "extra word");
    EXPECT_EQ(Cli(root, {"usb", "list"}).out, "/media/usb1\tUSB Storage\n");
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
    run.Start({"-c", "exec '" + std::string(BRELTA_DEVICE_CLI_PATH) + "' " + args + " > '" +
                         (out / name) + "'"});
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
    size_t before = lines.size();

    ASSERT_EQ(Cli(root, {"settings", "set", "db/other/key", "int", "1"}).exitCode, 0);
    ASSERT_EQ(Cli(root, {"settings", "set", "db/b/mode", "double", "0.1"}).exitCode, 0);
    // As a person with echo would: written in place.
    root.Write("settings/db/a/lang", "string en US\n");
    root.Write("settings/db/b/mode", "bool 7\n");
    lines = LinesWhen(out, "watched", [&](auto& l) { return l.size() >= before + 3; });
    EXPECT_EQ(std::vector<std::string>(lines.begin() + before, lines.end()),
              (std::vector<std::string>{"db/b/mode double 0.1", "db/a/lang string en US",
                                        "db/b/mode (not a valid setting)"}));
}

// A journal post line as the notification service writes it.
std::string Post(int id, long pid, const std::string& title, const std::string& buttons) {
    return "{\"op\":\"post\",\"id\":" + std::to_string(id) + ",\"pid\":" + std::to_string(pid) +
           ",\"type\":0,\"title\":\"" + title +
           "\",\"content\":\"text\",\"image\":null,\"buttons\":[" + buttons +
           "],\"default_button\":1,\"display_applist\":16,\"layout\":1,\"hide_timeout\":60}\n";
}

long EndedPid() {
    pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

TEST(DeviceCli, ToastsOfEndedProcessesAreNotOnScreenAndCannotBePressed) {
    TempDeviceRoot root;
    long gone = EndedPid();
    root.Write("notifications/journal",
               Post(3, gone, "left behind", "{\"button\":1,\"text\":\"OK\",\"image\":null}") +
                   Post(4, getpid(), "live", "") +
                   "{\"op\":\"event\",\"id\":4,\"pid\":1,\"event\":101}\n" +
                   Post(5, getpid(), "still here", ""));
    RunResult list = Cli(root, {"toast", "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(list.out.find("left behind"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("live"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("still here"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("posted by pid " + std::to_string(getpid())), std::string::npos);

    RunResult ended = Cli(root, {"toast", "press", "3", "1"});
    EXPECT_EQ(ended.exitCode, 1);
    EXPECT_NE(ended.err.find("which has ended"), std::string::npos) << ended.err;
    RunResult hidden = Cli(root, {"toast", "hide", "4"});
    EXPECT_EQ(hidden.exitCode, 1);
    EXPECT_EQ(hidden.err, "brelta-device: notification 4 is not on screen\n");
    EXPECT_FALSE(root.Exists("notifications/input/3"));
    EXPECT_FALSE(root.Exists("notifications/input/4"));
    ExpectUsageError(Cli(root, {"toast", "press", "5", "3"}), "button 3");
    ExpectUsageError(Cli(root, {"toast", "press", "x", "1"}), "id not a number");
    ExpectUsageError(Cli(root, {"toast", "hide"}), "no id");
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
TEST(DeviceCli, ToastOfTheToolIsDrawnAndItsButtonPressed) {
    TempDeviceRoot root;
    ToolRun tool(root);
    tool.Start({"brelta.keycombination.tcpdumpstart"});
    LinesWhen(root, "notifications/journal", [](auto& l) { return !l.empty(); });
    RunResult list = Cli(root, {"toast", "list"});
    EXPECT_EQ(list.exitCode, 0);
    for (const char* part :
         {"TCP Dump tool", "tcp dump and ts dump start successfully", "[>OK<]", "notification 1"})
        EXPECT_NE(list.out.find(part), std::string::npos) << part << "\n" << list.out;

    RunResult noSecond = Cli(root, {"toast", "press", "1", "2"});
    EXPECT_EQ(noSecond.exitCode, 1);
    EXPECT_EQ(noSecond.err, "brelta-device: notification 1 has no button 2\n");
    RunResult press = Cli(root, {"toast", "press", "1", "1"});
    EXPECT_EQ(press.exitCode, 0) << press.err;
    auto journal = LinesWhen(root, "notifications/journal", [](auto& l) { return l.size() >= 2; });
    ASSERT_GE(journal.size(), 2u);
    EXPECT_NE(journal[1].find("\"op\":\"event\",\"id\":1"), std::string::npos) << journal[1];
    EXPECT_NE(journal[1].find("\"event\":0"), std::string::npos) << journal[1];
    EXPECT_EQ(Cli(root, {"toast", "list"}).out, "");
    EXPECT_EQ(tool.Wait(20).exitCode, 0);
}
#endif

// Records as the log writer makes them, with a chosen time.
std::string Record(const std::string& time, const std::string& tag, const std::string& text) {
    return "2026-12-05T13:46:" + time + "Z 42 I/" + tag + ": f.cpp: fn(1) > " + text + "\n";
}

TEST(DeviceCli, LogMergesTheBuffersInTimeOrder) {
    TempDeviceRoot root;
    root.Write("log/system", Record("45.100", "BRELTA_TEST_TOOL", "s1") +
                                 Record("45.300", "BRELTA_TEST_TOOL", "s2") +
                                 Record("45.300", "BRELTA_TEST_TOOL", "s3"));
    root.Write("log/main",
               Record("45.200", "BRELTA_LOG", "m1") + Record("45.300", "BRELTA_LOG", "m2"));
    RunResult both = Cli(root, {"log"});
    EXPECT_EQ(both.exitCode, 0);
    EXPECT_EQ(both.out, Record("45.100", "BRELTA_TEST_TOOL", "s1") +
                            Record("45.200", "BRELTA_LOG", "m1") +
                            Record("45.300", "BRELTA_LOG", "m2") +
                            Record("45.300", "BRELTA_TEST_TOOL", "s2") +
                            Record("45.300", "BRELTA_TEST_TOOL", "s3"));
    EXPECT_EQ(Cli(root, {"log", "main"}).out, root.Read("log/main"));
    EXPECT_EQ(Cli(root, {"log", "system"}).out, root.Read("log/system"));
    ExpectUsageError(Cli(root, {"log", "radio"}), "unknown buffer");
    ExpectUsageError(Cli(root, {"log", "main", "system"}), "two buffers");

    TempDeviceRoot empty;
    RunResult nothing = Cli(empty, {"log"});
    EXPECT_EQ(nothing.exitCode, 0);
    EXPECT_EQ(nothing.out, "");
}

TEST(DeviceCli, LogFollowPrintsRecordsAsTheyComeAndSurvivesAReset) {
    TempDeviceRoot root;
    TempDeviceRoot out;
    // Through a shell, to read what it printed while it still runs.
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
    // Every record of the run, as the file holds them.
    EXPECT_EQ(out.Read("followed"), root.Read("log/system"));
    brelta::test::LogRecord first;
    ASSERT_TRUE(LogRecords::ParseLine(lines[0], &first));
    EXPECT_EQ(first.pid, tool.pid);
    EXPECT_EQ(first.text, "start work !! => arg brelta.keycombination.nothing");

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
    RunResult r = Cli(root, {"launches"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out,
              "#1 pid 12 app org.tizen.network-setting result 0\n"
              "    operation -\n"
              "    extra page = ndf\n"
              "    extra mode = 1\n"
              "#2 pid 13 app org.tizen.alert result -17\n"
              "    operation http://x/op\n");
    TempDeviceRoot empty;
    EXPECT_EQ(Cli(empty, {"launches"}).out, "");
}

TEST(DeviceCli, ResetEmptiesTheRootOnlyWithConsent) {
    TempDeviceRoot root;
    root.SetSetting("a/b", "int", "1");
    root.Write("log/system", "x\n");
    root.Write("opt/usr/data/network/tcpdump-1.pcap", "pcap");

    RunResult declined = CliWithInput(root, "n\n", "reset");
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_NE(declined.err.find("Empty the device root " + root.Path() + "? [y/N]"),
              std::string::npos);
    EXPECT_TRUE(root.Exists("settings/a/b"));
    EXPECT_EQ(CliWithInput(root, "", "reset").exitCode, 1) << "end of input is a no";
    EXPECT_TRUE(root.Exists("settings/a/b"));

    RunResult agreed = CliWithInput(root, "y\n", "reset");
    EXPECT_EQ(agreed.exitCode, 0) << agreed.err;
    EXPECT_FALSE(root.Exists("settings"));
    EXPECT_FALSE(root.Exists("opt"));
    EXPECT_TRUE(root.Exists(""));

    root.SetSetting("a/b", "int", "1");
    EXPECT_EQ(Cli(root, {"reset", "--yes"}).exitCode, 0);
    EXPECT_FALSE(root.Exists("settings"));
    ExpectUsageError(Cli(root, {"reset", "--force"}), "unknown option");

    TempDeviceRoot missing;
    EXPECT_EQ(ToolRun(missing, BRELTA_DEVICE_CLI_PATH)
                  .Env("BRELTA_DEVICE_ROOT", missing / "not-yet")
                  .Run({"reset", "--yes"})
                  .exitCode,
              0);
}

TEST(DeviceCli, ResetRefusesADirectoryThatIsNotADeviceRoot) {
    TempDeviceRoot home;
    home.Write("Documents/letter.txt", "dear");
    home.SetSetting("a/b", "int", "1");
    RunResult r = Cli(home, {"reset", "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("does not look like a device root (it holds Documents)"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(home.Read("Documents/letter.txt"), "dear");
    EXPECT_TRUE(home.Exists("settings/a/b"));
}

}  // namespace
