#include "NW_Hidden_Key.h"

#include <app_control.h>
#include <net_connection.h>
#include <ostra_network.h>
#include <unistd.h>

#include "BreltaLog.h"

namespace {
// The service answers "in progress" while it is still finding out; it is asked at most this
// often, a quarter of a second apart, so the test blocks the loop for 2.5 s at the most.
const int kGatewayChecks = 10;
const useconds_t kRetryDelayUs = 250000;

const char kPassText[] = "<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>";
const char kFailText[] = "<font_size=70 color=#FF0000><align=center>NETWORK TEST : FAIL</align>";
}  // namespace

CNWHiddenKey::CNWHiddenKey(ITaskManager& taskManager) : ITask(taskManager) {
    BRELTA_LOGI("");
}

CNWHiddenKey::~CNWHiddenKey() {
    BRELTA_LOGI("");
}

void CNWHiddenKey::Execute(std::string, std::string) {
    BRELTA_LOGI("");
    ShowPopup(_TestNetwork());
}

bool CNWHiddenKey::_TestNetwork() {
    bool isDefaultGateway = false;
    connection_h connection = nullptr;
    if (connection_create(&connection) != CONNECTION_ERROR_NONE) {
        BRELTA_LOGI("Connection create Failed");
        return false;
    }

    for (int checksLeft = kGatewayChecks; checksLeft > 0;) {
        int ret = connection_profile_check_default_gateway(&isDefaultGateway);
        if (ret == CONNECTION_ERROR_NONE) break;
        if (ret == CONNECTION_ERROR_NOW_IN_PROGRESS) {
            BRELTA_LOGI("Current State => [DEFAULT GATEWAY IN PROGRESS];Next Action => [Retry]");
            usleep(kRetryDelayUs);
            --checksLeft;
            continue;
        }
        BRELTA_LOGI("Current State =>[Default Gateway Failed];Next Action =>[Retry]: %d", ret);
        isDefaultGateway = false;
        break;
    }

    BRELTA_LOGI("Hidden Network Test %d", isDefaultGateway ? 1 : 0);
    connection_destroy(connection);
    return isDefaultGateway;
}

void CNWHiddenKey::ShowPopup(bool pass) {
    app_control_h handle = nullptr;
    // Without a handle there is nothing to set up or send: the popup cannot be shown, which
    // the user meets the same way as a refused request, so it is logged as one.
    if (app_control_create(&handle) != APP_CONTROL_ERROR_NONE || handle == nullptr) {
        BRELTA_LOGI("Failed to launch alert popup");
        return;
    }
    app_control_set_operation(handle, APP_CONTROL_OPERATION_DEFAULT);
    app_control_set_app_id(handle, "org.tizen.alert-syspopup");
    app_control_add_extra_data(handle, "type", "notification");
    std::string text = pass ? kPassText : kFailText;
    app_control_add_extra_data(handle, "text", text.c_str());
    app_control_add_extra_data(handle, "timeout", "30");

    if (app_control_send_launch_request(handle, nullptr, nullptr) != APP_CONTROL_ERROR_NONE)
        BRELTA_LOGI("Failed to launch alert popup");
    else
        BRELTA_LOGI("Succeeded to launch alert popup.");
    app_control_destroy(handle);
}
