#ifndef CNWWIFILIST_H
#define CNWWIFILIST_H

#include <string>

#include "ITask.h"

// Opens the Wi-Fi list page of the network-settings application.
class CNWWiFiList : public ITask {
public:
    explicit CNWWiFiList(ITaskManager& taskManager);
    ~CNWWiFiList() override;
    void Execute(std::string commandId, std::string extra) override;
};

#endif
