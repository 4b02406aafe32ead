// Hostile surroundings of a run: settings files that are not settings, a device root that
// cannot be made, no home directory. Whatever the tool meets, every run goes on to its end
// and exits with 0. (Hostile command ids and log/ or settings/ being files are in
// EntryPointTest.)
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DeviceRootChecks.h"
#include "LogRecords.h"
#include "SettingsStore.h"
#include "TempDeviceRoot.h"
#include "ToolRun.h"

using brelta::test::LogRecords;
using brelta::test::RunResult;
using brelta::test::TempDeviceRoot;
using brelta::test::ToolRun;

namespace fs = std::filesystem;

namespace {

// Every key the tool reads or writes, with the type it keeps there.
struct Key {
    const char* name;
    const char* type;
};
const Key kKeys[] = {
    {"db/menu_widget/language", "string"},
    {"db/menu_widget/regionformat", "string"},
    {"memory/channel-search/channel-search-activate", "bool"},
    {"memory/menu/support/softwareupdate/is_swu_in_monopoly_mode", "bool"},
    {"memory/Brelta/tcpdump_running_status", "int"},
    {"memory/menu/network/screenmirroring/capture_tsdump", "int"},
    {"db/network/LaunchNWWireless", "int"},
    {"db/menu/network/eu_wifi_reg_test_mode", "bool"},
};

// The commands that read or write those keys (every run reads the first two).
const char* const kIds[] = {
    "brelta.keycombination.tcpdumpstart",
    "brelta.keycombination.tcpdumpstop",
    "brelta.keycombination.WiFiList",
    "brelta.keycombination.rse",
};

void ExpectRanToTheEnd(const TempDeviceRoot& root, const RunResult& r, const std::string& what) {
    EXPECT_TRUE(r.exited) << what;
    EXPECT_EQ(r.exitCode, 0) << what;
    EXPECT_EQ(brelta::test::BrokenLogLines(root), std::vector<std::string>()) << what;
    EXPECT_EQ(LogRecords::Load(root / "log/system").Count("work finish!! exit!!", r.pid), 1u)
        << what;
}

enum class Spoil { Garbage, WrongType, Huge, Directory, ParentIsAFile, LinkLoop };

void SpoilKey(const TempDeviceRoot& root, const Key& key, Spoil spoil) {
    const std::string relative = std::string("settings/") + key.name;
    const std::string type = key.type;
    switch (spoil) {
        case Spoil::Garbage:
            root.Write(relative, std::string("\0\xff\xfe\x01 garbage\x1b[0m", 15));
            break;
        case Spoil::WrongType:
            // Well-formed, but of another type than the key's.
            root.Write(relative, type == "string" ? "int 1\n" : "string 1\n");
            break;
        case Spoil::Huge:
            root.Write(relative, type + " " + std::string(1024 * 1024, '1') + "\n");
            break;
        case Spoil::Directory:
            root.Write(relative + "/inner", type + " 1\n");
            break;
        case Spoil::ParentIsAFile:
            root.Write(fs::path(relative).parent_path().string(), "int 1\n");
            break;
        case Spoil::LinkLoop:
            root.Write(relative, "");
            fs::remove(root / relative);
            fs::create_symlink(fs::path(key.name).filename(), root / relative);
            break;
    }
}

// What is at a key's path: its kind and, for a file, its content.
std::string Snapshot(const TempDeviceRoot& root, const Key& key) {
    const std::string path = root / (std::string("settings/") + key.name);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return "missing";
    if (S_ISLNK(st.st_mode)) return "link";
    if (S_ISDIR(st.st_mode)) return "directory";
    return "file " + root.Read(std::string("settings/") + key.name);
}

// Left as it was, or replaced by a value of the key's own type: the tool may write its keys,
// but never leaves one torn or of a foreign type.
void ExpectKeyUnharmed(const TempDeviceRoot& root, const Key& key, const std::string& before) {
    const std::string after = Snapshot(root, key);
    if (after == before) return;
    brelta::host::SettingType type;
    std::string value;
    ASSERT_EQ(after.compare(0, 5, "file "), 0) << key.name << " became " << after.substr(0, 40);
    ASSERT_TRUE(brelta::host::SettingsStore::Parse(after.substr(5), &type, &value))
        << key.name << " holds " << after.substr(0, 80);
    EXPECT_STREQ(brelta::host::SettingsStore::TypeName(type), key.type) << key.name;
}

const Spoil kSpoils[] = {Spoil::Garbage,   Spoil::WrongType,     Spoil::Huge,
                         Spoil::Directory, Spoil::ParentIsAFile, Spoil::LinkLoop};
const char* const kSpoilNames[] = {"garbage",   "wrong type",       "1 MiB",
                                   "directory", "parent is a file", "link loop"};

// Every spoil with every command, one root each, all at once.
TEST(HostileSettings, EveryCommandRunsToItsEndAndNoKeyIsLeftTorn) {
    struct Case {
        std::unique_ptr<TempDeviceRoot> root;
        std::vector<std::string> before;
        std::unique_ptr<ToolRun> run;
        std::string what;
    };
    std::vector<Case> cases;
    for (size_t s = 0; s < sizeof kSpoils / sizeof kSpoils[0]; ++s)
        for (const char* id : kIds) {
            Case c;
            c.root = std::make_unique<TempDeviceRoot>();
            for (const Key& key : kKeys) SpoilKey(*c.root, key, kSpoils[s]);
            for (const Key& key : kKeys) c.before.push_back(Snapshot(*c.root, key));
            c.run = std::make_unique<ToolRun>(*c.root);
            c.run->Start({id});
            c.what = std::string(kSpoilNames[s]) + ", " + id;
            cases.push_back(std::move(c));
        }
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectRanToTheEnd(*c.root, c.run->Wait(120), c.what);
        for (size_t k = 0; k < sizeof kKeys / sizeof kKeys[0]; ++k)
            ExpectKeyUnharmed(*c.root, kKeys[k], c.before[k]);
    }
}

