#include "base/RouteTable.h"

#include <net/route.h>

#include <cstdlib>
#include <sstream>

#include "base/FileUtil.h"

namespace brelta::host {

namespace {
// The tables of a machine with many routes are still far below this.
constexpr size_t kMaxTableBytes = 4 * 1024 * 1024;

bool Hex(const std::string& word, size_t maxDigits, unsigned long* value) {
    if (word.empty() || word.size() > maxDigits) return false;
    char* end = nullptr;
    *value = std::strtoul(word.c_str(), &end, 16);
    return *end == '\0';
}

bool Usable(unsigned long flags) {
    return (flags & RTF_UP) != 0 && (flags & RTF_REJECT) == 0;
}

std::string Read(const char* path) {
    std::string text;
    return FileUtil::Read(path, &text, kMaxTableBytes) ? text : "";
}
}  // namespace

// Columns: Iface Destination Gateway Flags RefCnt Use Metric Mask ..., after a heading line.
bool RouteTable::Ipv4Default(const std::string& table, std::string* interface) {
    interface->clear();
    std::istringstream lines(table);
    std::string line;
    if (!std::getline(lines, line) || line.find("Destination") == std::string::npos) return false;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags, refcnt, use, metric, mask;
        unsigned long dest = 1, flagBits = 0, maskBits = 1;
        if (fields >> iface >> destination >> gateway >> flags >> refcnt >> use >> metric >> mask &&
            Hex(destination, 8, &dest) && Hex(flags, 8, &flagBits) && Hex(mask, 8, &maskBits) &&
            dest == 0 && maskBits == 0 && Usable(flagBits)) {
            *interface = iface;
            return true;
        }
    }
    return true;
}

// Columns: destination, prefix length, source, source prefix length, next hop, metric,
// reference count, use, flags, interface.
std::string RouteTable::Ipv6Default(const std::string& table) {
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string destination, length, source, sourceLength, hop, metric, refcnt, use, flags,
            iface;
        unsigned long flagBits = 0;
        if (fields >> destination >> length >> source >> sourceLength >> hop >> metric >> refcnt >>
                use >> flags >> iface &&
            destination == std::string(32, '0') && length == "00" && Hex(flags, 8, &flagBits) &&
            Usable(flagBits))
            return iface;
    }
    return "";
}

std::string RouteTable::DefaultInterface() {
    std::string iface;
    Ipv4Default(Read("/proc/net/route"), &iface);
    return iface.empty() ? Ipv6Default(Read("/proc/net/ipv6_route")) : iface;
}

}  // namespace brelta::host
