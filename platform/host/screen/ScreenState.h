#ifndef BRELTA_SCREEN_SCREENSTATE_H
#define BRELTA_SCREEN_SCREENSTATE_H

#include <glib.h>

#include <deque>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "LineStream.h"
#include "LogMerge.h"
#include "RootWatch.h"

namespace brelta::screen {

using host::RootWatch;

// What the page shows of the device root, read with the platform's own readers and kept up
// to date from the root's file-change notifications. Each part of it is one named event for
// the page: "toasts", "launches", "usb", "faults" (the whole part each time), "settings" (the
// keys set and removed since the event before, or all of them) and "log" (the records
// written since the event before, taken apart). Every part is bounded in bytes, so that what
// a page is sent on connecting is too.
class ScreenState {
public:
    using Event = std::pair<std::string, std::string>;  // name, JSON text
    using Broadcast = std::function<void(const Event&)>;
    // Each log record as it is read, for the runs' progress.
    using Records = std::function<void(const host::LogRecord&)>;

    ScreenState(Broadcast broadcast, Records records);
    ~ScreenState();
    ScreenState(const ScreenState&) = delete;
    ScreenState& operator=(const ScreenState&) = delete;

    // Re-reads the parts of RootWatch::Area `areas` and broadcasts them.
    void Refresh(unsigned areas);
    // Every part and the latest log records, for a page that has just connected.
    std::vector<Event> Snapshot();

    // JSON text that never fails on bytes that are not UTF-8 (a record keeps the bytes the
    // tool wrote; the page shows a replacement character for them).
    static std::string Text(const nlohmann::ordered_json& value);
    // A journal line (or a request) as a JSON object, or null for one that is not (garbled,
    // or nested deeper than any journal line is).
    static nlohmann::ordered_json ParseLine(const std::string& line);

    // The log records kept for a page that connects: the latest, by number and by size.
    static constexpr size_t kLogBacklog = 1000;
    static constexpr size_t kLogBacklogBytes = 512 * 1024;
    static constexpr size_t kLaunchBacklog = 200;
    static constexpr size_t kLaunchBacklogBytes = 256 * 1024;
    // Settings read and shown: the first keys (in the store's order) within both bounds; the
    // page is told how many more there are.
    static constexpr size_t kMaxKeys = 2000;
    static constexpr size_t kMaxSettingsBytes = 1024 * 1024;

private:
    struct Arrived {
        nlohmann::ordered_json value;
        gint64 at;  // monotonic microseconds; 0: already there when the screen started
        size_t bytes;
    };
    // Key -> the JSON text of its row.
    using Store = std::map<std::string, std::string>;

    nlohmann::ordered_json Toasts();
    nlohmann::ordered_json Launches() const;
    // The store as shown; *hidden: the keys beyond the bounds.
    static Store Settings(size_t* hidden);
    std::string SettingsChange(bool whole);
    static nlohmann::ordered_json Usb();
    static nlohmann::ordered_json Faults();
    void ReadPosts();
    void ReadLaunches(bool startup);
    // The records read since the call before, as the JSON text of an array.
    std::string ReadLog(bool* restarted);
    void WatchExit(long pid);
    static gboolean OnProcessExit(gint fd, GIOCondition condition, gpointer self);
    static void AddAge(nlohmann::ordered_json* value, gint64 at, gint64 now);

    Broadcast m_Broadcast;
    Records m_Records;
    host::LineStream m_Posts;
    host::LineStream m_LaunchTail;
    host::LogMerge m_Log;  // main and system
    std::map<int, gint64> m_PostedAt;
    std::deque<Arrived> m_Launches;
    size_t m_LaunchBytes = 0;
    std::deque<std::string> m_LogRecords;  // JSON text of each
    size_t m_LogBytes = 0;
    Store m_Settings;
    // pidfd of each process whose toasts are on screen -> its source: a toast leaves the
    // screen with its process, which writes nothing when it is killed.
    std::map<long, guint> m_ExitWatches;
    std::map<int, long> m_ExitFds;
};

}  // namespace brelta::screen

#endif
