#include "JsonJournalReader.h"

#include <sstream>

#include "DeviceRoot.h"
#include "FileUtil.h"

namespace brelta::host {

std::string JsonJournalReader::ToLine(JsonNode* node) {
    JsonGenerator* generator = json_generator_new();
    json_generator_set_pretty(generator, FALSE);
    json_generator_set_root(generator, node);
    gchar* text = json_generator_to_data(generator, nullptr);
    std::string line = text != nullptr ? text : "";
    g_free(text);
    g_object_unref(generator);
    return line;
}

std::vector<JsonNode*> JsonJournalReader::ReadAll(const std::string& relative) {
    std::vector<JsonNode*> nodes;
    std::string content;
    if (!FileUtil::Read(DeviceRoot::Path() + "/" + relative, &content, 256 * 1024 * 1024))
        return nodes;
    std::istringstream lines(content);
    std::string line;
    JsonParser* parser = json_parser_new();
    while (std::getline(lines, line)) {
        if (!json_parser_load_from_data(parser, line.c_str(), -1, nullptr)) continue;
        JsonNode* root = json_parser_get_root(parser);
        if (root != nullptr && JSON_NODE_HOLDS_OBJECT(root)) nodes.push_back(json_node_copy(root));
    }
    g_object_unref(parser);
    return nodes;
}

std::optional<long> JsonJournalReader::IntMember(JsonObject* object, const char* name) {
    JsonNode* node = json_object_get_member(object, name);
    if (node == nullptr || !JSON_NODE_HOLDS_VALUE(node) ||
        json_node_get_value_type(node) != G_TYPE_INT64)
        return std::nullopt;
    return static_cast<long>(json_node_get_int(node));
}

const char* JsonJournalReader::StringMember(JsonObject* object, const char* name) {
    JsonNode* node = json_object_get_member(object, name);
    if (node == nullptr || !JSON_NODE_HOLDS_VALUE(node) ||
        json_node_get_value_type(node) != G_TYPE_STRING)
        return nullptr;
    return json_node_get_string(node);
}

}  // namespace brelta::host
