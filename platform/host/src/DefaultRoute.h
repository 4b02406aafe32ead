#ifndef BRELTA_HOST_DEFAULTROUTE_H
#define BRELTA_HOST_DEFAULTROUTE_H

namespace brelta::host {

// The default-gateway check of the network connection service: is there a default route?
// Emulated: Gateway (the device root's override, else /proc/net/route); live: KernelRoutes.
class DefaultRoute {
public:
    virtual ~DefaultRoute() = default;
    // 0 with *answer set, or the error of the connection service when there is no answer.
    virtual int Check(bool* answer) = 0;

    // The check of this process, as LiveServices chooses.
    static DefaultRoute& Current();
};

}  // namespace brelta::host

#endif
