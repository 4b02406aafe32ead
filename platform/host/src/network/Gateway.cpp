#include "network/Gateway.h"

#include <net_connection.h>

#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/RouteTable.h"

namespace brelta::host {

namespace {
std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
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
    std::string iface;
    if (!RouteTable::Ipv4Default(table, &iface)) return Answer::Unknown;
    return iface.empty() ? Answer::No : Answer::Yes;
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
