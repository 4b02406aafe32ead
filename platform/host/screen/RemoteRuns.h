#ifndef BRELTA_SCREEN_REMOTERUNS_H
#define BRELTA_SCREEN_REMOTERUNS_H

#include <glib.h>

#include <deque>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "log/LogRecord.h"
#include "RunProgress.h"

namespace brelta::screen {

// The remote: each of its buttons starts the built tool with one command id on this device
// root, as the TV's key-combination service does, and the runs are followed to their exit,
// their progress read from their log records. The runs end with the screen: each is a
// process group of its own that the screen ends when it quits, and that the kernel sends
// SIGTERM when the screen dies any other way.
class RemoteRuns {
public:
    // `tool`: the tool's program; `changed` is called on the main loop when a run started,
    // progressed or ended.
    RemoteRuns(std::string tool, std::function<void()> changed);
    ~RemoteRuns();
    RemoteRuns(const RemoteRuns&) = delete;
    RemoteRuns& operator=(const RemoteRuns&) = delete;

    // The ids of the tool's command table: nothing else is ever run.
    static const std::vector<std::string>& Ids();

    enum class Outcome { kStarted, kUnknownId, kBusy, kNoTool, kFailed };
    // Starts a run of a known id; anything but kStarted comes with *error set.
    Outcome Start(const std::string& id, long* pid, std::string* error);
    // A record of the log: news of a run when it is one's, or one's child's.
    void Observe(const host::LogRecord& record);
    // Ends the runs still going (SIGTERM to their process groups, SIGKILL to those left
    // after kEndGraceMs); the pids of those that were going.
    std::vector<long> EndAll();
    // The latest runs, oldest first: {"pid","id","age_ms","status"} and RunProgress's
    // fields; status null while running.
    nlohmann::ordered_json ToJson() const;

    // Presses faster than the runs end must not fill the machine with processes.
    static constexpr size_t kMaxRunning = 8;
    static constexpr size_t kKept = 20;
    // The tool ends at once on SIGTERM; more is a run that does not.
    static constexpr gint64 kEndGraceMs = 2000;

private:
    struct Run {
        long pid;
        std::string id;
        gint64 started;
        bool ended = false;
        int status = 0;
        guint watch = 0;
        RunProgress progress;
    };
    static void OnExit(GPid pid, gint wait_status, gpointer self);
    Run* RunOf(long pid);

    std::string m_Tool;
    std::function<void()> m_Changed;
    std::deque<Run> m_Runs;
    // Processes seen in the log that are not runs -> the run that forked them (0: none).
    std::map<long, long> m_Parents;
};

}  // namespace brelta::screen

#endif
