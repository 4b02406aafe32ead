#include "RemoteRuns.h"

#include <sys/wait.h>

#include <algorithm>

#include "DeviceRoot.h"
// BRELTA_COMMAND_IDS(X): X(id, exit delay) for each row of the tool's command table.
#include "CommandIds.inc"

namespace brelta::screen {

RemoteRuns::RemoteRuns(std::string tool, std::function<void()> changed)
    : m_Tool(std::move(tool)), m_Changed(std::move(changed)) {}

RemoteRuns::~RemoteRuns() {
    // The runs go on without the screen; only their watches end.
    for (const Run& run : m_Runs)
        if (!run.ended) g_source_remove(run.watch);
}

const std::vector<std::string>& RemoteRuns::Ids() {
#define BRELTA_ID(id, delay) id,
    static const std::vector<std::string> ids = {BRELTA_COMMAND_IDS(BRELTA_ID)};
#undef BRELTA_ID
    return ids;
}

bool RemoteRuns::Known(const std::string& id) {
    return std::find(Ids().begin(), Ids().end(), id) != Ids().end();
}

bool RemoteRuns::Start(const std::string& id, long* pid, std::string* error) {
    if (!Known(id)) {
        *error = "not a key combination";
        return false;
    }
    size_t running =
        std::count_if(m_Runs.begin(), m_Runs.end(), [](const Run& r) { return !r.ended; });
    if (running >= kMaxRunning) {
        *error = std::to_string(running) + " runs have not ended yet";
        return false;
    }
    // The root goes to the tool by the environment, whichever way this process chose it; no
    // shell sees it or the id.
    gchar** env = g_environ_setenv(g_get_environ(), "BRELTA_DEVICE_ROOT",
                                   host::DeviceRoot::Path().c_str(), TRUE);
    gchar* argv[] = {const_cast<gchar*>(m_Tool.c_str()), const_cast<gchar*>(id.c_str()), nullptr};
    GPid child = 0;
    GError* failure = nullptr;
    bool started = g_spawn_async(
        nullptr, argv, env,
        static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL |
                                 G_SPAWN_STDERR_TO_DEV_NULL),
        nullptr, nullptr, &child, &failure);
    g_strfreev(env);
    if (!started) {
        *error = failure->message;
        g_error_free(failure);
        return false;
    }
    Run run{child, id, g_get_monotonic_time()};
    run.watch = g_child_watch_add(child, OnExit, this);
    m_Runs.push_back(run);
    while (m_Runs.size() > kKept && m_Runs.front().ended) m_Runs.pop_front();
    *pid = child;
    m_Changed();
    return true;
}

void RemoteRuns::OnExit(GPid pid, gint wait_status, gpointer self) {
    auto* runs = static_cast<RemoteRuns*>(self);
    g_spawn_close_pid(pid);
    for (Run& run : runs->m_Runs) {
        if (run.pid != pid || run.ended) continue;
        run.ended = true;
        // A signal shows as its negative number, an exit as its status.
        run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -WTERMSIG(wait_status);
    }
    runs->m_Changed();
}

nlohmann::ordered_json RemoteRuns::ToJson() const {
    gint64 now = g_get_monotonic_time();
    nlohmann::ordered_json runs = nlohmann::ordered_json::array();
    for (const Run& run : m_Runs)
        runs.push_back({{"pid", run.pid},
                        {"id", run.id},
                        {"age_ms", (now - run.started) / 1000},
                        {"status", run.ended ? nlohmann::ordered_json(run.status) : nullptr}});
    return runs;
}

}  // namespace brelta::screen
