// The built tool's start, dispatch and teardown, seen through its log records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogRecords.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;

namespace {

std::vector<std::string> Texts(const TempDeviceRoot& root) {
    return LogRecords::Load(root / "log/system").Texts();
}

TEST(EntryPoint, UnknownIdEndsAtOnceWithTheTeardownRecords) {
    TempDeviceRoot root;
    RunResult r = ToolRun(root).Run({"brelta.keycombination.nothing"});
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    // "At once": no exit delay is armed. Timed loosely, since a loaded machine (or the
    // sanitizers) can stretch a short run well past a second.
    EXPECT_LT(r.seconds, 4.5);
    EXPECT_EQ(Texts(root), (std::vector<std::string>{
                               "start work !! => arg brelta.keycombination.nothing",
                               "Enter i18n_init", "failed to get current language for set lang env",
                               "failed to get current region format for set region env",
                               "own bus brelta.keycombination.nothing", "invalid argument",
                               "DeRegistering i18n_del vconf callbacks ", "work finish!! exit!!"}));
    LogRecords log = LogRecords::Load(root / "log/system");
    EXPECT_EQ(log.Find("own bus brelta.keycombination.nothing")->function, "own_name");
    EXPECT_EQ(log.Find("work finish!! exit!!")->function, "main");
    EXPECT_EQ(log.Find("work finish!! exit!!")->file, "brelta_test_tool.cpp");
    EXPECT_EQ(log.Find("work finish!! exit!!")->tag, "BRELTA_TEST_TOOL");
    EXPECT_EQ(log.Find("work finish!! exit!!")->pid, r.pid);
}

TEST(EntryPoint, NoArgumentUsesTheProgramNameAsTheId) {
    TempDeviceRoot root;
    RunResult r = ToolRun(root).Run({});
    EXPECT_EQ(r.exitCode, 0);
    auto texts = Texts(root);
    // The locale set-up writes three records between the argument and the bus name.
    ASSERT_GE(texts.size(), 6u);
    EXPECT_EQ(texts[0], "start work !! => arg " + ToolRun::ToolPath());
    EXPECT_EQ(texts[4], "own bus " + ToolRun::ToolPath());
    EXPECT_EQ(texts[5], "invalid argument");
}

TEST(EntryPoint, EmptyArgumentVectorIsAnUnknownId) {
    TempDeviceRoot root;
    RunResult r = ToolRun(root).NoArgv0().Run({});
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    auto texts = Texts(root);
    ASSERT_GE(texts.size(), 6u);
    // Linux hands a program started with no arguments an empty argv[0] (argc 1).
    EXPECT_TRUE(texts[0] == "start work !! => arg (null)" || texts[0] == "start work !! => arg ")
        << texts[0];
    EXPECT_EQ(texts[5], "invalid argument");
}

TEST(EntryPoint, HostileIdsAreLoggedFaithfullyAndRefused) {
    const std::string huge(120000, 'x');
    struct Case {
        std::string id;
        std::string logged;
    };
    const Case cases[] = {
        {"", ""},
        {"%s%n%s%n%x", "%s%n%s%n%x"},
        {"brelta.keycombination.gateway\nsecond line",
         "brelta.keycombination.gateway\\x0asecond line"},
        {"\x1b[31mred\x1b[0m", "\\x1b[31mred\\x1b[0m"},
        {"\xff\xfe\xc3", "\xff\xfe\xc3"},
        {huge, huge},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        RunResult r = ToolRun(root).Run({c.id});
        EXPECT_TRUE(r.exited) << c.logged.substr(0, 40);
        EXPECT_EQ(r.exitCode, 0);
        LogRecords log = LogRecords::Load(root / "log/system");
        EXPECT_TRUE(log.Broken().empty());
        auto texts = log.Texts();
        ASSERT_EQ(texts.size(), 8u) << c.logged.substr(0, 40);
        EXPECT_EQ(texts[0], "start work !! => arg " + c.logged);
        EXPECT_EQ(texts[4], "own bus " + c.logged);
        EXPECT_EQ(texts[5], "invalid argument");
        EXPECT_EQ(texts[7], "work finish!! exit!!");
    }
}

TEST(EntryPoint, UnusableDeviceRootStillRunsToTheEnd) {
    TempDeviceRoot root;
    root.Write("log", "file");
    root.Write("settings", "file");
    RunResult r = ToolRun(root).Run({"brelta.keycombination.nothing"});
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);

    TempDeviceRoot parent;
    parent.Write("root", "a file where the root should be");
    RunResult r2 = ToolRun(parent).Env("BRELTA_DEVICE_ROOT", parent / "root/sub").Run({"x"});
    EXPECT_TRUE(r2.exited);
    EXPECT_EQ(r2.exitCode, 0);
}

TEST(EntryPoint, DefaultRootFollowsXdgStateHomeThenHome) {
    TempDeviceRoot home;
    RunResult r =
        ToolRun(home).Unset("BRELTA_DEVICE_ROOT").Env("XDG_STATE_HOME", home / "state").Run({"x"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(home.Exists("state/brelta-device/log/system"));

    RunResult r2 = ToolRun(home)
                       .Unset("BRELTA_DEVICE_ROOT")
                       .Unset("XDG_STATE_HOME")
                       .Env("HOME", home / "h")
                       .Run({"x"});
    EXPECT_EQ(r2.exitCode, 0);
    EXPECT_TRUE(home.Exists("h/.local/state/brelta-device/log/system"));
}

}  // namespace
