#include "LaunchJournal.h"

#include <json-glib/json-glib.h>

#include <fstream>

namespace brelta::test {

namespace {
bool Holds(JsonNode* node, GType type) {
    return node != nullptr && JSON_NODE_HOLDS_VALUE(node) && json_node_get_value_type(node) == type;
}

bool StringOrNull(JsonNode* node, std::optional<std::string>* value) {
    if (node != nullptr && JSON_NODE_HOLDS_NULL(node)) return true;
    if (!Holds(node, G_TYPE_STRING)) return false;
    *value = json_node_get_string(node);
    return true;
}

bool Pairs(JsonNode* node, std::vector<std::pair<std::string, std::string>>* extra) {
    if (node == nullptr || !JSON_NODE_HOLDS_ARRAY(node)) return false;
    JsonArray* array = json_node_get_array(node);
    for (guint i = 0; i < json_array_get_length(array); ++i) {
        JsonNode* pair = json_array_get_element(array, i);
        if (!JSON_NODE_HOLDS_ARRAY(pair) || json_array_get_length(json_node_get_array(pair)) != 2)
            return false;
        JsonNode* key = json_array_get_element(json_node_get_array(pair), 0);
        JsonNode* value = json_array_get_element(json_node_get_array(pair), 1);
        if (!Holds(key, G_TYPE_STRING) || !Holds(value, G_TYPE_STRING)) return false;
        extra->emplace_back(json_node_get_string(key), json_node_get_string(value));
    }
    return true;
}

bool ParseLine(const std::string& line, Launch* launch) {
    JsonParser* parser = json_parser_new();
    bool ok = json_parser_load_from_data(parser, line.c_str(), -1, nullptr);
    JsonNode* root = ok ? json_parser_get_root(parser) : nullptr;
    ok = root != nullptr && JSON_NODE_HOLDS_OBJECT(root);
    if (ok) {
        JsonObject* object = json_node_get_object(root);
        JsonNode* pid = json_object_get_member(object, "pid");
        JsonNode* result = json_object_get_member(object, "result");
        ok = Holds(pid, G_TYPE_INT64) && Holds(result, G_TYPE_INT64) &&
             StringOrNull(json_object_get_member(object, "app_id"), &launch->appId) &&
             StringOrNull(json_object_get_member(object, "operation"), &launch->operation) &&
             Pairs(json_object_get_member(object, "extra"), &launch->extra);
        if (ok) {
            launch->pid = static_cast<long>(json_node_get_int(pid));
            launch->result = static_cast<long>(json_node_get_int(result));
        }
    }
    g_object_unref(parser);
    return ok;
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
