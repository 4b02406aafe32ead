#include "LaunchJournal.h"

#include <json-glib/json-glib.h>

#include <fstream>
#include <set>

namespace brelta::test {

namespace {
bool IsInteger(JsonNode* node) {
    return JSON_NODE_HOLDS_VALUE(node) && json_node_get_value_type(node) == G_TYPE_INT64;
}

bool IsString(JsonNode* node) {
    return JSON_NODE_HOLDS_VALUE(node) && json_node_get_value_type(node) == G_TYPE_STRING;
}

bool StringOrNull(JsonNode* node, std::optional<std::string>* value) {
    if (JSON_NODE_HOLDS_NULL(node)) {
        value->reset();
        return true;
    }
    if (!IsString(node)) return false;
    *value = json_node_get_string(node);
    return true;
}

bool Pairs(JsonNode* node, std::vector<std::pair<std::string, std::string>>* extra) {
    if (!JSON_NODE_HOLDS_ARRAY(node)) return false;
    JsonArray* array = json_node_get_array(node);
    for (guint i = 0; i < json_array_get_length(array); ++i) {
        JsonNode* pair = json_array_get_element(array, i);
        if (!JSON_NODE_HOLDS_ARRAY(pair) || json_array_get_length(json_node_get_array(pair)) != 2)
            return false;
        JsonNode* key = json_array_get_element(json_node_get_array(pair), 0);
        JsonNode* value = json_array_get_element(json_node_get_array(pair), 1);
        if (!IsString(key) || !IsString(value)) return false;
        extra->emplace_back(json_node_get_string(key), json_node_get_string(value));
    }
    return true;
}

bool FromObject(JsonObject* object, Launch* launch) {
    std::set<std::string> names;
    GList* members = json_object_get_members(object);
    for (GList* m = members; m != nullptr; m = m->next)
        names.insert(static_cast<const char*>(m->data));
    g_list_free(members);
    if (names != std::set<std::string>{"pid", "app_id", "operation", "extra", "result"})
        return false;
    JsonNode* pid = json_object_get_member(object, "pid");
    JsonNode* result = json_object_get_member(object, "result");
    if (!IsInteger(pid) || !IsInteger(result)) return false;
    launch->pid = static_cast<long>(json_node_get_int(pid));
    launch->result = static_cast<long>(json_node_get_int(result));
    return StringOrNull(json_object_get_member(object, "app_id"), &launch->appId) &&
           StringOrNull(json_object_get_member(object, "operation"), &launch->operation) &&
           Pairs(json_object_get_member(object, "extra"), &launch->extra);
}
}  // namespace

bool LaunchJournal::ParseLine(const std::string& line, Launch* launch) {
    JsonParser* parser = json_parser_new();
    bool ok = json_parser_load_from_data(parser, line.c_str(), -1, nullptr);
    JsonNode* root = ok ? json_parser_get_root(parser) : nullptr;
    ok = root != nullptr && JSON_NODE_HOLDS_OBJECT(root) &&
         FromObject(json_node_get_object(root), launch);
    g_object_unref(parser);
    return ok;
}

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
