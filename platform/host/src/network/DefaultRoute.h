#ifndef BRELTA_HOST_DEFAULTROUTE_H
#define BRELTA_HOST_DEFAULTROUTE_H

#include "Services.h"

namespace brelta::host {

// The default-gateway check of the network connection service: is there a default route?
// Emulated: Gateway (the device root's override, else /proc/net/route); live: KernelRoutes.
class DefaultRoute {
public:
    virtual ~DefaultRoute() = default;
    // 0 with *answer set, or the error of the connection service when there is no answer.
    virtual int Check(bool* answer) = 0;

    static constexpr Service kService = Service::Gateway;
};

// The emulated check: Gateway's override file, else the host's IPv4 routing table.
class EmulatedDefaultRoute : public DefaultRoute {
public:
    int Check(bool* answer) override;
};

}  // namespace brelta::host

#endif
