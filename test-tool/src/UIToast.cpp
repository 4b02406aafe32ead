#include "UIToast.h"

#include <new>

#include "BreltaLog.h"

namespace {
// Platform values of a toast: one pop-up on the active screen, single-event layout.
const int kDisplayActivePopup = NOTIFICATION_DISPLAY_APP_ACTIVE;
// The ways a toast leaves the screen without a button press, in the order NotifyExit
// registers them.
const int kExitEvents[] = {NOTIFICATION_EVENT_TYPE_HIDDEN_BY_TIMEOUT,
                           NOTIFICATION_EVENT_TYPE_HIDDEN_BY_USER, NOTIFICATION_EVENT_TYPE_DELETED,
                           NOTIFICATION_EVENT_TYPE_HIDDEN_BY_EXTERNAL};
}  // namespace

UIToast* GetUIToastInstance() {
    // Destroyed by the exit-time destructors, so a toast still on screen goes with the process.
    static UIToast _toast;
    return &_toast;
}

UIToast::UIToast() : m_NotiHandler(nullptr), m_ButtonCount(0) {
    BRELTA_UI_LOGI("START");
    m_AllowCallback = nullptr;
    BRELTA_UI_LOGI("END");
}

UIToast::~UIToast() {
    BRELTA_UI_LOGI("START");
    Destroy();
    BRELTA_UI_LOGI("END");
}

void UIToast::Init(std::function<bool()> allow) {
    Destroy();
    m_AllowCallback = std::move(allow);
    // No platform call yet: the handle is made by the first AddButton or Show that needs it.
    m_NotiHandler.reset(new (std::nothrow) NotiHandler);
}

void UIToast::AddButton(std::string text, std::string image, std::function<void()> callback,
                        bool isDefault) {
    if (!m_NotiHandler) {
        BRELTA_UI_LOGI("Call Init first,m_NotiHandler is NULL");
        return;
    }
    // A button the platform refused gets no label and no callback, and keeps its number
    // free for the next try.
    if (!__AddButton(m_ButtonCount, isDefault)) return;
    __SetButtonTextAndImage(std::move(text), std::move(image));
    __AddCallbacksOnButton(m_ButtonCount, std::move(callback));
    ++m_ButtonCount;
}

// Without a platform handle nothing is set or posted, so nothing reached the platform and
// the result is false, as for every other Show that put no toast on the screen. The toast
// stays prepared: a later Show asks for the handle again.
bool UIToast::Show(std::string title, std::string image, std::string content, int timeout) {
    BRELTA_UI_LOGI("[UI Toast show call=>%s]", content.c_str());
    if (!m_NotiHandler) {
        BRELTA_UI_LOGI("Call Init first,m_NotiHandler is NULL");
        return false;
    }
    // Asked at every Show, not at Init: the screen may become busy between the two.
    if (m_AllowCallback && !m_AllowCallback()) {
        BRELTA_UI_LOGI("[UIToast not allowed to show]");
        Destroy();
        return false;
    }
    notification_h handle = m_NotiHandler->Handle();
    if (handle == nullptr) return false;
    notification_set_text(handle, NOTIFICATION_TEXT_TYPE_TITLE, title.c_str(), "TITLE",
                          NOTIFICATION_VARIABLE_TYPE_NONE);
    notification_set_text(handle, NOTIFICATION_TEXT_TYPE_CONTENT, content.c_str(), "CONTENT",
                          NOTIFICATION_VARIABLE_TYPE_NONE);
    if (!image.empty()) notification_set_image(handle, NOTIFICATION_IMAGE_TYPE_ICON, image.c_str());
    notification_set_display_applist(handle, kDisplayActivePopup);
    notification_set_layout(handle, NOTIFICATION_LY_NOTI_EVENT_SINGLE);
    notification_set_hide_timeout(handle, timeout);
    if (notification_post_with_event_cb(handle, __on_notification_callback, this) != 0) {
        // Still prepared: the caller may try the same toast again.
        BRELTA_UI_LOGI(" Fail to show popup ");
        return false;
    }
    return true;
}

void UIToast::NotifyExit(std::function<void()> callback) {
    for (int event : kExitEvents) __InsertInMap(event, callback);
}

void UIToast::Destroy() {
    BRELTA_UI_LOGI("UI Toast Hide");
    if (!m_NotiHandler) return;
    notification_delete_all(NOTIFICATION_TYPE_NOTI);
    m_EventCallbacks.clear();
    m_ButtonCount = 0;
    m_NotiHandler.reset();
}

bool UIToast::__AddButton(int button, bool isDefault) {
    if (button > 1) {
        BRELTA_UI_LOGI("[Button count is more than allowed]");
        return false;
    }
    notification_h handle = m_NotiHandler->Handle();
    if (handle == nullptr) return false;
    // The platform numbers buttons from 1.
    auto index = static_cast<notification_button_index_e>(button + 1);
    if (notification_add_button(handle, index) != 0) return false;
    if (isDefault) notification_set_default_button(handle, index);
    return true;
}

void UIToast::__SetButtonTextAndImage(std::string text, std::string image) {
    notification_h handle = m_NotiHandler->Handle();
    if (handle == nullptr) return;
    int n = m_ButtonCount;
    std::string key = std::to_string(n);
    notification_set_text(
        handle, static_cast<notification_text_type_e>(NOTIFICATION_TEXT_TYPE_BUTTON_1 + n),
        text.c_str(), key.c_str(), NOTIFICATION_VARIABLE_TYPE_NONE);
    if (!image.empty())
        notification_set_image(
            handle, static_cast<notification_image_type_e>(NOTIFICATION_IMAGE_TYPE_BUTTON_1 + n),
            image.c_str());
}

void UIToast::__AddCallbacksOnButton(int button, std::function<void()> callback) {
    // Button 0 and 1 are reported as the press events 0 and 1.
    __InsertInMap(button, std::move(callback));
}

void UIToast::__InsertInMap(int event, std::function<void()> callback) {
    m_EventCallbacks[event] = std::move(callback);
}

void UIToast::__on_notification_callback(_notification* noti, int event, void* user_data) {
    (void)noti;  // whatever the event was about, it ends the toast that is current now
    if (user_data == nullptr) return;
    UIToast* toast = static_cast<UIToast*>(user_data);
    auto it = toast->m_EventCallbacks.find(event);
    if (it == toast->m_EventCallbacks.end()) {
        toast->Destroy();
        BRELTA_UI_LOGI("Event %d not registered", event);
        return;
    }
    // Copied first because Destroy empties the table; run last so that the callback may put
    // up a new toast of its own.
    std::function<void()> callback = it->second;
    toast->Destroy();
    if (callback) callback();
}
