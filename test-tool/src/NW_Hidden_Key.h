#ifndef NW_HIDDEN_KEY_H
#define NW_HIDDEN_KEY_H

#include <string>

#include "ITask.h"

// The hidden network test: asks the connection service whether a default gateway exists and
// shows the outcome in an alert popup, NETWORK TEST : PASS in blue or FAIL in red.
class CNWHiddenKey : public ITask {
public:
    explicit CNWHiddenKey(ITaskManager& taskManager);
    ~CNWHiddenKey() override;
    void Execute(std::string commandId, std::string extra) override;

    // True when the service reports a default gateway.
    bool _TestNetwork();
    void ShowPopup(bool pass);
};

#endif
