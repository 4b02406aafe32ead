#ifndef BRELTA_HOST_KERNELROUTES_H
#define BRELTA_HOST_KERNELROUTES_H

#include <cstddef>
#include <string>

#include "network/DefaultRoute.h"
#include "LiveNeed.h"

namespace brelta::host {

// The live default-gateway check: the kernel's routing table, dumped over rtnetlink
// (RTM_GETROUTE for IPv4 and IPv6 at once; no privileges needed). A default route is a
// unicast route of the main table to the whole address space (destination length 0) whose
// next hop is not marked dead or its link down. The device root's override is the emulated
// service's: a live check asks the kernel only.
class KernelRoutes : public DefaultRoute {
public:
    int Check(bool* answer) override;
    // What the live check needs: a routing table that answers over rtnetlink.
    static LiveNeed Need();

    enum class Answer { No, Yes, Unknown };
    // The answer of a dump's replies (netlink messages, back to back), read up to its end:
    // Yes at the first default route, No at the end of the dump without one, Unknown for a
    // reply that is an error or does not parse. *done is set once the dump has ended.
    static Answer FromReplies(const void* data, size_t length, bool* done);
};

}  // namespace brelta::host

#endif
