#ifndef CNDFPOPUP_H
#define CNDFPOPUP_H

#include <string>

#include "ITask.h"

// Opens the NDF popup of the network-settings application.
class CNDFPopup : public ITask {
public:
    explicit CNDFPopup(ITaskManager& taskManager);
    ~CNDFPopup() override;
    void Execute(std::string commandId, std::string extra) override;
};

#endif
