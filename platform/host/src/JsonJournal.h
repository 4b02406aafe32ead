#ifndef BRELTA_HOST_JSONJOURNAL_H
#define BRELTA_HOST_JSONJOURNAL_H

#include <json-glib/json-glib.h>

#include <optional>
#include <string>
#include <vector>

namespace brelta::host {

// Journals of the emulated TV ($ROOT/notifications/journal, $ROOT/apps/launches): one JSON
// object per line, each appended with one write so that concurrent processes never mix.
class JsonJournal {
public:
    // Serialises the builder's root object on one line and appends it to $ROOT/<relative>.
    static bool Append(const std::string& relative, JsonBuilder* builder);
    static std::string ToLine(JsonNode* node);
    // Every line of $ROOT/<relative> that parses as a JSON object, in order; the caller
    // frees each node with json_node_unref.
    static std::vector<JsonNode*> ReadAll(const std::string& relative);
    // A member of a journal line: nullopt (null) when it is missing, null or of another kind.
    static std::optional<long> IntMember(JsonObject* object, const char* name);
    static const char* StringMember(JsonObject* object, const char* name);
    // Adds "name": value, or "name": null when value is null.
    static void AddStringOrNull(JsonBuilder* builder, const char* name, const char* value);
};

}  // namespace brelta::host

#endif
