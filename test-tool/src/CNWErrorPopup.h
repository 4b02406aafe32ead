#ifndef CNWERRORPOPUP_H
#define CNWERRORPOPUP_H

#include <string>

#include "ITask.h"

// Opens the network error popup of the network-settings application.
class CNWErrorPopup : public ITask {
public:
    explicit CNWErrorPopup(ITaskManager& taskManager);
    ~CNWErrorPopup() override;
    void Execute(std::string commandId, std::string extra) override;
};

#endif
