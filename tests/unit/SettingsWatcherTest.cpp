// Change notifications of the settings store: writes by this process and by other processes
// reach the registered callbacks on the main loop, once per change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <vconf.h>

#include "HostFixture.h"

using brelta::test::HostFixture;

namespace {

struct KeyRecorder {
    std::vector<std::string> values;  // the string, or the number, of each node
    size_t size() const { return values.size(); }
};

// Distinct functions, so that several registrations per key can be told apart.
template <int N>
void Record(keynode_t* node, void* data) {
    const char* str = vconf_keynode_get_str(node);
    static_cast<KeyRecorder*>(data)->values.push_back(
        vconf_keynode_get_type(node) == VCONF_TYPE_INT
            ? "int " + std::to_string(vconf_keynode_get_int(node))
            : std::string(vconf_keynode_get_name(node)) + " " + (str != nullptr ? str : ""));
}

class SettingsWatcherTest : public HostFixture {
protected:
    // Registers, and removes the registration when the test ends: recorders live on the stack.
    int Notify(const char* key, vconf_callback_fn cb, void* data) {
        m_Registered.emplace_back(key, cb);
        return vconf_notify_key_changed(key, cb, data);
    }
    void TearDown() override {
        for (const auto& r : m_Registered) vconf_ignore_key_changed(r.first.c_str(), r.second);
        HostFixture::TearDown();
    }
    std::string File(const std::string& key) const { return *root / ("settings/" + key); }
    void Shell(const std::string& command) const {
        ASSERT_EQ(system(command.c_str()), 0) << command;
    }
    // Runs the loop until `count` calls, then a little longer so that a second callback for
    // the same change would show.
    void Expect(const KeyRecorder& recorder, size_t count, const std::string& what) {
        EXPECT_TRUE(RunLoopUntil([&] { return recorder.size() >= count; }, 5)) << what;
        RunLoopFor(0.2);
        EXPECT_EQ(recorder.size(), count) << what;
    }

private:
    std::vector<std::pair<std::string, vconf_callback_fn>> m_Registered;
};

TEST_F(SettingsWatcherTest, EveryWayOfWritingAKeyGivesOneCallbackWithTheNewValue) {
    const std::string key = "db/test/language", file = File(key);
    KeyRecorder rec;
    ASSERT_EQ(Notify(key.c_str(), Record<0>, &rec), VCONF_OK);
    const struct {
        const char* what;
        std::string command;  // run by a shell; empty: written by this process
        const char* value;
    } steps[] = {
        {"create by the store", "", "first"},
        {"replace by the store", "", "second"},
        {"replace in place", "echo 'string by echo' > " + file, "by echo"},
        {"create in place", "rm " + file + " && echo 'string new file' > " + file, "new file"},
    };
    size_t expected = 0;
    for (const auto& step : steps) {
        if (step.command.empty())
            ASSERT_EQ(vconf_set_str(key.c_str(), step.value), VCONF_OK);
        else
            Shell(step.command);
        Expect(rec, ++expected, step.what);
        if (rec.size() != expected) return;
        EXPECT_EQ(rec.values.back(), key + " " + step.value) << step.what;
    }
    Shell("rm " + file);  // removing the key is no change of value
    RunLoopFor(0.3);
    EXPECT_EQ(rec.size(), expected);
}

TEST_F(SettingsWatcherTest, KeyInADirectoryNobodyHasMadeYetIsFollowed) {
    KeyRecorder rec;
    ASSERT_EQ(Notify("not/made/yet/key", Record<0>, &rec), VCONF_OK);
    Shell("mkdir -p " + *root / "settings/not/made/yet" + " && echo 'int 42' > " +
          File("not/made/yet/key"));
    Expect(rec, 1, "first write");
    EXPECT_EQ(rec.values, std::vector<std::string>{"int 42"});
}

TEST_F(SettingsWatcherTest, RemovedCallbacksAreNeverCalledAgain) {
    KeyRecorder a, b, neighbour;
    ASSERT_EQ(Notify("rm/key", Record<1>, &a), VCONF_OK);
    ASSERT_EQ(Notify("rm/key", Record<2>, &b), VCONF_OK);
    ASSERT_EQ(vconf_ignore_key_changed("rm/key", Record<1>), VCONF_OK);
    EXPECT_NE(vconf_ignore_key_changed("rm/key", Record<1>), VCONF_OK);
    ASSERT_EQ(vconf_set_int("rm/key", 1), VCONF_OK);
    Expect(b, 1, "the other callback stays");
    EXPECT_EQ(a.size(), 0u);

    // A change already queued when the callback is removed is not delivered to it (the
    // neighbour keeps the directory watched, so the change does arrive).
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
    vconf_callback_fn victim = nullptr;  // null: removes itself
};

void Remove(keynode_t* node, void* data) {
    auto* removing = static_cast<Removing*>(data);
    ++removing->calls;
    vconf_ignore_key_changed(vconf_keynode_get_name(node),
                             removing->victim != nullptr ? removing->victim : Remove);
}

TEST_F(SettingsWatcherTest, CallbackMayRemoveItselfOrTheOneAfterIt) {
    Removing self;
    ASSERT_EQ(Notify("self/key", Remove, &self), VCONF_OK);
    ASSERT_EQ(vconf_set_int("self/key", 1), VCONF_OK);
    EXPECT_TRUE(RunLoopUntil([&] { return self.calls == 1; }, 5));
    ASSERT_EQ(vconf_set_int("self/key", 2), VCONF_OK);
    RunLoopFor(0.3);
    EXPECT_EQ(self.calls, 1);

    Removing first;
    KeyRecorder second;
    first.victim = Record<3>;
    ASSERT_EQ(Notify("self/key", Remove, &first), VCONF_OK);
    ASSERT_EQ(Notify("self/key", Record<3>, &second), VCONF_OK);
    ASSERT_EQ(vconf_set_int("self/key", 3), VCONF_OK);
    EXPECT_TRUE(RunLoopUntil([&] { return first.calls == 1; }, 5));
    RunLoopFor(0.3);
    EXPECT_EQ(second.size(), 0u);
}

TEST_F(SettingsWatcherTest, ScriptedFaultsAndUnusableKeysRegisterNothing) {
    root->Fault("vconf_notify_key_changed", "-5 0");
    root->Fault("vconf_ignore_key_changed", "-3");
    ReloadFaults();
    KeyRecorder rec;
    EXPECT_EQ(vconf_notify_key_changed("f/key", Record<1>, &rec), -5);
    ASSERT_EQ(vconf_set_int("f/key", 1), VCONF_OK);
    RunLoopFor(0.3);
    EXPECT_EQ(rec.size(), 0u);

    ASSERT_EQ(Notify("f/key", Record<1>, &rec), VCONF_OK);
    EXPECT_EQ(vconf_ignore_key_changed("f/key", Record<1>), -3);  // still registered
    ASSERT_EQ(vconf_set_int("f/key", 2), VCONF_OK);
    Expect(rec, 1, "after the failed removal");

    EXPECT_EQ(vconf_notify_key_changed("a/../b", Record<1>, &rec), VCONF_ERROR);
    root->Write("settings/g", "not a directory");  // a directory that cannot be made
    EXPECT_EQ(vconf_notify_key_changed("g/key", Record<1>, &rec), VCONF_ERROR);
}

}  // namespace
