// The settings store through the vconf functions the tool calls.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <vconf.h>

#include "HostFixture.h"
#include "SettingsStore.h"

using brelta::test::HostFixture;

namespace {

class SettingsStoreTest : public HostFixture {};

TEST_F(SettingsStoreTest, WritesTypedFilesThatReadBack) {
    ASSERT_EQ(vconf_set_int("memory/Brelta/tcpdump_running_status", -7), 0);
    ASSERT_EQ(vconf_set_bool("db/menu/network/eu_wifi_reg_test_mode", 5), 0);
    ASSERT_EQ(vconf_set_str("db/menu_widget/language", "en_US.UTF-8 with blanks "), 0);
    EXPECT_EQ(root->Setting("memory/Brelta/tcpdump_running_status"), "int -7\n");
    EXPECT_EQ(root->Setting("db/menu/network/eu_wifi_reg_test_mode"), "bool 1\n");
    EXPECT_EQ(root->Setting("db/menu_widget/language"), "string en_US.UTF-8 with blanks \n");

    int i = 0, b = 0;
    EXPECT_EQ(vconf_get_int("memory/Brelta/tcpdump_running_status", &i), 0);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(vconf_get_bool("db/menu/network/eu_wifi_reg_test_mode", &b), 0);
    EXPECT_EQ(b, 1);
    char* s = vconf_get_str("db/menu_widget/language");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "en_US.UTF-8 with blanks ");
    free(s);
}

TEST_F(SettingsStoreTest, AWriteChangesTheTypeOfTheKey) {
    ASSERT_EQ(vconf_set_bool("a/key", 1), 0);
    ASSERT_EQ(vconf_set_int("a/key", 3), 0);
    int b = 42;
    EXPECT_NE(vconf_get_bool("a/key", &b), 0);
    EXPECT_EQ(b, 42);
}

TEST_F(SettingsStoreTest, BadFilesFailTheReadAndLeaveTheOutputUntouched) {
    struct Case {
        const char* content;
        const char* what;
    };
    const Case cases[] = {
        {"", "empty"},
        {"int", "no value"},
        {"int \n", "empty number"},
        {"int 1x\n", "trailing garbage"},
        {"int 99999999999\n", "out of range"},
        {"int  1\n", "two blanks"},
        {"bool 2\n", "bool out of range"},
        {"string x\n", "wrong type"},
        {"\x01\xff\xfe garbage\n", "garbage bytes"},
        {"INT 1\n", "type in capitals"},
    };
    for (const Case& c : cases) {
        root->Write("settings/bad/key", c.content);
        int value = 42;
        EXPECT_NE(vconf_get_int("bad/key", &value), 0) << c.what;
        EXPECT_EQ(value, 42) << c.what;
        EXPECT_NE(vconf_get_bool("bad/key", &value), 0) << c.what;
        EXPECT_EQ(value, 42) << c.what;
    }
    // A number written by hand without the final newline still reads.
    root->Write("settings/bad/key", "int 12");
    int value = 0;
    EXPECT_EQ(vconf_get_int("bad/key", &value), 0);
    EXPECT_EQ(value, 12);
}

TEST_F(SettingsStoreTest, MissingHugeAndDirectoryKeysFail) {
    int value = 42;
    EXPECT_NE(vconf_get_int("no/such/key", &value), 0);
    EXPECT_EQ(vconf_get_str("no/such/key"), nullptr);
    root->Write("settings/huge", "string " + std::string(1024 * 1024, 'a') + "\n");
    EXPECT_EQ(vconf_get_str("huge"), nullptr);
    root->Write("settings/dir/inner", "int 1\n");
    EXPECT_NE(vconf_get_int("dir", &value), 0);
    EXPECT_EQ(value, 42);
}

TEST_F(SettingsStoreTest, KeysThatWouldLeaveTheStoreAreRefused) {
    for (const char* key :
         {"", "/abs", "a/../../escape", "a//b", "trailing/", ".hidden", "a/./b"}) {
        EXPECT_NE(vconf_set_int(key, 1), 0) << key;
        int value = 0;
        EXPECT_NE(vconf_get_int(key, &value), 0) << key;
    }
    EXPECT_FALSE(root->Exists("escape"));
    EXPECT_NE(vconf_set_int(nullptr, 1), 0);
}

TEST_F(SettingsStoreTest, SettingsPathThatIsAFileFailsWritesWithoutCrashing) {
    root->Write("settings", "not a directory");
    EXPECT_NE(vconf_set_int("a/b", 1), 0);
    int value = 42;
    EXPECT_NE(vconf_get_int("a/b", &value), 0);
    EXPECT_EQ(value, 42);
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
        bool whole = false;
        for (int w = 0; w < kWriters; ++w) whole = whole || got == value(w);
        if (!whole) ++bad;
    };
    // Read for as long as the writers write, however slowly a loaded machine runs them, and
    // once more when they have ended.
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
    EXPECT_FALSE(system(("ls -A " + *root / "settings/shared" + " | grep -q '^\\.'").c_str()) == 0);
}

TEST_F(SettingsStoreTest, ScriptedFaultsFailCallsInOrderThenStop) {
    root->Fault("vconf_set_int", "0 -5 7");
    root->Fault("vconf_get_str", "1");
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
}

TEST_F(SettingsStoreTest, FaultScriptGarbageEndsTheScript) {
    root->Fault("vconf_get_bool", "3 oops 4");
    ReloadFaults();
    int value = 0;
    EXPECT_EQ(vconf_get_bool("k", &value), 3);
    ASSERT_EQ(vconf_set_bool("k", 1), 0);
    EXPECT_EQ(vconf_get_bool("k", &value), 0);
    EXPECT_EQ(value, 1);
}

}  // namespace
