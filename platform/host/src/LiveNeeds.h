#ifndef BRELTA_HOST_LIVENEEDS_H
#define BRELTA_HOST_LIVENEEDS_H

#include <string>

#include "LiveServices.h"

namespace brelta::host {

// Whether this machine has what a live service needs (a journal, a session bus, the
// capability to capture, ...), asked by the workbench before a person turns the service on
// or wonders why it does nothing. Each service's live implementation has its check beside it;
// the table in LiveNeeds.cpp names them.
struct LiveNeed {
    bool met = false;
    // What the service uses when met; what is missing, and what happens then, when not.
    std::string detail;
};

class LiveNeeds {
public:
    static LiveNeed Check(LiveServices::Service service);
};

}  // namespace brelta::host

#endif
