#ifndef CMDTPOPUP_H
#define CMDTPOPUP_H

#include <string>

#include "ITask.h"

// Starts the MDT program beside the tool (the factory gives this id a long exit delay,
// so the program has time to run before the tool ends).
class CMDTPopup : public ITask {
public:
    explicit CMDTPopup(ITaskManager& taskManager);
    ~CMDTPopup() override;
    void Execute(std::string commandId, std::string extra) override;
};

#endif
