#ifndef BRELTA_HOST_JSONJOURNALREADER_H
#define BRELTA_HOST_JSONJOURNALREADER_H

#include <json-glib/json-glib.h>

#include <optional>
#include <string>
#include <vector>

namespace brelta::host {

// The journals read back, with json-glib: for the workbench CLI and the tests. The tool only
// writes journals (JsonJournal) and never loads json-glib.
class JsonJournalReader {
public:
    // Every line of $ROOT/<relative> that parses as a JSON object, in order; the caller
    // frees each node with json_node_unref.
    static std::vector<JsonNode*> ReadAll(const std::string& relative);
    // A node as compact JSON text.
    static std::string ToLine(JsonNode* node);
    // A member of a journal line: nullopt (null) when it is missing, null or of another kind.
    static std::optional<long> IntMember(JsonObject* object, const char* name);
    static const char* StringMember(JsonObject* object, const char* name);
};

}  // namespace brelta::host

#endif
