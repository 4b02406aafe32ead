#include "TCPDumpHandler.h"

#include <ostra_network.h>

#include "BreltaLog.h"
#include "CFileFunc.h"
#include "DevicePath.h"
#include "PopupBlockerOptions.h"
#include "UIToast.h"

connection_h m_pConHandler = nullptr;
int tcpdump_state = 0;
CUSB m_USBAPIObj;

namespace {
// The platform writes the capture to a fixed name; "[time]" is part of it, not a placeholder.
const char kCaptureFileName[] = "/tcpdump-[time].pcap";
const int kToastTimeoutSeconds = 60;
}  // namespace

TCPDumpHandler::TCPDumpHandler() {}

TCPDumpHandler::~TCPDumpHandler() {}

int TCPDumpHandler::Start() {
    BRELTA_LOGI("");
    // An earlier handle of this process is simply replaced: the service keeps one capture.
    int result = connection_create(&m_pConHandler);
    if (result == 0) {
        BRELTA_LOGI("[connection_create success]");
    } else {
        BRELTA_LOGI("[Handle Creation Fail]");
    }
    if (m_pConHandler != nullptr) {
        result = connection_profile_start_tcpdump(m_pConHandler);
        if (result != 0) BRELTA_LOGI("Failed to start tcpdump");
    }
    BRELTA_LOGI("");
    return result;
}

int TCPDumpHandler::Stop() {
    BRELTA_LOGI("");
    if (m_pConHandler == nullptr) {
        // The capture was started by another process: there is nothing here to stop it with.
        BRELTA_LOGI("");
        return 0;
    }

    int result = connection_profile_get_tcpdump_state(m_pConHandler, &tcpdump_state);
    if (result != 0) {
        // The service cannot say what the capture is doing, so nothing was stopped or copied.
        // Its result is passed on, so the user is told the stop failed rather than that it
        // worked; the handle is given up so that a later try starts from a clean state.
        BRELTA_LOGI("Failed to stop tcpdump");
        connection_destroy(m_pConHandler);
        m_pConHandler = nullptr;
        return result;
    }

    result = connection_profile_stop_tcpdump(m_pConHandler);
    if (result != 0) {
        BRELTA_LOGI("Failed to stop tcpdump");
        return result;
    }

    // The capture is stopped before the export is tried, so a failed copy never leaves it
    // running; the copy logs its own failures and does not change the result.
    if (m_USBAPIObj.getNoOfConnectedUSBDevice() > 0) {
        std::string mountPath = m_USBAPIObj.getUSBMountPath();
        BRELTA_LOGI("USBPath Found %s", mountPath.c_str());
        CFileFunc::copyFile(DEVICE_PATH("/opt/usr/data/network/"), mountPath, kCaptureFileName);
        return 0;
    }

    UIToast* toast = GetUIToastInstance();
    toast->Init(DefaultPopupBlockOptions::IsUIToastAllowed);
    // "Cancel" only removes the toast: the tool offers no retry.
    toast->AddButton("Cancel", "", nullptr, true);
    toast->Show("Dump file not copied", "", "USB not attached, try again", kToastTimeoutSeconds);
    return 0;
}
