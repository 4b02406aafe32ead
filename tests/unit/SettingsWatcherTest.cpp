// Change notifications of the settings store: writes by this process, by other processes and
// by hand reach the registered callbacks on the main loop, once per change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <vconf.h>

#include "HostFixture.h"

using brelta::test::HostFixture;

namespace {

struct Call {
    std::string name;
    int type;
    std::string str;
    int number;
};

struct Recorder {
    std::vector<Call> calls;
    size_t size() const { return calls.size(); }
};

// Distinct functions, so that several registrations per key can be told apart.
template <int N>
void Record(keynode_t* node, void* data) {
    const char* str = vconf_keynode_get_str(node);
    int type = vconf_keynode_get_type(node);
    int number =
        type == VCONF_TYPE_BOOL ? vconf_keynode_get_bool(node) : vconf_keynode_get_int(node);
    static_cast<Recorder*>(data)->calls.push_back(
        {vconf_keynode_get_name(node), type, str != nullptr ? str : "", number});
}

class SettingsWatcherTest : public HostFixture {
protected:
    // Registers, and removes the registration when the test ends: the recorders live on the
    // test's stack.
    int Notify(const char* key, vconf_callback_fn cb, void* data) {
        m_Registered.emplace_back(key, cb);
        return vconf_notify_key_changed(key, cb, data);
    }
    void TearDown() override {
        for (const auto& r : m_Registered) vconf_ignore_key_changed(r.first.c_str(), r.second);
        HostFixture::TearDown();
    }

    std::string File(const std::string& key) const { return *root / ("settings/" + key); }

    // Another process writes, as a person at a shell would.
    void Shell(const std::string& command) const {
        ASSERT_EQ(system(command.c_str()), 0) << command;
    }