TEST(HostileRoot, DeviceRootThatCannotBeMadeStillEndsEveryRun) {
    TempDeviceRoot scratch;
    const std::string roots[] = {
        "/dev/null",                                  // a device where a directory should be
        "/proc/brelta-device",                        // a file system that makes no directory
        scratch / std::string(300, 'r') + "/device",  // a name longer than any file system takes
    };
    std::vector<std::unique_ptr<ToolRun>> runs;
    std::vector<std::string> what;
    for (const std::string& root : roots)
        for (const char* id : {"brelta.keycombination.tcpdumpstart", "brelta.keycombination.x"}) {
            runs.push_back(std::make_unique<ToolRun>(scratch));
            runs.back()->Env("BRELTA_DEVICE_ROOT", root).Start({id});
            what.push_back(root.substr(0, 40) + " " + id);
        }
    for (size_t i = 0; i < runs.size(); ++i) {
        RunResult r = runs[i]->Wait(120);
        EXPECT_TRUE(r.exited) << what[i];
        EXPECT_EQ(r.exitCode, 0) << what[i];
    }
    EXPECT_FALSE(fs::exists("/proc/brelta-device"));
}

// Runs as another user need the tool where that user can reach it: a copy in a directory
// open to everyone, whatever the permissions of the build tree.
class OtherUser : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to run the tool as another user";
        chmod(bin.Path().c_str(), 0755);
        fs::copy_file(ToolRun::ToolPath(), bin / "brelta_test_tool");
    }
    ToolRun RunAs(uid_t uid, gid_t gid) {
        ToolRun run(scratch, bin / "brelta_test_tool");
        run.Unset("BRELTA_DEVICE_ROOT").Unset("XDG_STATE_HOME").Unset("HOME").AsUser(uid, gid);
        return run;
    }
    TempDeviceRoot bin;
    TempDeviceRoot scratch;
};

TEST_F(OtherUser, NoHomeWithAHomeInThePasswordDatabaseThatCannotBeMade) {
    struct passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr || fs::exists(nobody->pw_dir))
        GTEST_SKIP() << "needs a user 'nobody' whose home does not exist";
    const std::string home = nobody->pw_dir;
    ToolRun run = RunAs(nobody->pw_uid, nobody->pw_gid);
    RunResult r = run.Run({"brelta.keycombination.tcpdumpstart"}, 120);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(fs::exists(home));
}

TEST_F(OtherUser, NoHomeAndNoPasswordEntryFallsBackToATemporaryRoot) {
    // A user id of its own per test process, so that runs of this test in other checkouts at
    // the same time never share the root.
    uid_t uid = 54321 + static_cast<uid_t>(getpid() % 10000);
    while (getpwuid(uid) != nullptr) ++uid;
    const std::string root = "/tmp/brelta-device-" + std::to_string(uid);
    fs::remove_all(root);
    ToolRun run = RunAs(uid, uid);
    RunResult r = run.Run({"brelta.keycombination.unknown"}, 120);
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0);
    LogRecords log = LogRecords::Load(root + "/log/system");
    EXPECT_TRUE(log.Broken().empty());
    EXPECT_EQ(log.Count("work finish!! exit!!", r.pid), 1u);
    fs::remove_all(root);
}

}  // namespace
