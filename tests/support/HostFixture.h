#ifndef BRELTA_TESTS_HOSTFIXTURE_H
#define BRELTA_TESTS_HOSTFIXTURE_H

#include <gtest/gtest.h>

#include <glib.h>

#include <memory>
#include <string>
#include <vector>

#include "LogRecords.h"
#include "TempDeviceRoot.h"

namespace brelta::test {

// In-process tests of the tool's classes and the host platform: every test gets a device
// root of its own with every service emulated, and forgets the fault scripts of the one
// before.
class HostFixture : public ::testing::Test {
protected:
    // Made before the members of a test's class, whose constructors may log: into a root of
    // the test's too, not the default root of whoever runs the tests. SetUp starts afresh.
    HostFixture();
    void SetUp() override;
    void TearDown() override;

    // Runs the default main context until `done` returns true or `seconds` have passed;
    // returns whether `done` became true.
    template <typename Done>
    bool RunLoopUntil(Done done, double seconds) {
        gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(seconds * 1e6);
        while (!done()) {
            if (g_get_monotonic_time() > deadline) return false;
            g_main_context_iteration(nullptr, FALSE);
            g_usleep(1000);
        }
        return true;
    }
    void RunLoopFor(double seconds) {
        RunLoopUntil([] { return false; }, seconds);
    }

    LogRecords SystemLog() const { return LogRecords::Load(*root / "log/system"); }
    std::vector<std::string> SystemTexts() const { return SystemLog().Texts(); }
    std::vector<std::string> MainTexts() const {
        return LogRecords::Load(*root / "log/main").Texts();
    }
    // The records of log/<buffer> as "<file>: <function> > <text>": a story to compare whole.
    std::vector<std::string> Records(const std::string& buffer) const;
    // The notification journal, a line each: "post <id> <title>|<content> [<buttons>] <hide
    // time-out>" (the default button marked *, a missing text "null"), "event <id> <event>",
    // "delete_all [<ids>]"; " by <pid>" ends the lines of other processes.
    std::vector<std::string> Journal() const;
    // Runs the loop until the journal holds `line`, as Journal() shows it; false after 30 s.
    bool AwaitJournal(const std::string& line);
    // Makes the platform read its fault scripts again (after root->Fault for a function that
    // this test has called already).
    void ReloadFaults();
    // A new device root for this process, with no service live and no fault scripted.
    void UseFreshRoot();

    std::unique_ptr<TempDeviceRoot> root;
};

}  // namespace brelta::test

#endif
