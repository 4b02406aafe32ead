#include "Gateway.h"

#include <net/route.h>
#include <net_connection.h>

#include <sstream>

#include "DeviceRoot.h"
#include "FileUtil.h"

namespace brelta::host {

namespace {
std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool ParseHex(const std::string& word, unsigned long* value) {
    if (word.empty() || word.size() > 8) return false;
    try {
        size_t used = 0;
        *value = std::stoul(word, &used, 16);
        return used == word.size();
    } catch (const std::exception&) {
        return false;
    }
}
}  // namespace

Gateway::Answer Gateway::FromOverride(const std::string& path, bool* broken) {
    *broken = false;
    if (!FileUtil::Exists(path)) return Answer::Unknown;
    std::string content;
    if (FileUtil::Read(path, &content, 4096)) {
        std::string value = Trim(content);
        if (value == "1") return Answer::Yes;
        if (value == "0") return Answer::No;
    }
    *broken = true;
    return Answer::Unknown;
}

Gateway::Answer Gateway::FromRouteTable(const std::string& table) {
    std::istringstream lines(table);
    std::string line;
    // The first line names the columns; a table without it is not the kernel's.
    if (!std::getline(lines, line) || line.find("Destination") == std::string::npos)
        return Answer::Unknown;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags, refcnt, use, metric, mask;
        if (!(fields >> iface >> destination >> gateway >> flags >> refcnt >> use >> metric >>
              mask))
            continue;
        unsigned long dest = 0, flagBits = 0, maskBits = 0;
        if (!ParseHex(destination, &dest) || !ParseHex(flags, &flagBits) ||
            !ParseHex(mask, &maskBits))
            continue;
        if (dest == 0 && maskBits == 0 && (flagBits & RTF_UP) != 0) return Answer::Yes;
    }
    return Answer::No;
}

int Gateway::Check(const std::string& routes, bool* answer) {
    bool broken = false;
    Answer result = FromOverride(DeviceRoot::Path() + "/network/default_gateway", &broken);
    if (broken) return CONNECTION_ERROR_OPERATION_FAILED;
    if (result == Answer::Unknown) {
        std::string table;
        if (!FileUtil::Read(routes, &table)) return CONNECTION_ERROR_OPERATION_FAILED;
        result = FromRouteTable(table);
        if (result == Answer::Unknown) return CONNECTION_ERROR_OPERATION_FAILED;
    }
    *answer = result == Answer::Yes;
    return CONNECTION_ERROR_NONE;
}

}  // namespace brelta::host
