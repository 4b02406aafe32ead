#include "RemoteRuns.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "base/DeviceRoot.h"
#include "base/ProcStat.h"
// BRELTA_COMMAND_IDS(X): X(id, exit delay) for each row of the tool's command table.
#include "CommandIds.inc"

namespace brelta::screen {

namespace {
// Bounds the map of processes that are no run's: a log written by many other processes.
constexpr size_t kMaxParents = 256;

// In the child, before the tool starts: a process group of its own, so that the screen can
// end the run with whatever it forked; and SIGTERM when the screen dies without ending it.
void BecomeRun(gpointer parent) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != static_cast<pid_t>(GPOINTER_TO_INT(parent))) raise(SIGTERM);
}

long ParentOf(long pid) {
    host::ProcStat stat;
    return host::ProcStat::Read(pid, &stat) ? stat.parent : 0;
}
}  // namespace

RemoteRuns::RemoteRuns(std::string tool, std::function<void()> changed)
    : m_Tool(std::move(tool)), m_Changed(std::move(changed)) {}

RemoteRuns::~RemoteRuns() {
    for (const Run& run : m_Runs)
        if (!run.ended) g_source_remove(run.watch);
}

const std::vector<std::string>& RemoteRuns::Ids() {
#define BRELTA_ID(id, delay) id,
    static const std::vector<std::string> ids = {BRELTA_COMMAND_IDS(BRELTA_ID)};
#undef BRELTA_ID
    return ids;
}

RemoteRuns::Outcome RemoteRuns::Start(const std::string& id, long* pid, std::string* error) {
    if (std::find(Ids().begin(), Ids().end(), id) == Ids().end()) {
        *error = "not an id of the command table";
        return Outcome::kUnknownId;
    }
    if (access(m_Tool.c_str(), X_OK) != 0) {
        *error = "the tool is not built: " + m_Tool + " is missing";
        return Outcome::kNoTool;
    }
    size_t running =
        std::count_if(m_Runs.begin(), m_Runs.end(), [](const Run& r) { return !r.ended; });
    if (running >= kMaxRunning) {
        *error = std::to_string(running) + " runs have not ended yet";
        return Outcome::kBusy;
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
        BecomeRun, GINT_TO_POINTER(getpid()), &child, &failure);
    g_strfreev(env);
    if (!started) {
        *error = failure->message;
        g_error_free(failure);
        return Outcome::kFailed;
    }
    // Also here: the group must exist before the first kill, whichever of the two runs first.
    setpgid(child, child);
    Run run{child, id, g_get_monotonic_time(), false, 0, 0, {}};
    run.watch = g_child_watch_add(child, OnExit, this);
    m_Runs.push_back(run);
    while (m_Runs.size() > kKept && m_Runs.front().ended) m_Runs.pop_front();
    *pid = child;
    m_Changed();
    return Outcome::kStarted;
}

void RemoteRuns::OnExit(GPid pid, gint wait_status, gpointer self) {
    auto* runs = static_cast<RemoteRuns*>(self);
    g_spawn_close_pid(pid);
    if (Run* run = runs->RunOf(pid)) {
        run->ended = true;
        // A signal shows as its negative number, an exit as its status.
        run->status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -WTERMSIG(wait_status);
    }
    runs->m_Changed();
}

RemoteRuns::Run* RemoteRuns::RunOf(long pid) {
    // The latest run of a pid: an ended one's pid may have been taken again.
    for (auto it = m_Runs.rbegin(); it != m_Runs.rend(); ++it)
        if (it->pid == pid) return &*it;
    return nullptr;
}

void RemoteRuns::Observe(const host::LogRecord& record) {
    Run* run = RunOf(record.pid);
    bool own = run != nullptr;
    if (!own) {
        // A process forked by a run (the MDT task's child) is known by its parent while the
        // run lives, which is as long as the child has anything to say.
        auto known = m_Parents.find(record.pid);
        if (known == m_Parents.end()) {
            if (m_Parents.size() >= kMaxParents) m_Parents.clear();
            long parent = ParentOf(record.pid);
            known = m_Parents.emplace(record.pid, RunOf(parent) != nullptr ? parent : 0).first;
        }
        if (known->second == 0 || (run = RunOf(known->second)) == nullptr) return;
    }
    if (run->progress.Take(record, own)) m_Changed();
}

std::vector<long> RemoteRuns::EndAll() {
    std::vector<long> going;
    for (const Run& run : m_Runs)
        if (!run.ended) going.push_back(run.pid);
    for (int signal : {SIGTERM, SIGKILL}) {
        for (const Run& run : m_Runs)
            if (!run.ended) kill(static_cast<pid_t>(-run.pid), signal);
        // Their exits arrive as child watches on this loop.
        gint64 deadline = g_get_monotonic_time() + kEndGraceMs * 1000;
        while (g_get_monotonic_time() < deadline &&
               std::any_of(m_Runs.begin(), m_Runs.end(), [](const Run& r) { return !r.ended; })) {
            if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(10 * 1000);
        }
    }
    return going;
}

nlohmann::ordered_json RemoteRuns::ToJson() const {
    gint64 now = g_get_monotonic_time();
    long long wall_ms = g_get_real_time() / 1000;
    nlohmann::ordered_json runs = nlohmann::ordered_json::array();
    for (const Run& run : m_Runs) {
        nlohmann::ordered_json entry = {
            {"pid", run.pid},
            {"id", run.id},
            {"age_ms", (now - run.started) / 1000},
            {"status", run.ended ? nlohmann::ordered_json(run.status) : nullptr}};
        entry.update(run.progress.ToJson(wall_ms));
        runs.push_back(std::move(entry));
    }
    return runs;
}

}  // namespace brelta::screen
