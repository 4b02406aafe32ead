#include "ScreenState.h"

#include <glib-unix.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "DeviceRoot.h"
#include "Faults.h"
#include "FileUtil.h"
#include "JsonJournal.h"
#include "JsonJournalReader.h"
#include "LogWriter.h"
#include "Markup.h"
#include "NotificationScreen.h"
#include "SettingsStore.h"
#include "UsbDevices.h"

namespace brelta::screen {

using json = nlohmann::ordered_json;

namespace {
constexpr int kMainBuffer = 0;
constexpr int kSystemBuffer = 2;
constexpr size_t kStampLength = 24;
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

ScreenState::ScreenState(Broadcast broadcast)
    : m_Broadcast(std::move(broadcast)),
      m_Posts(RootPath(host::JsonJournal::kNotifications), true, host::LineStream::kMaxLineBytes,
              kBacklog),
      m_LaunchTail(RootPath(host::JsonJournal::kLaunches), true, host::LineStream::kMaxLineBytes,
                   kBacklog),
      m_MainLog(host::LogWriter::BufferPath(kMainBuffer), true, host::LineStream::kMaxLineBytes,
                kBacklog),
      m_SystemLog(host::LogWriter::BufferPath(kSystemBuffer), true, host::LineStream::kMaxLineBytes,
                  kBacklog) {
    ReadPosts();
    ReadLaunches(true);
    ReadLog();
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
    std::vector<host::NotificationScreen::Shown> on_screen;
    host::JsonJournalReader::Skipped skipped;
    std::string error;
    // A journal that cannot be read shows no toast, as a TV whose service is down.
    host::NotificationScreen::Read(&on_screen, &skipped, &error);
    for (const host::NotificationScreen::Shown& shown : on_screen) {
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
    m_Toasts = toasts;
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
    if (read.restarted) m_Launches.clear();
    gint64 now = g_get_monotonic_time();
    for (const std::string& line : read.lines) {
        json launch = ParseLine(line);
        if (launch.is_null()) continue;
        // The alert application draws its mark-up; the page gets the text and its colour.
        const json* text = Extra(launch, "text");
        if (launch.value("app_id", json()) == kAlertApp && text != nullptr) {
            int red = 0, green = 0, blue = 0;
            json colour = nullptr;
            if (host::Markup::Colour(text->get<std::string>(), &red, &green, &blue)) {
                char hex[8];
                g_snprintf(hex, sizeof hex, "#%02x%02x%02x", red, green, blue);
                colour = hex;
            }
            launch["alert"] = {{"text", host::Markup::Strip(text->get<std::string>())},
                               {"colour", colour}};
        }
        m_Launches.push_back({std::move(launch), startup ? 0 : now});
        if (m_Launches.size() > kLaunchBacklog) m_Launches.pop_front();
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

json ScreenState::Settings() {
    json settings = json::array();
    std::vector<std::string> keys = host::SettingsStore::Keys();
    if (keys.size() > kMaxKeys) keys.resize(kMaxKeys);
    for (const std::string& key : keys) {
        host::SettingType type;
        std::string value;
        if (host::SettingsStore::ReadAny(key, &type, &value))
            settings.push_back(
                {{"key", key}, {"type", host::SettingsStore::TypeName(type)}, {"value", value}});
        else
            settings.push_back({{"key", key}, {"type", nullptr}, {"value", nullptr}});
    }
    return settings;
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

json ScreenState::ReadLog() {
    host::LineStream::Batch main = m_MainLog.ReadAvailable(), system = m_SystemLog.ReadAvailable();
    bool restarted = main.restarted || system.restarted;
    if (restarted) m_LogRecords.clear();
    // One sequence by time stamp ("2026-12-05T13:46:45.123Z" sorts as text); each buffer's
    // own order stays.
    std::vector<std::string> lines = std::move(main.lines);
    lines.insert(lines.end(), system.lines.begin(), system.lines.end());
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return a.compare(0, kStampLength, b, 0, kStampLength) < 0;
    });
    json records = json::array();
    for (std::string& record : lines) {
        m_LogRecords.push_back(record);
        if (m_LogRecords.size() > kLogBacklog) m_LogRecords.pop_front();
        records.push_back(std::move(record));
    }
    return {{"restarted", restarted}, {"records", records}};
}

void ScreenState::Refresh(unsigned areas) {
    if (areas & RootWatch::kToasts) m_Broadcast({"toasts", Text(Toasts())});
    if (areas & RootWatch::kLaunches) {
        ReadLaunches(false);
        m_Broadcast({"launches", Text(Launches())});
    }
    if (areas & RootWatch::kSettings) m_Broadcast({"settings", Text(Settings())});
    if (areas & RootWatch::kUsb) m_Broadcast({"usb", Text(Usb())});
    if (areas & RootWatch::kFaults) m_Broadcast({"faults", Text(Faults())});
    if (areas & RootWatch::kLog) {
        json log = ReadLog();
        if (log["restarted"] == true || !log["records"].empty()) m_Broadcast({"log", Text(log)});
    }
}

std::vector<ScreenState::Event> ScreenState::Snapshot() {
    json log = {{"restarted", true}, {"records", m_LogRecords}};
    return {{"toasts", Text(Toasts())},     {"launches", Text(Launches())},
            {"settings", Text(Settings())}, {"usb", Text(Usb())},
            {"faults", Text(Faults())},     {"log", Text(log)}};
}

}  // namespace brelta::screen
