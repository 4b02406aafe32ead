#include "RootWatch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <utility>

namespace brelta::screen {

using host::FileWatch;

namespace {
struct AreaDir {
    const char* name;
    unsigned area;
};
constexpr AreaDir kAreaDirs[] = {
    {"notifications", RootWatch::kToasts}, {"apps", RootWatch::kLaunches},
    {"settings", RootWatch::kSettings},    {"usb", RootWatch::kUsb},
    {"faults", RootWatch::kFaults},        {"log", RootWatch::kLog},
};
// Appends (the log, the journals), closes, renames and links onto a name, removals.
constexpr uint32_t kMask =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;
constexpr uint32_t kRootMask = IN_CREATE | IN_MOVED_TO;

// Not through links: a link to / would have us watch the whole file system.
bool IsDir(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

RootWatch::RootWatch(std::string root, Callback changed)
    : m_Root(std::move(root)), m_Changed(std::move(changed)) {}

RootWatch::~RootWatch() {
    for (const auto& [path, watched] : m_Watches) FileWatch::Remove(watched.id);
    if (m_Report != 0) g_source_remove(m_Report);
}

bool RootWatch::Start() {
    if (!Watch(m_Root, 0)) return false;
    for (const AreaDir& dir : kAreaDirs) WatchTree(m_Root + "/" + dir.name, dir.area);
    return true;
}

bool RootWatch::Watch(const std::string& dir, unsigned area) {
    if (m_Watches.count(dir) != 0) return true;
    if (m_Watches.size() >= kMaxWatches) return false;
    Watched& watched = m_Watches[dir];
    watched = {this, 0, dir, area};
    watched.id = FileWatch::Add(dir, area == 0 ? kRootMask : kMask, OnEventsOf, &watched);
    if (watched.id != 0) return true;
    m_Watches.erase(dir);
    return false;
}

void RootWatch::WatchTree(const std::string& dir, unsigned area) {
    if (!IsDir(dir) || !Watch(dir, area) || area != kSettings) return;
    // Keys live in directories of any depth; nothing else has subdirectories worth a look.
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    while (struct dirent* entry = readdir(d))
        if (entry->d_name[0] != '.') WatchTree(dir + "/" + entry->d_name, area);
    closedir(d);
}

void RootWatch::OnEventsOf(const std::vector<FileWatch::Event>& events, void* watched) {
    auto* self = static_cast<Watched*>(watched);
    self->owner->OnEvents(self, events);
}

void RootWatch::OnEvents(Watched* watched, const std::vector<FileWatch::Event>& events) {
    unsigned area = watched->area;
    std::string path = watched->path;
    bool gone = false;
    for (const FileWatch::Event& event : events) {
        // Lost events may have made directories too: every tree is looked over again.
        if (event.mask & IN_Q_OVERFLOW) {
            for (const AreaDir& dir : kAreaDirs) WatchTree(m_Root + "/" + dir.name, dir.area);
            m_Pending |= kAll;
        }
        gone = gone || (event.mask & IN_IGNORED);
        if (event.name.empty()) continue;
        if (area == 0) {
            // The root: a service directory made (again) after a reset.
            for (const AreaDir& dir : kAreaDirs)
                if (event.name == dir.name) {
                    WatchTree(path + "/" + dir.name, dir.area);
                    m_Pending |= dir.area;
                }
            continue;
        }
        if (area == kSettings && (event.mask & (IN_CREATE | IN_MOVED_TO)))
            WatchTree(path + "/" + event.name, area);
        m_Pending |= area;
    }
    if (gone) {
        // Removed (a reset): a new directory of that name gets a new watch when it is made.
        FileWatch::Remove(watched->id);
        m_Watches.erase(path);
        m_Pending |= area;
    }
    // Every watch whose events were read in this turn of the loop has had its say by the time
    // the report runs: the page gets one refresh per part for them all.
    if (m_Pending != 0 && m_Report == 0) m_Report = g_idle_add(Report, this);
}

gboolean RootWatch::Report(gpointer self) {
    auto* watch = static_cast<RootWatch*>(self);
    unsigned areas = watch->m_Pending;
    watch->m_Pending = 0;
    watch->m_Report = 0;
    watch->m_Changed(areas);
    return G_SOURCE_REMOVE;
}

}  // namespace brelta::screen
