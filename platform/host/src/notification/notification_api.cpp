// The notification functions of the host platform. The handle is a NotificationRecord;
// posting, deleting and events live in NotificationService.
#include <notification.h>

#include <cstdarg>
#include <new>

#include "base/Faults.h"
#include "notification/NotificationRecord.h"
#include "notification/NotificationService.h"

using brelta::host::Faults;
using brelta::host::NotificationService;

namespace {
int Result(bool ok) {
    return ok ? NOTIFICATION_ERROR_NONE : NOTIFICATION_ERROR_INVALID_PARAMETER;
}
}  // namespace

extern "C" {

notification_h notification_create(notification_type_e type) {
    BRELTA_FAULT_HOOK(nullptr);
    if (type != NOTIFICATION_TYPE_NOTI && type != NOTIFICATION_TYPE_ONGOING) return nullptr;
    return new (std::nothrow) _notification(type);
}

int notification_free(notification_h noti) {
    if (noti == nullptr) return NOTIFICATION_ERROR_INVALID_PARAMETER;
    NotificationService::Forget(noti);
    delete noti;
    return NOTIFICATION_ERROR_NONE;
}

int notification_set_text(notification_h noti, notification_text_type_e type, const char* text,
                          const char* key, int args_type, ...) {
    // Format arguments are not understood: a text with them would be shown wrongly.
    if (noti == nullptr || args_type != NOTIFICATION_VARIABLE_TYPE_NONE)
        return NOTIFICATION_ERROR_INVALID_PARAMETER;
    return Result(noti->SetText(type, text, key));
}

int notification_set_image(notification_h noti, notification_image_type_e type,
                           const char* image_path) {
    if (noti == nullptr) return NOTIFICATION_ERROR_INVALID_PARAMETER;
    return Result(noti->SetImage(type, image_path));
}

int notification_add_button(notification_h noti, notification_button_index_e button_index) {
    BRELTA_FAULT_HOOK(fault);
    if (noti == nullptr) return NOTIFICATION_ERROR_INVALID_PARAMETER;
    return Result(noti->AddButton(button_index));
}

int notification_set_default_button(notification_h noti, notification_button_index_e index) {
    if (noti == nullptr) return NOTIFICATION_ERROR_INVALID_PARAMETER;
    return Result(noti->SetDefaultButton(index));
}

int notification_set_display_applist(notification_h noti, int applist) {
    if (noti == nullptr) return NOTIFICATION_ERROR_INVALID_PARAMETER;
    noti->SetDisplayApplist(applist);
    return NOTIFICATION_ERROR_NONE;
}

int notification_set_layout(notification_h noti, notification_ly_type_e layout) {
    if (noti == nullptr) return NOTIFICATION_ERROR_INVALID_PARAMETER;
    noti->SetLayout(layout);
    return NOTIFICATION_ERROR_NONE;
}

int notification_set_hide_timeout(notification_h noti, int timeout) {
    if (noti == nullptr) return NOTIFICATION_ERROR_INVALID_PARAMETER;
    noti->SetHideTimeout(timeout);
    return NOTIFICATION_ERROR_NONE;
}

int notification_post_with_event_cb(notification_h noti, event_handler_cb cb, void* userdata) {
    BRELTA_FAULT_HOOK(fault);
    return NotificationService::Post(noti, cb, userdata);
}

int notification_delete_all(notification_type_e type) {
    return NotificationService::DeleteAll(type);
}

}  // extern "C"
