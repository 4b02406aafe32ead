#include "TestUtil.h"

#include <app_control.h>
#include <unistd.h>

#include <cstdlib>

#include "BreltaLog.h"
#include "DevicePath.h"

void CTestUtil::LaunchNetworkSettings(std::string selector) {
    app_control_h handle = nullptr;
    if (app_control_create(&handle) != APP_CONTROL_ERROR_NONE) return;

    int ret_add_data =
        app_control_add_extra_data(handle, "NW_TEST_FUNCTION_FROM_JSON", selector.c_str());
    if (ret_add_data != APP_CONTROL_ERROR_NONE) {
        BRELTA_LOGI("Can not add extra data. ret_add_data = [%d]", ret_add_data);
        app_control_destroy(handle);
        return;
    }
    app_control_set_app_id(handle, "org.tizen.NetworkSetting-Tizen");

    int ret = app_control_send_launch_request(handle, nullptr, nullptr);
    if (ret != APP_CONTROL_ERROR_NONE)
        BRELTA_LOGI("Launch    NetworkSettings app failed. : %d", ret);
    else
        BRELTA_LOGI("Launch    NetworkSettings app succ.");
    app_control_destroy(handle);
}

void CTestUtil::LaunchMDT() {
    const char* program = DEVICE_PATH("/usr/bin/MDT");
    const char* command = DEVICE_COMMAND("/usr/bin/MDT");
    BRELTA_LOGI("cmd %s", program);
    // The parent never waits for the program: it goes on into its exit delay. A failed fork
    // starts nothing and is not reported; the run ends as usual.
    if (fork() != 0) return;

    // The child returns through Execute like the parent, so it keeps its own exit delay,
    // which starts only when the program has ended.
    BRELTA_LOGI("MDT launching!!");
    int result = system(command);
    BRELTA_LOGI("Result:[%d]", result);
}
