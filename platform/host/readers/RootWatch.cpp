#include "RootWatch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <utility>

#include "base/FileUtil.h"

namespace brelta::host {

namespace {
struct AreaDir {
    const char* name;
    unsigned area;
};
constexpr AreaDir kAreaDirs[] = {
    {"notifications", RootWatch::kToasts},
    {"notifications/input", RootWatch::kToasts},
    {"apps", RootWatch::kLaunches},
    {"settings", RootWatch::kSettings},
    {"usb", RootWatch::kUsb},
    {"faults", RootWatch::kFaults},
    {"log", RootWatch::kLog},
};
// Appends (the log, the journals), closes, renames and links onto a name, removals; and the
// directory itself moved away.
constexpr std::uint32_t kMask =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_MOVE_SELF;
// The root's own folder: its services' directories made; and the folder above it: the root
// (or a folder on the way to it) made, removed or moved.
constexpr std::uint32_t kRootMask = IN_CREATE | IN_MOVED_TO | IN_MOVE_SELF;
constexpr std::uint32_t kWayMask = kRootMask | IN_DELETE | IN_MOVED_FROM;

// The root and the folders above it may be links; below it, nothing is followed: a link to /
// would have us watch the whole file system.
bool IsDir(const std::string& path, bool follow, struct stat* st) {
    return (follow ? stat(path.c_str(), st) : lstat(path.c_str(), st)) == 0 && S_ISDIR(st->st_mode);
}
}  // namespace

RootWatch::RootWatch(std::string root, Callback changed)
    : m_Root(std::move(root)), m_Changed(std::move(changed)) {
    while (m_Root.size() > 1 && m_Root.back() == '/') m_Root.pop_back();
}

RootWatch::~RootWatch() {
    for (const auto& [path, watched] : m_Watches) FileWatch::Remove(watched.id);
    if (m_Report != 0) g_source_remove(m_Report);
}

bool RootWatch::Start() {
    return Refresh(false);
}

bool RootWatch::Refresh(bool afresh) {
    std::string way = FileUtil::Parent(m_Root), next = m_Root.substr(way.size());
    struct stat st;
    while (!IsDir(way, true, &st)) {
        std::string parent = FileUtil::Parent(way);
        if (parent.empty() || parent == way) return false;
        next = way.substr(parent.size());
        way = parent;
    }
    if (!next.empty() && next[0] == '/') next.erase(0, 1);
    if (way != m_Way && !m_Way.empty()) Unwatch(m_Way);
    m_Way = way;
    m_Next = next;
    if (!Watch(way, 0, false)) return false;
    if (!IsDir(m_Root, true, &st)) return true;
    if (!Watch(m_Root, 0, false)) return false;
    for (const AreaDir& dir : kAreaDirs) WatchTree(m_Root + "/" + dir.name, dir.area, afresh);
    return true;
}

bool RootWatch::Watch(const std::string& dir, unsigned area, bool afresh) {
    struct stat st;
    if (!IsDir(dir, area == 0, &st)) return false;
    auto found = m_Watches.find(dir);
    if (found != m_Watches.end()) {
        if (found->second.device == st.st_dev && found->second.inode == st.st_ino) return true;
        // Another directory of that name now (the old one removed, and held by someone, so
        // that it has not told of its end yet).
        Unwatch(dir);
    }
    if (m_Watches.size() >= kMaxWatches) return false;
    Watched& watched = m_Watches[dir];
    watched = {this, 0, dir, area, st.st_dev, st.st_ino};
    std::uint32_t mask = area != 0 ? kMask : dir == m_Way ? kWayMask : kRootMask;
    watched.id = FileWatch::Add(dir, mask, OnEventsOf, &watched);
    if (watched.id == 0) {
        m_Watches.erase(dir);
        return false;
    }
    // What was written before the watch began is news to a follower.
    if (afresh && area != 0) Note(area, {area, dir, "", IN_Q_OVERFLOW});
    return true;
}

void RootWatch::WatchTree(const std::string& dir, unsigned area, bool afresh) {
    if (!Watch(dir, area, afresh) || area != kSettings) return;
    // Keys live in directories of any depth; nothing else has subdirectories worth a look.
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    while (struct dirent* entry = readdir(d))
        if (entry->d_name[0] != '.') WatchTree(dir + "/" + entry->d_name, area, afresh);
    closedir(d);
}

void RootWatch::Unwatch(const std::string& dir) {
    auto found = m_Watches.find(dir);
    if (found == m_Watches.end()) return;
    FileWatch::Remove(found->second.id);
    m_Watches.erase(found);
}

void RootWatch::Note(unsigned area, Event event) {
    m_Pending |= area;
    m_Events.push_back(std::move(event));
    // Every watch whose events were read in this turn of the loop has had its say by the time
    // the report runs: the follower gets one call for them all.
    if (m_Report == 0) m_Report = g_idle_add(Report, this);
}

void RootWatch::OnEventsOf(const std::vector<FileWatch::Event>& events, void* watched) {
    auto* self = static_cast<Watched*>(watched);
    self->owner->OnEvents(self, events);
}

void RootWatch::OnEvents(Watched* watched, const std::vector<FileWatch::Event>& events) {
    // Copies: the watch may be removed below.
    unsigned area = watched->area;
    std::string path = watched->path;
    bool gone = false, refresh = false;
    for (const FileWatch::Event& event : events) {
        if (event.mask & IN_Q_OVERFLOW) {
            // Lost events may have made or removed directories too.
            refresh = true;
            Note(kAll, {kAll, "", "", IN_Q_OVERFLOW});
        }
        gone = gone || (event.mask & (IN_IGNORED | IN_MOVE_SELF));
        if (event.name.empty()) continue;
        bool made = (event.mask & (IN_CREATE | IN_MOVED_TO)) != 0;
        if (area == 0) {
            // Above the root: the root (or a folder on the way) made, removed or moved; the
            // root: a service directory made.
            refresh = refresh || (path == m_Way ? event.name == m_Next : made);
            continue;
        }
        Note(area, {area, path, event.name, event.mask});
        if (made && area == kSettings) WatchTree(path + "/" + event.name, area, true);
        refresh = refresh || (made && path == m_Root + "/notifications");
    }
    if (gone) {
        // Removed (a reset) or moved away: a new directory of that name is watched when it
        // is made.
        Unwatch(path);
        if (path == m_Way) m_Way.clear();
        if (area != 0) Note(area, {area, path, "", IN_IGNORED});
        refresh = true;
    }
    if (refresh) Refresh(true);
}

gboolean RootWatch::Report(gpointer self) {
    auto* watch = static_cast<RootWatch*>(self);
    unsigned areas = watch->m_Pending;
    std::vector<Event> events = std::move(watch->m_Events);
    watch->m_Pending = 0;
    watch->m_Events.clear();
    watch->m_Report = 0;
    watch->m_Changed(areas, events);
    return G_SOURCE_REMOVE;
}

}  // namespace brelta::host
