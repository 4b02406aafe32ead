#include "DefaultRoute.h"

#include <net/route.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace brelta::capture {

namespace {
bool Hex(const std::string& word, unsigned long* value) {
    if (word.empty() || word.size() > 32) return false;
    char* end = nullptr;
    *value = std::strtoul(word.c_str(), &end, 16);
    return *end == '\0';
}

bool Usable(unsigned long flags) {
    return (flags & RTF_UP) != 0 && (flags & RTF_REJECT) == 0;
}

// Columns: Iface Destination Gateway Flags RefCnt Use Metric Mask ..., after a heading line.
std::string FromIpv4(const std::string& table) {
    std::istringstream lines(table);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags, refcnt, use, metric, mask;
        unsigned long dest = 1, flagBits = 0, maskBits = 1;
        if (fields >> iface >> destination >> gateway >> flags >> refcnt >> use >> metric >> mask &&
            Hex(destination, &dest) && Hex(flags, &flagBits) && Hex(mask, &maskBits) && dest == 0 &&
            maskBits == 0 && Usable(flagBits))
            return iface;
    }
    return "";
}

// Columns: destination, prefix length, source, source prefix length, next hop, metric,
// reference count, use, flags, interface; no heading.
std::string FromIpv6(const std::string& table) {
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string destination, length, source, sourceLength, hop, metric, refcnt, use, flags,
            iface;
        unsigned long flagBits = 0;
        if (fields >> destination >> length >> source >> sourceLength >> hop >> metric >> refcnt >>
                use >> flags >> iface &&
            destination == std::string(32, '0') && length == "00" && Hex(flags, &flagBits) &&
            Usable(flagBits))
            return iface;
    }
    return "";
}

std::string ReadAll(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

std::string DefaultRoute::Interface(const std::string& ipv4Table, const std::string& ipv6Table) {
    std::string iface = FromIpv4(ipv4Table);
    return iface.empty() ? FromIpv6(ipv6Table) : iface;
}

std::string DefaultRoute::Interface() {
    return Interface(ReadAll("/proc/net/route"), ReadAll("/proc/net/ipv6_route"));
}

}  // namespace brelta::capture
