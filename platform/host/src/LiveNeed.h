#ifndef BRELTA_HOST_LIVENEED_H
#define BRELTA_HOST_LIVENEED_H

#include <string>

namespace brelta::host {

// Whether this machine has what a live service needs (a journal, a session bus, the
// capability to capture, ...), asked by the workbench before a person turns the service on
// or wonders why it does nothing. Each live implementation answers it with a static Need()
// beside it; the table of services names one per service.
struct LiveNeed {
    bool met = false;
    // What the service uses when met; what is missing, and what happens then, when not.
    std::string detail;
};

}  // namespace brelta::host

#endif
