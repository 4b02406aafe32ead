#ifndef BRELTA_HOST_GATEWAY_H
#define BRELTA_HOST_GATEWAY_H

#include <string>

namespace brelta::host {

// The default-gateway check of the network connection service. $ROOT/network/default_gateway
// ("1" or "0") overrides the answer; without it the host's own IPv4 routing table answers.
class Gateway {
public:
    enum class Answer { No, Yes, Unknown };

    // The override file's answer: Unknown when the file is missing; a file that holds
    // anything but 1 or 0 (blanks around it aside) is a fault of the service, reported as
    // Unknown with *broken set.
    static Answer FromOverride(const std::string& path, bool* broken);
    // Yes when the text of /proc/net/route lists a default route (RouteTable's). Unknown when
    // the text is not a routing table at all.
    static Answer FromRouteTable(const std::string& table);
    // Reads the override, then the routing table at `routes`. Returns 0 with *answer set, or
    // the error of the connection service when neither can answer.
    static int Check(const std::string& routes, bool* answer);
};

}  // namespace brelta::host

#endif
