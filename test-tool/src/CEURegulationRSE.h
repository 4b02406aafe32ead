#ifndef CEUREGULATIONRSE_H
#define CEUREGULATIONRSE_H

#include <string>

#include "ITask.h"

// Opens the EU Wi-Fi regulation test popup of the network-settings application, in
// test mode.
class CEURegulationRSE : public ITask {
public:
    explicit CEURegulationRSE(ITaskManager& taskManager);
    ~CEURegulationRSE() override;
    void Execute(std::string commandId, std::string extra) override;
};

#endif
