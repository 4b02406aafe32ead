// Hostile surroundings of a run: settings files that are not settings, a device root that
// cannot be made, no home directory. Every run goes on to its end, exits with 0 and leaves no
// key torn. (Hostile command ids and log/ or settings/ being files are in EntryPointTest.)
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

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
const struct Key {
    const char* name;
    std::string type;
} kKeys[] = {
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
const char* const kIds[] = {"brelta.keycombination.tcpdumpstart",
                            "brelta.keycombination.tcpdumpstop", "brelta.keycombination.WiFiList",
                            "brelta.keycombination.rse"};
const char* const kSpoils[] = {"garbage",   "wrong type",       "1 MiB",
                               "directory", "parent is a file", "link loop"};

void Spoil(const TempDeviceRoot& root, const Key& key, int spoil) {
    const std::string path = std::string("settings/") + key.name;
    switch (spoil) {
        case 0:
            root.Write(path, std::string("\0\xff\xfe\x01 garbage\x1b[0m", 15));
            break;
        case 1:
            root.Write(path, key.type == "string" ? "int 1\n" : "string 1\n");
            break;
        case 2:
            root.Write(path, key.type + " " + std::string(1024 * 1024, '1') + "\n");
            break;
        case 3:
            root.Write(path + "/inner", key.type + " 1\n");
            break;
        case 4:
            root.Write(fs::path(path).parent_path().string(), "int 1\n");
            break;
        case 5:
            root.Write(fs::path(path).parent_path().string() + "/.made", "");
            fs::create_symlink(fs::path(key.name).filename(), root / path);
            break;
    }
}

// What is at a key's path: its kind and, for a file, its content.
std::string Snapshot(const TempDeviceRoot& root, const Key& key) {
    const std::string path = root / (std::string("settings/") + key.name);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return "missing";
    if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? "directory" : "link";
    return "file " + root.Read(std::string("settings/") + key.name);
}

// Left as it was, or replaced by a value of the key's own type.
void ExpectKeyUnharmed(const TempDeviceRoot& root, const Key& key, const std::string& before) {
    const std::string after = Snapshot(root, key);
    if (after == before) return;
    brelta::host::SettingType type;
    std::string value;
    ASSERT_TRUE(after.compare(0, 5, "file ") == 0 &&
                brelta::host::SettingsStore::Parse(after.substr(5), &type, &value))
        << key.name << " holds " << after.substr(0, 80);
    EXPECT_EQ(brelta::host::SettingsStore::TypeName(type), key.type) << key.name;
}

struct Case {
    std::string what;
    std::unique_ptr<TempDeviceRoot> root = std::make_unique<TempDeviceRoot>();
    std::vector<std::string> before;  // snapshots of the keys, when spoiled
    std::string log;                  // the system log the run must end in; empty: none
    std::unique_ptr<ToolRun> run;
};

// All cases at once, one root each (run alone by ctest: the suite name is in its crowd list).
TEST(HostileSettings, EveryRunEndsWithZeroAndNoKeyIsLeftTorn) {
    std::vector<Case> cases;
    auto add = [&](std::string what) -> Case& {
        cases.emplace_back();
        cases.back().what = std::move(what);
        return cases.back();
    };
    for (int s = 0; s < 6; ++s)
        for (const char* id : kIds) {
            Case& c = add(std::string(kSpoils[s]) + ", " + id);
            for (const Key& key : kKeys) Spoil(*c.root, key, s);
            for (const Key& key : kKeys) c.before.push_back(Snapshot(*c.root, key));
            c.log = *c.root / "log/system";
            c.run = std::make_unique<ToolRun>(*c.root);
            c.run->Start({id});
        }
    // Roots that cannot be made: a device, a file system that makes no directory, a name
    // longer than any file system takes.
    for (std::string root : {std::string("/dev/null"), std::string("/proc/brelta-device"),
                             std::string(300, 'r') + "/device"})
        for (const char* id : {"brelta.keycombination.tcpdumpstart", "brelta.keycombination.x"}) {
            Case& c = add(root.substr(0, 40) + ", " + id);
            if (root[0] != '/') root = *c.root / root;
            c.run = std::make_unique<ToolRun>(*c.root);
            c.run->Env("BRELTA_DEVICE_ROOT", root).Start({id});
        }
    // Another user without HOME: one whose home in the password database cannot be made,
    // and one without a password entry, who falls back to a temporary root.
    TempDeviceRoot bin;  // a copy of the tool that any user can reach
    struct passwd* nobody = getpwnam("nobody");
    const std::string nobodyHome =
        nobody != nullptr && !fs::exists(nobody->pw_dir) ? nobody->pw_dir : "";
    uid_t uid = 54321 + static_cast<uid_t>(getpid() % 10000);  // no clash with other checkouts
    while (getpwuid(uid) != nullptr) ++uid;
    const std::string fallback = "/tmp/brelta-device-" + std::to_string(uid);
    if (geteuid() == 0) {
        chmod(bin.Path().c_str(), 0755);
        fs::copy_file(ToolRun::ToolPath(), bin / "brelta_test_tool");
        fs::remove_all(fallback);
        std::vector<std::pair<uid_t, gid_t>> users = {{uid, uid}};
        if (!nobodyHome.empty()) users.push_back({nobody->pw_uid, nobody->pw_gid});
        for (auto [u, g] : users) {
            Case& c = add("user " + std::to_string(u));
            if (u == uid) c.log = fallback + "/log/system";
            c.run = std::make_unique<ToolRun>(*c.root, bin / "brelta_test_tool");
            c.run->Unset("BRELTA_DEVICE_ROOT").Unset("XDG_STATE_HOME").Unset("HOME").AsUser(u, g);
            c.run->Start({"brelta.keycombination.tcpdumpstart"});
        }
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunResult r = c.run->Wait(120);
        EXPECT_TRUE(r.exited && r.exitCode == 0);
        if (!c.log.empty()) {
            LogRecords log = LogRecords::Load(c.log);
            EXPECT_EQ(log.Broken(), std::vector<std::string>());
            EXPECT_EQ(log.Count("work finish!! exit!!", r.pid), 1u);
        }
        for (size_t k = 0; k < c.before.size(); ++k)
            ExpectKeyUnharmed(*c.root, kKeys[k], c.before[k]);
    }
    EXPECT_FALSE(fs::exists("/proc/brelta-device"));
    EXPECT_FALSE(!nobodyHome.empty() && fs::exists(nobodyHome)) << nobodyHome;
    fs::remove_all(fallback);
}

}  // namespace
