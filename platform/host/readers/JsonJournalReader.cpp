#include "JsonJournalReader.h"

#include "base/DeviceRoot.h"

namespace brelta::host {

JsonJournalReader::JsonJournalReader(const std::string& relative, bool follow)
    : m_Lines(DeviceRoot::Path() + "/" + relative, follow) {}

int JsonJournalReader::Depth(const std::string& text) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > deepest) deepest = depth;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

std::optional<JsonJournalReader::Json> JsonJournalReader::Parse(const std::string& line,
                                                                bool* deep) {
    bool tooDeep = Depth(line) > kMaxDepth;
    if (deep != nullptr) *deep = tooDeep;
    if (tooDeep) return std::nullopt;
    Json parsed = Json::parse(line, nullptr, false);
    if (!parsed.is_object()) return std::nullopt;
    return parsed;
}

LineStream::Result JsonJournalReader::Next(Json* object) {
    std::string line;
    LineStream::Result result;
    while ((result = m_Lines.Next(&line)) == LineStream::Result::Line) {
        bool deep = false;
        if (std::optional<Json> parsed = Parse(line, &deep)) {
            *object = std::move(*parsed);
            return result;
        }
        ++(deep ? m_Skipped.deep : m_Skipped.broken);
    }
    return result;
}

JsonJournalReader::Skipped JsonJournalReader::Passed() const {
    Skipped skipped = m_Skipped;
    skipped.tooLong = m_Lines.TooLong();
    return skipped;
}

bool JsonJournalReader::ForEach(const std::string& relative,
                                const std::function<void(const Json&)>& each, Skipped* skipped,
                                std::string* error) {
    JsonJournalReader reader(relative);
    Json object;
    LineStream::Result result;
    while ((result = reader.Next(&object)) == LineStream::Result::Line) each(object);
    if (skipped != nullptr) *skipped = reader.Passed();
    if (result != LineStream::Result::Error) return true;
    if (error != nullptr) *error = reader.ErrorText();
    return false;
}

std::optional<long long> JsonJournalReader::IntMember(const Json& object, const char* name) {
    auto it = object.find(name);
    if (it == object.end() || !it->is_number_integer()) return std::nullopt;
    return it->get<long long>();
}

const std::string* JsonJournalReader::StringMember(const Json& object, const char* name) {
    auto it = object.find(name);
    if (it == object.end() || !it->is_string()) return nullptr;
    return it->get_ptr<const std::string*>();
}

}  // namespace brelta::host
