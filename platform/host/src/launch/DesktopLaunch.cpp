#include "launch/DesktopLaunch.h"

#include <gio/gdesktopappinfo.h>

#include <charconv>

#include "notification/DesktopNotifications.h"
#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "launch/Markup.h"

namespace brelta::host {

namespace {
// A mapping is a few lines that a person wrote; more is not one.
constexpr size_t kMaxMapBytes = 64 * 1024;
const std::string kDesktopSuffix = ".desktop";

int Notify(const DesktopNotifications::Notice& notice) {
    guint32 id = 0;
    std::string reason;
    if (DesktopNotifications::Notify(notice, &id, &reason)) return APP_CONTROL_ERROR_NONE;
    DesktopNotifications::Warn(Services::Name(Service::Launch), reason);
    return APP_CONTROL_ERROR_LAUNCH_REJECTED;
}

int Popup(const app_control_s& request) {
    const std::string* text = AppControl::Extra(request, "text");
    DesktopNotifications::Notice notice;
    notice.summary = Markup::Strip(text != nullptr ? *text : "");
    // The alert application knows no verdict, only mark-up: the tool's failed test is the
    // popup that says FAIL.
    if (notice.summary.find("FAIL") != std::string::npos)
        notice.urgency = DesktopNotifications::kCritical;
    // Parsed without GLib's g_ascii_string_to_signed: that reports an errno left behind by
    // its own first-call set-up as a failed parse, now and then, under load.
    const std::string* timeout = AppControl::Extra(request, "timeout");
    int seconds = 0;
    if (timeout != nullptr) {
        const char* end = timeout->data() + timeout->size();
        auto parsed = std::from_chars(timeout->data(), end, seconds);
        if (parsed.ec == std::errc() && parsed.ptr == end && seconds >= 1 &&
            seconds <= G_MAXINT32 / 1000)
            notice.expireMs = seconds * 1000;
    }
    return Notify(notice);
}

int Unmapped(const app_control_s& request, const std::string* page) {
    DesktopNotifications::Notice notice;
    notice.summary = page != nullptr ? "Settings page " + *page : "Application " + request.appId;
    notice.body = "No desktop application is mapped to it in " + DesktopLaunch::MapPath() + ".";
    return Notify(notice);
}

int Open(const std::string& desktopId, const app_control_s& request, const std::string* page) {
    GDesktopAppInfo* info = g_desktop_app_info_new(desktopId.c_str());
    if (info == nullptr) {
        DesktopNotifications::Warn(Services::Name(Service::Launch), "no desktop file " + desktopId);
        return APP_CONTROL_ERROR_APP_NOT_FOUND;
    }
    std::vector<std::string> arguments;
    if (page != nullptr) arguments.push_back(*page);
    for (const auto& entry : request.extra)
        if (entry.first != AppControl::kSettingsPageKey)
            arguments.push_back(entry.first + "=" + entry.second);
    GList* list = nullptr;
    for (const std::string& argument : arguments)
        list = g_list_append(list, const_cast<char*>(argument.c_str()));
    GError* error = nullptr;
    bool started = g_app_info_launch_uris(G_APP_INFO(info), list, nullptr, &error);
    g_list_free(list);
    g_object_unref(info);
    if (started) return APP_CONTROL_ERROR_NONE;
    DesktopNotifications::Warn(Services::Name(Service::Launch),
                               desktopId + " did not start: " + error->message);
    g_error_free(error);
    return APP_CONTROL_ERROR_LAUNCH_REJECTED;
}
}  // namespace

int DesktopLaunch::Launch(const app_control_s& request) {
    // Without an application id a request has nowhere to go, live or not.
    int result = AppControl::Launch(request);
    if (result != APP_CONTROL_ERROR_NONE) return result;
    if (request.appId == AppControl::kAlertApp) return Popup(request);
    const std::string* page = AppControl::Extra(request, AppControl::kSettingsPageKey);
    std::string mapping;
    if (!FileUtil::Read(MapPath(), &mapping, kMaxMapBytes)) mapping.clear();
    std::string desktopId = Lookup(mapping, page != nullptr ? *page : request.appId);
    if (desktopId.empty()) return Unmapped(request, page);
    return Open(desktopId, request, page);
}

LiveNeed DesktopLaunch::Need() {
    std::string reason;
    if (!DesktopNotifications::Check(false, &reason))
        return {false, reason + ": popups and unmapped pages cannot be shown"};
    return {true, "a notification server on the session bus; pages mapped in " + MapPath()};
}

std::string DesktopLaunch::MapPath() {
    return DeviceRoot::Path() + "/apps/desktop";
}

std::string DesktopLaunch::Lookup(const std::string& mapping, const std::string& selector) {
    size_t start = 0;
    while (start < mapping.size()) {
        size_t end = mapping.find('\n', start);
        if (end == std::string::npos) end = mapping.size();
        std::string line = mapping.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos ||
            line.substr(0, tab) != selector)
            continue;
        std::string id = line.substr(tab + 1);
        if (id.empty()) return id;
        if (id.size() < kDesktopSuffix.size() ||
            id.compare(id.size() - kDesktopSuffix.size(), kDesktopSuffix.size(), kDesktopSuffix) !=
                0)
            id += kDesktopSuffix;
        return id;
    }
    return "";
}

}  // namespace brelta::host
