// The settings store through the vconf functions the tool calls.
#include <gtest/gtest.h>

#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <vconf.h>

#include "HostFixture.h"
#include "settings/SettingsStore.h"
#include "SystemCallHooks.h"

using brelta::host::SettingsStore;
using brelta::test::HostFixture;

namespace {

class SettingsStoreTest : public HostFixture {};

TEST_F(SettingsStoreTest, WritesTypedFilesThatReadBack) {
    ASSERT_EQ(vconf_set_int("a/int", -7), 0);
    ASSERT_EQ(vconf_set_bool("a/bool", 5), 0);
    ASSERT_EQ(vconf_set_str("a/str", "en_US.UTF-8 with blanks "), 0);
    EXPECT_EQ(root->Setting("a/int"), "int -7\n");
    EXPECT_EQ(root->Setting("a/bool"), "bool 1\n");
    int i = 0, b = 0;
    EXPECT_EQ(vconf_get_int("a/int", &i), 0);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(vconf_get_bool("a/bool", &b), 0);
    EXPECT_EQ(b, 1);
    char* s = vconf_get_str("a/str");
    EXPECT_STREQ(s, "en_US.UTF-8 with blanks ");
    free(s);
    root->Write("settings/a/int", "int 12");  // written by hand, without the newline
    EXPECT_EQ(vconf_get_int("a/int", &i), 0);
    EXPECT_EQ(i, 12);
}

TEST_F(SettingsStoreTest, BadFilesFailTheReadAndLeaveTheOutputUntouched) {
    const struct {
        const char* what;
        std::string content;  // "missing": no file; "dir": a directory
    } cases[] = {
        {"missing", "missing"},
        {"directory", "dir"},
        {"empty", ""},
        {"no value", "int"},
        {"empty number", "int \n"},
        {"trailing garbage", "int 1x\n"},
        {"out of range", "int 99999999999\n"},
        {"two blanks", "int  1\n"},
        {"bool out of range", "bool 2\n"},
        {"wrong type", "string x\n"},
        {"garbage bytes", "\x01\xff\xfe garbage\n"},
        {"type in capitals", "INT 1\n"},
        {"NUL in a number", std::string("int 1\0junk\n", 11)},
        {"NUL in a double", std::string("double 0.5\0zz\n", 15)},
        {"huge", "string " + std::string(1024 * 1024, 'a') + "\n"},
    };
    for (const auto& c : cases) {
        std::string key = std::string("bad/") + std::to_string(&c - cases);
        if (c.content == "dir")
            root->Write("settings/" + key + "/inner", "int 1\n");
        else if (c.content != "missing")
            root->Write("settings/" + key, c.content);
        int value = 42;
        double real = 42;
        EXPECT_NE(vconf_get_int(key.c_str(), &value), 0) << c.what;
        EXPECT_NE(vconf_get_bool(key.c_str(), &value), 0) << c.what;
        EXPECT_NE(vconf_get_dbl(key.c_str(), &real), 0) << c.what;
        EXPECT_EQ(value, 42) << c.what;
        EXPECT_EQ(real, 42) << c.what;
        if (c.content.size() > 1000) {
            EXPECT_EQ(vconf_get_str(key.c_str()), nullptr) << c.what;
        }
    }
}

TEST_F(SettingsStoreTest, KeysThatWouldLeaveTheStoreOrCannotLandAreRefused) {
    for (const char* key : {"", "/abs", "a/../../escape", "a//b", "trailing/", ".hidden", "a/b\nc",
                            "a/\xc2\x9b", "a/\xe2\x80\xaex"}) {
        EXPECT_NE(vconf_set_int(key, 1), 0) << key;
        int value = 0;
        EXPECT_NE(vconf_get_int(key, &value), 0) << key;
    }
    EXPECT_FALSE(root->Exists("escape"));
    EXPECT_NE(vconf_set_int(nullptr, 1), 0);
    root->Write("settings", "not a directory");
    EXPECT_NE(vconf_set_int("a/b", 1), 0);
}

TEST_F(SettingsStoreTest, ConcurrentWritersNeverLeaveAPartialValue) {
    const int kWriters = 8, kWrites = 300;
    // Long values make a torn write visible if the replace were not atomic.
    auto value = [](int writer) {
        return std::string(2000 + writer, static_cast<char>('a' + writer));
    };
    pid_t pids[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        pids[w] = fork();
        ASSERT_GE(pids[w], 0);
        if (pids[w] == 0) {
            for (int i = 0; i < kWrites; ++i) vconf_set_str("shared/key", value(w).c_str());
            _exit(0);
        }
    }
    int bad = 0, reads = 0, running = kWriters;
    auto read = [&] {
        char* s = vconf_get_str("shared/key");
        if (s == nullptr) return;  // not written yet
        ++reads;
        std::string got = s;
        free(s);
        if (got.size() < 2000 || got != value(got[0] - 'a')) ++bad;
    };
    // Read for as long as the writers write, however slowly a loaded machine runs them.
    while (running > 0) {
        read();
        for (pid_t& pid : pids) {
            int status = 0;
            if (pid == 0 || waitpid(pid, &status, WNOHANG) != pid) continue;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            pid = 0;
            --running;
        }
    }
    read();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(bad, 0);
    // No temporary file is left behind.
    EXPECT_NE(system(("ls -A " + *root / "settings/shared" + " | grep -q '^\\.'").c_str()), 0);
}

TEST_F(SettingsStoreTest, TheStoreWideSweepRemovesStaleTemporaryFilesOnly) {
    const struct {
        std::string file;
        bool stale, removed;
    } files[] = {
        {"a/.k.AbC123", true, true},
        {"a/b/." + std::string(247, 'k') + ".XyZ789", true, true},  // of a 255-byte name
        {"a/.k.Fresh1", false, false},                              // a live write's
        {"a/.k.toolong", true, false},
        {"a/k", true, false},
    };
    for (const auto& f : files) {
        root->Write("settings/" + f.file, "int 1\n");
        struct timeval old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
        if (f.stale) utimes((*root / ("settings/" + f.file)).c_str(), old);
    }
    EXPECT_EQ(SettingsStore::SweepTemporaries(), 2);
    for (const auto& f : files) EXPECT_EQ(root->Exists("settings/" + f.file), !f.removed) << f.file;
}

// A load writes thousands of keys into one folder: reading the folder once per key (to sweep
// stale temporary files) made it quadratic.
TEST_F(SettingsStoreTest, WritingManyKeysReadsTheirFolderOnce) {
    std::vector<SettingsStore::Entry> entries;
    for (int i = 0; i < 200; ++i)
        entries.push_back({"a/k" + std::to_string(i), brelta::host::SettingType::Int, "1"});
    brelta::test::hooks::CountFolderReads();
    ASSERT_TRUE(SettingsStore::WriteAll(entries).Done());
    EXPECT_EQ(brelta::test::hooks::FolderReads(), 1);
    brelta::test::hooks::Reset();
    EXPECT_EQ(root->Setting("a/k199"), "int 1\n");
}

TEST_F(SettingsStoreTest, ScriptedFaultsFailCallsInOrderThenStop) {
    root->Fault("vconf_set_int", "0 -5 7");
    root->Fault("vconf_get_str", "1");
    root->Fault("vconf_get_bool", "3 oops 4");  // garbage ends the script
    ReloadFaults();
    EXPECT_EQ(vconf_set_int("k", 1), 0);   // 0: normal work
    EXPECT_EQ(vconf_set_int("k", 2), -5);  // fails, no effect
    EXPECT_EQ(vconf_set_int("k", 3), 7);
    EXPECT_EQ(vconf_set_int("k", 4), 0);  // script used up
    EXPECT_EQ(root->Setting("k"), "int 4\n");
    ASSERT_EQ(vconf_set_str("s", "x"), 0);
    EXPECT_EQ(vconf_get_str("s"), nullptr);
    char* s = vconf_get_str("s");
    EXPECT_STREQ(s, "x");
    free(s);
    int value = 0;
    EXPECT_EQ(vconf_get_bool("b", &value), 3);
    ASSERT_EQ(vconf_set_bool("b", 1), 0);
    EXPECT_EQ(vconf_get_bool("b", &value), 0);
    EXPECT_EQ(value, 1);
}

}  // namespace
