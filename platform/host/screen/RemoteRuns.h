#ifndef BRELTA_SCREEN_REMOTERUNS_H
#define BRELTA_SCREEN_REMOTERUNS_H

#include <glib.h>

#include <deque>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace brelta::screen {

// The remote: each of its buttons starts the built tool with one command id on this device
// root, as the TV's key-combination service does, and the runs are followed to their exit.
class RemoteRuns {
public:
    // `tool`: the tool's program; `changed` is called on the main loop when a run started or
    // ended.
    RemoteRuns(std::string tool, std::function<void()> changed);
    ~RemoteRuns();
    RemoteRuns(const RemoteRuns&) = delete;
    RemoteRuns& operator=(const RemoteRuns&) = delete;

    // The ids of the tool's command table: nothing else is ever run.
    static const std::vector<std::string>& Ids();
    static bool Known(const std::string& id);

    // Starts a run of a known id; false with *error set when it could not start.
    bool Start(const std::string& id, long* pid, std::string* error);
    // The latest runs, oldest first: {"pid","id","age_ms","status"}, status null while running.
    nlohmann::ordered_json ToJson() const;

    // Presses faster than the runs end must not fill the machine with processes.
    static constexpr size_t kMaxRunning = 8;
    static constexpr size_t kKept = 20;

private:
    struct Run {
        long pid;
        std::string id;
        gint64 started;
        bool ended = false;
        int status = 0;
        guint watch = 0;
    };
    static void OnExit(GPid pid, gint wait_status, gpointer self);

    std::string m_Tool;
    std::function<void()> m_Changed;
    std::deque<Run> m_Runs;
};

}  // namespace brelta::screen

#endif
