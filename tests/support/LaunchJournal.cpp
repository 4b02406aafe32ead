#include "LaunchJournal.h"

#include <nlohmann/json.hpp>

#include <fstream>

namespace brelta::test {

namespace {
using Json = nlohmann::json;

bool StringOrNull(const Json& object, const char* name, std::optional<std::string>* value) {
    auto it = object.find(name);
    if (it == object.end()) return false;
    if (it->is_null()) return true;
    if (!it->is_string()) return false;
    *value = it->get<std::string>();
    return true;
}

bool Pairs(const Json& object, std::vector<std::pair<std::string, std::string>>* extra) {
    auto it = object.find("extra");
    if (it == object.end() || !it->is_array()) return false;
    for (const Json& pair : *it) {
        if (!pair.is_array() || pair.size() != 2 || !pair[0].is_string() || !pair[1].is_string())
            return false;
        extra->emplace_back(pair[0].get<std::string>(), pair[1].get<std::string>());
    }
    return true;
}

bool ParseLine(const std::string& line, Launch* launch) {
    Json object = Json::parse(line, nullptr, false);
    if (!object.is_object()) return false;
    auto pid = object.find("pid"), result = object.find("result");
    if (pid == object.end() || !pid->is_number_integer() || result == object.end() ||
        !result->is_number_integer())
        return false;
    if (!StringOrNull(object, "app_id", &launch->appId) ||
        !StringOrNull(object, "operation", &launch->operation) || !Pairs(object, &launch->extra))
        return false;
    launch->pid = pid->get<long>();
    launch->result = result->get<long>();
    return true;
}
}  // namespace

LaunchJournal LaunchJournal::Load(const std::string& path) {
    LaunchJournal journal;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        Launch launch;
        if (ParseLine(line, &launch))
            journal.m_Launches.push_back(launch);
        else
            journal.m_Broken.push_back(line);
    }
    return journal;
}

}  // namespace brelta::test
