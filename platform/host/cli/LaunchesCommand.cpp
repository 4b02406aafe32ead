#include "LaunchesCommand.h"

#include "CliError.h"
#include "JsonJournal.h"
#include "JsonJournalReader.h"

namespace brelta::cli {

namespace {
// A member as text: strings as they are, null as "-", other values as JSON.
std::string Member(JsonObject* object, const char* name) {
    JsonNode* node = json_object_get_member(object, name);
    if (node == nullptr || JSON_NODE_HOLDS_NULL(node)) return "-";
    if (JSON_NODE_HOLDS_VALUE(node) && json_node_get_value_type(node) == G_TYPE_STRING)
        return json_node_get_string(node);
    return host::JsonJournalReader::ToLine(node);
}

std::string Element(JsonArray* array, guint index) {
    if (index >= json_array_get_length(array)) return "-";
    JsonNode* node = json_array_get_element(array, index);
    if (JSON_NODE_HOLDS_VALUE(node) && json_node_get_value_type(node) == G_TYPE_STRING)
        return json_node_get_string(node);
    return host::JsonJournalReader::ToLine(node);
}
}  // namespace

const char* LaunchesCommand::Usage() const {
    return "  launches                      print the launch requests sent to applications\n";
}

std::string LaunchesCommand::Describe(size_t number, JsonObject* launch) {
    std::string text = "#" + std::to_string(number) + " pid " + Member(launch, "pid") + " app " +
                       Member(launch, "app_id") + " result " + Member(launch, "result") + "\n";
    text += "    operation " + Member(launch, "operation") + "\n";
    JsonNode* extra = json_object_get_member(launch, "extra");
    if (extra != nullptr && JSON_NODE_HOLDS_ARRAY(extra)) {
        JsonArray* pairs = json_node_get_array(extra);
        for (guint i = 0; i < json_array_get_length(pairs); ++i) {
            JsonNode* pair = json_array_get_element(pairs, i);
            if (!JSON_NODE_HOLDS_ARRAY(pair)) continue;
            JsonArray* kv = json_node_get_array(pair);
            text += "    extra " + Element(kv, 0) + " = " + Element(kv, 1) + "\n";
        }
    }
    return text;
}

int LaunchesCommand::Run(const std::vector<std::string>& args) {
    RequireCount(args, 0, 0, 0, "launches");
    std::vector<JsonNode*> launches =
        host::JsonJournalReader::ReadAll(host::JsonJournal::kLaunches);
    size_t number = 0;
    std::string text;
    for (JsonNode* node : launches) {
        text += Describe(++number, json_node_get_object(node));
        json_node_unref(node);
    }
    Print(text);
    return 0;
}

}  // namespace brelta::cli