    // Runs the loop until `recorder` has `count` calls, then a little longer so that a
    // second callback for the same change would show.
    void Expect(const Recorder& recorder, size_t count, const std::string& what) {
        EXPECT_TRUE(RunLoopUntil([&] { return recorder.size() >= count; }, 5)) << what;
        RunLoopFor(0.2);
        EXPECT_EQ(recorder.size(), count) << what;
    }

private:
    std::vector<std::pair<std::string, vconf_callback_fn>> m_Registered;
};

TEST_F(SettingsWatcherTest, EveryWayOfWritingAKeyGivesOneCallbackWithTheNewValue) {
    const std::string key = "db/test/language";
    const std::string file = File(key);
    Recorder rec;
    ASSERT_EQ(Notify(key.c_str(), Record<0>, &rec), VCONF_OK);

    struct Step {
        std::string what;
        std::string command;  // run by a shell; empty: written by this process
        std::string value;
    };
    const Step steps[] = {
        {"create by the store", "", "first"},
        {"replace by the store", "", "second"},
        {"replace in place", "echo 'string by echo' > " + file, "by echo"},
        {"create in place", "rm " + file + " && echo 'string new file' > " + file, "new file"},
        {"rename within the directory",
         "printf 'string renamed\\n' > " + file + ".tmp && mv " + file + ".tmp " + file, "renamed"},
        {"move in from elsewhere",
         "printf 'string moved\\n' > " + *root / "outside" + " && mv " + *root / "outside" + " " +
             file,
         "moved"},
        {"copy over",
         "printf 'string copied\\n' > " + *root / "src" + " && cp " + *root / "src" + " " + file,
         "copied"},
    };
    size_t expected = 0;
    for (const Step& step : steps) {
        if (step.command.empty())
            ASSERT_EQ(vconf_set_str(key.c_str(), step.value.c_str()), VCONF_OK);
        else
            Shell(step.command);
        Expect(rec, ++expected, step.what);
        if (rec.size() != expected) return;
        EXPECT_EQ(rec.calls.back().name, key) << step.what;
        EXPECT_EQ(rec.calls.back().type, VCONF_TYPE_STRING) << step.what;
        EXPECT_EQ(rec.calls.back().str, step.value) << step.what;
    }

    // Renaming the key away or removing it is no change of value.
    Shell("mv " + file + " " + file + ".old && rm " + file + ".old");
    ASSERT_EQ(vconf_set_str(key.c_str(), "again"), VCONF_OK);
    Expect(rec, expected + 1, "written again after the rename");
    Shell("rm " + file);
    RunLoopFor(0.3);
    EXPECT_EQ(rec.size(), expected + 1);
}

TEST_F(SettingsWatcherTest, KeyInADirectoryNobodyHasMadeYetIsFollowed) {
    Recorder rec;
    ASSERT_EQ(Notify("not/made/yet/key", Record<0>, &rec), VCONF_OK);
    Shell("mkdir -p " + *root / "settings/not/made/yet" + " && echo 'int 42' > " +
          File("not/made/yet/key"));
    Expect(rec, 1, "first write");
    ASSERT_EQ(rec.size(), 1u);
    EXPECT_EQ(rec.calls[0].type, VCONF_TYPE_INT);
    EXPECT_EQ(rec.calls[0].number, 42);
}

TEST_F(SettingsWatcherTest, NodesCarryTheTypeAndValueOfTheFile) {
    Recorder rec;
    for (const char* key : {"typed/int", "typed/bool", "typed/garbage"})
        ASSERT_EQ(Notify(key, Record<0>, &rec), VCONF_OK);
    ASSERT_EQ(vconf_set_int("typed/int", -12), VCONF_OK);
    Expect(rec, 1, "int");
    ASSERT_EQ(vconf_set_bool("typed/bool", 1), VCONF_OK);
    Expect(rec, 2, "bool");
    Shell("echo 'not a setting' > " + File("typed/garbage"));
    Expect(rec, 3, "garbage");
    ASSERT_EQ(rec.size(), 3u);
    EXPECT_EQ(rec.calls[0].type, VCONF_TYPE_INT);
    EXPECT_EQ(rec.calls[0].number, -12);
    EXPECT_EQ(rec.calls[1].type, VCONF_TYPE_BOOL);
    EXPECT_EQ(rec.calls[1].number, 1);
    EXPECT_EQ(rec.calls[2].name, "typed/garbage");
    EXPECT_EQ(rec.calls[2].type, VCONF_TYPE_NONE);
    EXPECT_EQ(rec.calls[2].str, "");
}

TEST_F(SettingsWatcherTest, SeveralKeysInOneDirectoryAndSeveralCallbacksPerKey) {
    Recorder a1, b1, a2, replaced;
    ASSERT_EQ(Notify("dir/one", Record<1>, &replaced), VCONF_OK);
    // The same callback for the same key again keeps one registration with the new data.
    ASSERT_EQ(Notify("dir/one", Record<1>, &a1), VCONF_OK);
    ASSERT_EQ(Notify("dir/one", Record<2>, &b1), VCONF_OK);
    ASSERT_EQ(Notify("dir/two", Record<1>, &a2), VCONF_OK);

    ASSERT_EQ(vconf_set_int("dir/one", 1), VCONF_OK);
    Expect(a1, 1, "one");
    EXPECT_EQ(b1.size(), 1u);
    EXPECT_EQ(a2.size(), 0u);
    ASSERT_EQ(vconf_set_int("dir/two", 2), VCONF_OK);
    Expect(a2, 1, "two");
    EXPECT_EQ(a1.size(), 1u);
    // Neighbours of the keys, and a key of the same name in a subdirectory, are not them.
    ASSERT_EQ(vconf_set_int("dir/three", 3), VCONF_OK);
    ASSERT_EQ(vconf_set_int("dir/sub/one", 4), VCONF_OK);
    RunLoopFor(0.3);
    EXPECT_EQ(a1.size() + b1.size() + a2.size() + replaced.size(), 3u);
    EXPECT_EQ(a1.calls[0].name, "dir/one");
    EXPECT_EQ(a2.calls[0].name, "dir/two");
}

TEST_F(SettingsWatcherTest, RemovedCallbacksAreNeverCalledAgain) {
    Recorder a, b;
    ASSERT_EQ(Notify("rm/key", Record<1>, &a), VCONF_OK);
    ASSERT_EQ(Notify("rm/key", Record<2>, &b), VCONF_OK);
    ASSERT_EQ(vconf_ignore_key_changed("rm/key", Record<1>), VCONF_OK);
    EXPECT_NE(vconf_ignore_key_changed("rm/key", Record<1>), VCONF_OK);
    EXPECT_NE(vconf_ignore_key_changed("rm/other", Record<2>), VCONF_OK);
    ASSERT_EQ(vconf_set_int("rm/key", 1), VCONF_OK);
    Expect(b, 1, "the other callback stays");
    EXPECT_EQ(a.size(), 0u);

    // A change already on its way when the callback is removed is not delivered to it (a
    // neighbour keeps the directory watched, so the change does arrive).
    Recorder neighbour;
    ASSERT_EQ(Notify("rm/neighbour", Record<3>, &neighbour), VCONF_OK);
    ASSERT_EQ(vconf_set_int("rm/key", 2), VCONF_OK);
    g_usleep(300 * 1000);
    ASSERT_EQ(vconf_ignore_key_changed("rm/key", Record<2>), VCONF_OK);
    RunLoopFor(0.5);
    EXPECT_EQ(b.size(), 1u);
    ASSERT_EQ(vconf_ignore_key_changed("rm/neighbour", Record<3>), VCONF_OK);

    // Registering again after everything was removed follows the key anew.
    ASSERT_EQ(Notify("rm/key", Record<1>, &a), VCONF_OK);
    ASSERT_EQ(vconf_set_int("rm/key", 3), VCONF_OK);
    Expect(a, 1, "registered again");
}

struct Removing {
    int calls = 0;
    vconf_callback_fn victim = nullptr;
};

void RemoveItself(keynode_t* node, void* data) {
    ++static_cast<Removing*>(data)->calls;
    vconf_ignore_key_changed(vconf_keynode_get_name(node), RemoveItself);
}

void RemoveAnother(keynode_t* node, void* data) {
    auto* removing = static_cast<Removing*>(data);
    ++removing->calls;
    vconf_ignore_key_changed(vconf_keynode_get_name(node), removing->victim);
}

TEST_F(SettingsWatcherTest, CallbackMayRemoveItselfOrTheOneAfterIt) {
    Removing self;
    ASSERT_EQ(Notify("self/key", RemoveItself, &self), VCONF_OK);
    ASSERT_EQ(vconf_set_int("self/key", 1), VCONF_OK);
    EXPECT_TRUE(RunLoopUntil([&] { return self.calls == 1; }, 5));
    ASSERT_EQ(vconf_set_int("self/key", 2), VCONF_OK);
    RunLoopFor(0.3);
    EXPECT_EQ(self.calls, 1);

    Removing first;
    Recorder second;
    first.victim = Record<3>;
    ASSERT_EQ(Notify("self/key", RemoveAnother, &first), VCONF_OK);
    ASSERT_EQ(Notify("self/key", Record<3>, &second), VCONF_OK);
    ASSERT_EQ(vconf_set_int("self/key", 3), VCONF_OK);
    EXPECT_TRUE(RunLoopUntil([&] { return first.calls == 1; }, 5));
    RunLoopFor(0.3);
    EXPECT_EQ(second.size(), 0u);
}

TEST_F(SettingsWatcherTest, CallbacksRunOnTheContextThatWasThreadDefaultAtRegistration) {
    GMainContext* own = g_main_context_new();
    Recorder rec;
    g_main_context_push_thread_default(own);
    ASSERT_EQ(Notify("ctx/key", Record<0>, &rec), VCONF_OK);
    g_main_context_pop_thread_default(own);

    ASSERT_EQ(vconf_set_int("ctx/key", 1), VCONF_OK);
    RunLoopFor(0.3);  // the default context
    EXPECT_EQ(rec.size(), 0u);
    gint64 deadline = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
    while (rec.size() == 0 && g_get_monotonic_time() < deadline) {
        g_main_context_iteration(own, FALSE);
        g_usleep(1000);
    }
    EXPECT_EQ(rec.size(), 1u);
    vconf_ignore_key_changed("ctx/key", Record<0>);
    g_main_context_unref(own);
}

TEST_F(SettingsWatcherTest, ScriptedFaultsAndUnusableKeysRegisterNothing) {
    root->Fault("vconf_notify_key_changed", "-5 0");
    root->Fault("vconf_ignore_key_changed", "-3");
    ReloadFaults();
    Recorder rec;
    EXPECT_EQ(vconf_notify_key_changed("f/key", Record<1>, &rec), -5);
    ASSERT_EQ(vconf_set_int("f/key", 1), VCONF_OK);
    RunLoopFor(0.3);
    EXPECT_EQ(rec.size(), 0u);

    ASSERT_EQ(Notify("f/key", Record<1>, &rec), VCONF_OK);
    EXPECT_EQ(vconf_ignore_key_changed("f/key", Record<1>), -3);  // still registered
    ASSERT_EQ(vconf_set_int("f/key", 2), VCONF_OK);
    Expect(rec, 1, "after the failed removal");
    EXPECT_EQ(vconf_ignore_key_changed("f/key", Record<1>), VCONF_OK);

    EXPECT_EQ(vconf_notify_key_changed("a/../b", Record<1>, &rec), VCONF_ERROR);
    EXPECT_EQ(vconf_notify_key_changed(nullptr, Record<1>, &rec), VCONF_ERROR);
    EXPECT_EQ(vconf_notify_key_changed("f/key", nullptr, &rec), VCONF_ERROR);
    EXPECT_EQ(vconf_ignore_key_changed(nullptr, Record<1>), VCONF_ERROR);
    // A directory that cannot be made: a file stands in its place.
    root->Write("settings/g", "not a directory");
    EXPECT_EQ(vconf_notify_key_changed("g/key", Record<1>, &rec), VCONF_ERROR);
}

// Prints the delay from a write to its callback: the figure behind "changes reach the
// process at once".
TEST_F(SettingsWatcherTest, AWriteReachesItsCallbackWithinMilliseconds) {
    Recorder rec;
    ASSERT_EQ(Notify("latency/key", Record<0>, &rec), VCONF_OK);
    std::vector<double> ms;
    for (int i = 0; i < 20; ++i) {
        gint64 start = g_get_monotonic_time();
        ASSERT_EQ(vconf_set_int("latency/key", i), VCONF_OK);
        ASSERT_TRUE(RunLoopUntil([&] { return rec.size() == static_cast<size_t>(i + 1); }, 5));
        ms.push_back((g_get_monotonic_time() - start) / 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    printf("write to callback: median %.1f ms, max %.1f ms over %zu writes\n", ms[ms.size() / 2],
           ms.back(), ms.size());
    EXPECT_LT(ms[ms.size() / 2], 100.0);
}

}  // namespace
