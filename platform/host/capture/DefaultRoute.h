#ifndef BRELTA_CAPTURE_DEFAULTROUTE_H
#define BRELTA_CAPTURE_DEFAULTROUTE_H

#include <string>

namespace brelta::capture {

// The interface of the machine's default route, from the kernel's routing tables as
// /proc/net/route (IPv4) and /proc/net/ipv6_route (IPv6) print them: the first default route
// that is up and not a reject route, IPv4 before IPv6. Empty when there is none.
class DefaultRoute {
public:
    static std::string Interface(const std::string& ipv4Table, const std::string& ipv6Table);
    // Reads both tables from /proc.
    static std::string Interface();
};

}  // namespace brelta::capture

#endif
