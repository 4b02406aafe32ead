#include "CTCPDumpTask.h"

#include <vconf.h>

#include <functional>

#include "BreltaLog.h"
#include "PopupBlockerOptions.h"
#include "TCPDumpHandler.h"
#include "UIToast.h"

namespace {
const char kStartCommand[] = "brelta.keycombination.tcpdumpstart";
const char kStopCommand[] = "brelta.keycombination.tcpdumpstop";
// Non-zero while a capture runs; the only memory of a capture from one command to the next.
const char kRunningStatusKey[] = "memory/Brelta/tcpdump_running_status";
// Tells the screen-mirroring side to dump its transport stream alongside the capture.
const char kTSDumpKey[] = "memory/menu/network/screenmirroring/capture_tsdump";
const char kToastTitle[] = "TCP Dump tool";
const int kToastTimeoutSeconds = 60;

// Every toast of the task has one "OK" button that only removes it.
UIToast* PrepareToast() {
    UIToast* toast = GetUIToastInstance();
    toast->Init(std::function<bool()>(DefaultPopupBlockOptions::IsUIToastAllowed));
    toast->AddButton("OK", "", nullptr, true);
    return toast;
}

void ShowToast(UIToast* toast, const char* content) {
    toast->Show(kToastTitle, "", content, kToastTimeoutSeconds);
}
}  // namespace

CTCPDumpTask::CTCPDumpTask(ITaskManager& taskManager) : ITask(taskManager) {
    BRELTA_LOGI("");
}

CTCPDumpTask::~CTCPDumpTask() {
    BRELTA_LOGI("");
}

void CTCPDumpTask::Execute(std::string commandId, std::string extra) {
    (void)extra;
    BRELTA_LOGI("execute =>%s", commandId.c_str());
    if (commandId == kStartCommand) {
        StartTCPDump();
    } else if (commandId == kStopCommand) {
        StopTCPDump();
    }
}

void CTCPDumpTask::StartTCPDump() {
    BRELTA_LOGI("StartTCPDump");
    UIToast* toast = PrepareToast();
    if (IsTcpdumpRunning()) {
        ShowToast(toast, "tcpdump is already running");
        return;
    }
    EnableVconfForTSDump();
    if (TCPDumpHandler::Start() == 0) {
        ShowToast(toast, "tcp dump and ts dump start successfully");
        SetTCPDumpRunningStatus(1);
    } else {
        // The TS-dump key stays 1 until the next stop command clears it.
        ShowToast(toast, "tcp dump failed to start ");
    }
}

void CTCPDumpTask::StopTCPDump() {
    BRELTA_LOGI("StopTCPDump");
    UIToast* toast = PrepareToast();
    DisableVconfForTSDump();
    // Without USB storage the handler puts its own toast on the same UIToast; this one's
    // text then goes onto that toast, with its "Cancel" button.
    int result = TCPDumpHandler::Stop();
    ShowToast(toast,
              result == 0 ? "tcp dump and ts dump stop successfully" : "tcp dump failed to stop");
    // Cleared whatever the outcome, so that a failed stop never blocks the next start.
    SetTCPDumpRunningStatus(0);
}

bool CTCPDumpTask::IsTcpdumpRunning() {
    int running = 0;
    if (vconf_get_int(kRunningStatusKey, &running) != 0) {
        BRELTA_LOGI("failed to get tcp dump status");
    }
    return running != 0;
}

void CTCPDumpTask::EnableVconfForTSDump() {
    BRELTA_LOGI("Enabled vconf for TS Dump");
    if (vconf_set_int(kTSDumpKey, 1) != 0) BRELTA_LOGI("Failed to enable vconf for TS dump");
}

void CTCPDumpTask::DisableVconfForTSDump() {
    BRELTA_LOGI("Disabled vconf for TS Dump");
    if (vconf_set_int(kTSDumpKey, 0) != 0) BRELTA_LOGI("Failed to disable vconf for TS dump");
}

void CTCPDumpTask::SetTCPDumpRunningStatus(int status) {
    if (vconf_set_int(kRunningStatusKey, status) != 0) {
        BRELTA_LOGI("Failed to set tcp dump running status %d", status);
    }
}
