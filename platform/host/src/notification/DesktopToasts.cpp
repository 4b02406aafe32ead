#include "notification/DesktopToasts.h"

#include <notification.h>

#include <vector>

#include "notification/NotificationService.h"

namespace brelta::host {

namespace {

// NotificationClosed's reasons.
constexpr guint32 kExpired = 1;
constexpr guint32 kDismissed = 2;
}  // namespace

DesktopToasts::DesktopToasts() {
    DesktopNotifications::Listen(this);
}

bool DesktopToasts::Show(int id, const NotificationRecord& record) {
    auto text = [&record](int type) {
        const NotificationRecord::Text* found = record.FindText(type);
        return found != nullptr ? found->text : std::string();
    };
    DesktopNotifications::Notice notice;
    notice.summary = text(NOTIFICATION_TEXT_TYPE_TITLE);
    notice.body = text(NOTIFICATION_TEXT_TYPE_CONTENT);
    if (const std::string* icon = record.FindImage(NOTIFICATION_IMAGE_TYPE_ICON))
        notice.icon = *icon;
    int defaultButton = record.DefaultButton().value_or(0);
    for (int index : record.Buttons())
        notice.actions.emplace_back(index == defaultButton ? "default" : std::to_string(index),
                                    text(NotificationRecord::ButtonTextType(index)));
    // Without a positive time-out the service never hides a notification by itself.
    int seconds = record.HideTimeout().value_or(0);
    notice.expireMs = seconds <= 0 ? 0 : seconds > G_MAXINT32 / 1000 ? G_MAXINT32 : seconds * 1000;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        auto it = m_Shown.find(id);
        if (it != m_Shown.end()) notice.replaces = it->second.serverId;
    }
    guint32 serverId = 0;
    std::string reason;
    if (!DesktopNotifications::Notify(notice, &serverId, &reason)) {
        DesktopNotifications::Warn(Services::Name(Service::Toast), reason);
        return false;
    }
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Shown[id] = Shown{serverId, defaultButton};
    return true;
}

void DesktopToasts::Close(int id) {
    guint32 serverId = 0;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        auto it = m_Shown.find(id);
        if (it == m_Shown.end()) return;
        serverId = it->second.serverId;
        m_Shown.erase(it);
    }
    std::string reason;
    if (!DesktopNotifications::Close(serverId, &reason))
        DesktopNotifications::Warn(Services::Name(Service::Toast), reason);
}

LiveNeed DesktopToasts::Need() {
    std::string reason;
    if (!DesktopNotifications::Check(true, &reason))
        return {false, reason + ": every toast fails to post"};
    return {true, "a notification server with actions on the session bus"};
}

int DesktopToasts::Find(guint32 serverId, bool forget, Shown* shown) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (auto it = m_Shown.begin(); it != m_Shown.end(); ++it) {
        if (it->second.serverId != serverId) continue;
        int id = it->first;
        *shown = it->second;
        if (forget) m_Shown.erase(it);
        return id;
    }
    return 0;
}

void DesktopToasts::ActionInvoked(guint32 serverId, const std::string& key) {
    Shown shown{};
    int id = Find(serverId, false, &shown);
    int button = key == "default" ? shown.defaultButton : key == "1" ? 1 : key == "2" ? 2 : 0;
    if (id == 0 || button == 0) return;
    // Button 1 and 2 are the press events 0 and 1.
    NotificationService::Report(id, button - 1, false);
}

void DesktopToasts::Closed(guint32 serverId, guint32 reason) {
    Shown shown{};
    int id = Find(serverId, true, &shown);
    if (id == 0) return;
    int event = reason == kExpired     ? NOTIFICATION_EVENT_TYPE_HIDDEN_BY_TIMEOUT
                : reason == kDismissed ? NOTIFICATION_EVENT_TYPE_HIDDEN_BY_USER
                                       : NOTIFICATION_EVENT_TYPE_HIDDEN_BY_EXTERNAL;
    NotificationService::Report(id, event, true);
}

void DesktopToasts::ServerGone(const std::string& why) {
    std::vector<int> ids;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        for (const auto& entry : m_Shown) ids.push_back(entry.first);
        m_Shown.clear();
    }
    if (ids.empty()) return;
    DesktopNotifications::Warn(Services::Name(Service::Toast), why);
    for (int id : ids)
        NotificationService::Report(id, NOTIFICATION_EVENT_TYPE_HIDDEN_BY_EXTERNAL, true);
}

}  // namespace brelta::host
