// The application-control functions of the host platform. A call with a handle that this
// process did not create, or already destroyed, fails with INVALID_PARAMETER and does nothing.
#include <app_control.h>

#include "launch/AppControl.h"
#include "launch/AppLauncher.h"
#include "base/Faults.h"
#include "base/TerminalView.h"

using brelta::host::AppControl;
using brelta::host::Faults;

namespace {
// Sets one text field of a request; null clears it.
int SetText(app_control_h handle, const char* value, bool app_control_s::*has,
            std::string app_control_s::*text) {
    if (!AppControl::Valid(handle)) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    handle->*has = value != nullptr;
    handle->*text = value != nullptr ? value : "";
    return APP_CONTROL_ERROR_NONE;
}
}  // namespace

extern "C" {

int app_control_create(app_control_h* app_control) {
    BRELTA_FAULT_HOOK(fault);
    if (app_control == nullptr) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    *app_control = AppControl::Create();
    return APP_CONTROL_ERROR_NONE;
}

// Not scriptable: a destroy that failed on purpose would leave a handle that nobody can free.
int app_control_destroy(app_control_h app_control) {
    return AppControl::Destroy(app_control) ? APP_CONTROL_ERROR_NONE
                                            : APP_CONTROL_ERROR_INVALID_PARAMETER;
}

int app_control_set_operation(app_control_h app_control, const char* operation) {
    BRELTA_FAULT_HOOK(fault);
    return SetText(app_control, operation, &app_control_s::hasOperation, &app_control_s::operation);
}

int app_control_set_app_id(app_control_h app_control, const char* app_id) {
    BRELTA_FAULT_HOOK(fault);
    return SetText(app_control, app_id, &app_control_s::hasAppId, &app_control_s::appId);
}

int app_control_add_extra_data(app_control_h app_control, const char* key, const char* value) {
    BRELTA_FAULT_HOOK(fault);
    if (!AppControl::Valid(app_control) || key == nullptr || *key == '\0' || value == nullptr)
        return APP_CONTROL_ERROR_INVALID_PARAMETER;
    AppControl::AddExtra(app_control, key, value);
    return APP_CONTROL_ERROR_NONE;
}

// The reply callback is never called: no application, stand-in or desktop, answers.
int app_control_send_launch_request(app_control_h app_control, app_control_reply_cb callback,
                                    void* user_data) {
    (void)callback;
    (void)user_data;
    if (!AppControl::Valid(app_control)) return APP_CONTROL_ERROR_INVALID_PARAMETER;
    // A scripted refusal is still a request that reached the service, so it is journalled
    // with the result the caller gets.
    int result = 0;
    if (!Faults::Fail(BRELTA_FAULT_NAME, &result))
        result = brelta::host::Services::Get<brelta::host::AppLauncher>().Launch(*app_control);
    AppControl::Record(*app_control, result);
    if (brelta::host::TerminalView::Enabled())
        brelta::host::TerminalView::Show(
            AppControl::Describe(*app_control, result, brelta::host::TerminalView::MayColour()));
    return result;
}

}  // extern "C"
