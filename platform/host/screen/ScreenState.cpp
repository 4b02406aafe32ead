#include "ScreenState.h"

#include <dlog.h>
#include <glib-unix.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "base/DeviceRoot.h"
#include "base/Faults.h"
#include "base/FileUtil.h"
#include "base/JsonJournal.h"
#include "JsonJournalReader.h"
#include "launch/Markup.h"
#include "NotificationReplay.h"
#include "settings/SettingsStore.h"
#include "usb/UsbDevices.h"

namespace brelta::screen {

using json = nlohmann::ordered_json;

namespace {
constexpr size_t kMaxExitWatches = 64;
constexpr size_t kBacklog = 256 * 1024;
constexpr const char* kAlertApp = "org.tizen.alert-syspopup";

std::string RootPath(const char* relative) {
    return host::DeviceRoot::Path() + "/" + relative;
}

// The service lives in the process that posted: once it has ended, nothing shows its toasts.
bool ProcessLives(long pid) {
    return pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

json OptionalText(const std::string* text) {
    return text != nullptr ? json(*text) : json(nullptr);
}

json OptionalInt(std::optional<int> value) {
    return value ? json(*value) : json(nullptr);
}

std::string LogEvent(bool restarted, const std::string& records) {
    return "{\"restarted\":" + std::string(restarted ? "true" : "false") +
           ",\"records\":" + records + "}";
}

// The value of an extra-data key of a launch line, or null.
const json* Extra(const json& launch, const char* key) {
    auto extra = launch.find("extra");
    if (extra == launch.end() || !extra->is_array()) return nullptr;
    for (const json& pair : *extra)
        if (pair.is_array() && pair.size() == 2 && pair[0] == key && pair[1].is_string())
            return &pair[1];
    return nullptr;
}
}  // namespace

ScreenState::ScreenState(Broadcast broadcast, Records records)
    : m_Broadcast(std::move(broadcast)),
      m_Records(std::move(records)),
      m_Posts(RootPath(host::JsonJournal::kNotifications), true, host::LineStream::kMaxLineBytes,
              kBacklog),
      m_LaunchTail(RootPath(host::JsonJournal::kLaunches), true, host::LineStream::kMaxLineBytes,
                   kBacklog) {
    m_Log.Add(LOG_ID_MAIN, true, kBacklog);
    m_Log.Add(LOG_ID_SYSTEM, true, kBacklog);
    ReadPosts();
    ReadLaunches(true);
    bool restarted = false;
    ReadLog(&restarted);
    size_t hidden = 0;
    m_Settings = Settings(&hidden);
}

ScreenState::~ScreenState() {
    for (const auto& [fd, pid] : m_ExitFds) {
        g_source_remove(m_ExitWatches[pid]);
        close(fd);
    }
}

std::string ScreenState::Text(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

json ScreenState::ParseLine(const std::string& line) {
    std::optional<json> value = host::JsonJournalReader::Parse(line);
    return value ? std::move(*value) : json(nullptr);
}

void ScreenState::AddAge(json* value, gint64 at, gint64 now) {
    (*value)["age_ms"] = at != 0 ? json((now - at) / 1000) : json(nullptr);
}

void ScreenState::ReadPosts() {
    gint64 now = g_get_monotonic_time();
    for (const std::string& line : m_Posts.ReadAvailable().lines) {
        json entry = ParseLine(line);
        if (entry.is_null() || entry.value("op", json()) != "post") continue;
        json id = entry.value("id", json());
        // A toast already on screen when the screen started: its time-out is counted from then.
        if (id.is_number_integer()) m_PostedAt[id.get<int>()] = now;
    }
}

json ScreenState::Toasts() {
    ReadPosts();
    gint64 now = g_get_monotonic_time();
    json toasts = json::array();
    std::vector<host::NotificationReplay::Shown> on_screen;
    host::JsonJournalReader::Skipped skipped;
    std::string error;
    // A journal that cannot be read shows no toast, as a TV whose service is down.
    host::NotificationReplay::Read(&on_screen, &skipped, &error);
    for (const host::NotificationReplay::Shown& shown : on_screen) {
        if (!ProcessLives(shown.pid)) continue;
        WatchExit(shown.pid);
        const host::NotificationRecord& record = *shown.record;
        json buttons = json::array();
        for (int index : record.Buttons()) {
            const auto* label = record.FindText(host::NotificationRecord::ButtonTextType(index));
            buttons.push_back({{"button", index},
                               {"text", label != nullptr ? json(label->text) : json(nullptr)}});
        }
        const auto* title = record.FindText(0);
        const auto* content = record.FindText(1);
        json toast = {{"id", shown.id},
                      {"pid", shown.pid},
                      {"title", title != nullptr ? json(title->text) : json(nullptr)},
                      {"content", content != nullptr ? json(content->text) : json(nullptr)},
                      {"image", OptionalText(record.FindImage(0))},
                      {"buttons", buttons},
                      {"default_button", OptionalInt(record.DefaultButton())},
                      {"hide_timeout", OptionalInt(record.HideTimeout())}};
        auto posted = m_PostedAt.find(shown.id);
        AddAge(&toast, posted != m_PostedAt.end() ? posted->second : now, now);
        toasts.push_back(std::move(toast));
    }
    return toasts;
}

void ScreenState::WatchExit(long pid) {
    if (m_ExitWatches.count(pid) != 0 || m_ExitWatches.size() >= kMaxExitWatches) return;
    int fd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
    // Without pidfds (an old kernel) a toast of a killed process stays until the next change.
    if (fd < 0) return;
    m_ExitFds[fd] = pid;
    m_ExitWatches[pid] = g_unix_fd_add(fd, G_IO_IN, OnProcessExit, this);
}

gboolean ScreenState::OnProcessExit(gint fd, GIOCondition, gpointer self) {
    auto* state = static_cast<ScreenState*>(self);
    state->m_ExitWatches.erase(state->m_ExitFds[fd]);
    state->m_ExitFds.erase(fd);
    close(fd);
    state->Refresh(RootWatch::kToasts);
    return G_SOURCE_REMOVE;
}

void ScreenState::ReadLaunches(bool startup) {
    host::LineStream::Batch read = m_LaunchTail.ReadAvailable();
    if (read.restarted) {
        m_Launches.clear();
        m_LaunchBytes = 0;
    }
    gint64 now = g_get_monotonic_time();
    for (const std::string& line : read.lines) {
        json launch = ParseLine(line);
        if (launch.is_null()) continue;
        // The alert application draws its mark-up; the page gets the text and its colour.
        const json* text = Extra(launch, "text");
        if (launch.value("app_id", json()) == kAlertApp && text != nullptr) {
            int red = 0, green = 0, blue = 0;
            json colour = nullptr;
            if (host::Markup::FontColour(text->get<std::string>(), &red, &green, &blue)) {
                char hex[8];
                g_snprintf(hex, sizeof hex, "#%02x%02x%02x", red, green, blue);
                colour = hex;
            }
            launch["alert"] = {{"text", host::Markup::Strip(text->get<std::string>())},
                               {"colour", colour}};
        }
        m_Launches.push_back({std::move(launch), startup ? 0 : now, line.size()});
        m_LaunchBytes += line.size();
        while (m_Launches.size() > kLaunchBacklog || m_LaunchBytes > kLaunchBacklogBytes) {
            m_LaunchBytes -= m_Launches.front().bytes;
            m_Launches.pop_front();
        }
    }
}

json ScreenState::Launches() const {
    gint64 now = g_get_monotonic_time();
    json launches = json::array();
    for (const Arrived& launch : m_Launches) {
        json value = launch.value;
        AddAge(&value, launch.at, now);
        launches.push_back(std::move(value));
    }
    return launches;
}

ScreenState::Store ScreenState::Settings(size_t* hidden) {
    Store settings;
    std::vector<std::string> keys = host::SettingsStore::Keys();
    size_t bytes = 0, shown = 0;
    for (const std::string& key : keys) {
        host::SettingType type;
        std::string value;
        json row = {{"key", key}, {"type", nullptr}, {"value", nullptr}};
        if (host::SettingsStore::ReadAny(key, &type, &value)) {
            row["type"] = host::SettingsStore::TypeName(type);
            row["value"] = value;
        }
        std::string text = Text(row);
        if (shown == kMaxKeys || bytes + text.size() > kMaxSettingsBytes) break;
        bytes += text.size();
        ++shown;
        settings.emplace(key, std::move(text));
    }
    *hidden = keys.size() - shown;
    return settings;
}

std::string ScreenState::SettingsChange(bool whole) {
    size_t hidden = 0;
    Store now = Settings(&hidden);
    // A change is sent as the keys it set and removed: a write of one key must not cost a
    // copy of the whole store on every page's stream.
    std::string set, removed;
    for (const auto& [key, row] : now) {
        auto before = m_Settings.find(key);
        if (!whole && before != m_Settings.end() && before->second == row) continue;
        set += (set.empty() ? "" : ",") + row;
    }
    if (!whole)
        for (const auto& [key, row] : m_Settings)
            if (now.count(key) == 0) removed += (removed.empty() ? "" : ",") + Text(key);
    if (!whole) m_Settings = std::move(now);
    return "{\"whole\":" + std::string(whole ? "true" : "false") + ",\"set\":[" + set +
           "],\"removed\":[" + removed + "],\"hidden\":" + std::to_string(hidden) + "}";
}

json ScreenState::Usb() {
    std::string content;
    host::FileUtil::Read(host::UsbDevices::Path(), &content, 64 * 1024);
    json devices = json::array();
    for (const host::UsbDevices::Line& line : host::UsbDevices::Parse(content))
        devices.push_back({{"mountpath", line.mountpath}, {"product", line.product}});
    return devices;
}

json ScreenState::Faults() {
    json faults = json::array();
    for (const std::string& function : host::Faults::Scripted()) {
        std::string text;
        host::FileUtil::Read(host::Faults::Path(function), &text, 64 * 1024);
        faults.push_back({{"function", function}, {"values", host::Faults::Parse(text)}});
    }
    return faults;
}

std::string ScreenState::ReadLog(bool* restarted) {
    // A buffer that cannot be read (a FIFO in its place) shows no records, as on a TV whose
    // log is broken; the other is shown on.
    std::vector<std::string> fresh;
    m_Log.Drain([this, &fresh](const host::LogMerge::Record& record) {
        m_Records(record);
        fresh.push_back(Text({{"time", record.time},
                              {"pid", record.pid},
                              {"priority", std::string(1, record.priority)},
                              {"tag", record.tag},
                              {"message", record.message}}));
    });
    *restarted = m_Log.Restarted();
    if (*restarted) {
        m_LogRecords.clear();
        m_LogBytes = 0;
    }
    std::string records;
    for (std::string& text : fresh) {
        records += (records.empty() ? "" : ",") + text;
        m_LogBytes += text.size();
        m_LogRecords.push_back(std::move(text));
        while (m_LogRecords.size() > kLogBacklog || m_LogBytes > kLogBacklogBytes) {
            m_LogBytes -= m_LogRecords.front().size();
            m_LogRecords.pop_front();
        }
    }
    return "[" + records + "]";
}

void ScreenState::Refresh(unsigned areas) {
    if (areas & RootWatch::kToasts) m_Broadcast({"toasts", Text(Toasts())});
    if (areas & RootWatch::kLaunches) {
        ReadLaunches(false);
        m_Broadcast({"launches", Text(Launches())});
    }
    if (areas & RootWatch::kSettings) m_Broadcast({"settings", SettingsChange(false)});
    if (areas & RootWatch::kUsb) m_Broadcast({"usb", Text(Usb())});
    if (areas & RootWatch::kFaults) m_Broadcast({"faults", Text(Faults())});
    if (areas & RootWatch::kLog) {
        bool restarted = false;
        std::string records = ReadLog(&restarted);
        if (restarted || records != "[]") m_Broadcast({"log", LogEvent(restarted, records)});
    }
}

std::vector<ScreenState::Event> ScreenState::Snapshot() {
    std::string records;
    for (const std::string& record : m_LogRecords) records += (records.empty() ? "" : ",") + record;
    return {{"toasts", Text(Toasts())},         {"launches", Text(Launches())},
            {"settings", SettingsChange(true)}, {"usb", Text(Usb())},
            {"faults", Text(Faults())},         {"log", LogEvent(true, "[" + records + "]")}};
}

}  // namespace brelta::screen
