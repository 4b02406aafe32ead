#ifndef BRELTA_HOST_ROUTETABLE_H
#define BRELTA_HOST_ROUTETABLE_H

#include <string>

namespace brelta::host {

// The machine's default route as the kernel prints its routing tables, /proc/net/route
// (IPv4) and /proc/net/ipv6_route (IPv6). A default route is a route to the whole address
// space that is up and not a reject route (the kernel's own IPv6 "unreachable" default through
// lo is one of those). The emulated gateway check and the live capture, which captures on
// the default route's interface, read it the same way.
class RouteTable {
public:
    // The interface of the first default route of an IPv4 table's text; "" when it has none.
    // False when the text is not such a table (its heading is missing).
    static bool Ipv4Default(const std::string& table, std::string* interface);
    // The same for the text of an IPv6 table, which has no heading.
    static std::string Ipv6Default(const std::string& table);
    // The default route's interface from /proc, IPv4 before IPv6; "" when there is none.
    static std::string DefaultInterface();
};

}  // namespace brelta::host

#endif
