#ifndef CTCPDUMPTASK_H
#define CTCPDUMPTASK_H

#include <string>

#include "ITask.h"

// Starts or stops the packet capture, as the command id says, keeps the running-status and
// TS-dump keys in step with it, and reports the outcome in a toast.
class CTCPDumpTask : public ITask {
public:
    explicit CTCPDumpTask(ITaskManager& taskManager);
    ~CTCPDumpTask() override;

    void Execute(std::string commandId, std::string extra) override;

    void StartTCPDump();
    void StopTCPDump();
    // Whether a start command of an earlier process left a capture running.
    bool IsTcpdumpRunning();
    void EnableVconfForTSDump();
    void DisableVconfForTSDump();
    void SetTCPDumpRunningStatus(int status);
};

#endif
