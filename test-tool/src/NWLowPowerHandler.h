#ifndef NWLOWPOWERHANDLER_H
#define NWLOWPOWERHANDLER_H

#include <string>

#include "ITask.h"

// Puts the network hardware into low power: the Wi-Fi module, then the Ethernet module. Each
// step is tried whatever became of the other; the outcome shows only in the log.
class NWLowPowerHandler : public ITask {
public:
    explicit NWLowPowerHandler(ITaskManager& taskManager);
    ~NWLowPowerHandler() override;
    void Execute(std::string commandId, std::string extra) override;

    void _SetWifiModuleLow();
    void _SetEthernetModuleLow();
};

#endif
