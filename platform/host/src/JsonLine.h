#ifndef BRELTA_HOST_JSONLINE_H
#define BRELTA_HOST_JSONLINE_H

#include <optional>
#include <string>
#include <vector>

namespace brelta::host {

// One journal line being written: a JSON value as compact text (no blanks), made of objects,
// arrays, strings, integers and null, which is all a journal holds. Written by hand rather
// than with a JSON library so that the tool does not load one at every start; journals are
// parsed (with json-glib) only by their readers, JsonJournalReader.
class JsonLine {
public:
    JsonLine& BeginObject();
    JsonLine& EndObject();
    JsonLine& BeginArray();
    JsonLine& EndArray();
    // Names the next value of the object being written.
    JsonLine& Member(const char* name);
    JsonLine& String(const std::string& value);
    // A null pointer (nullopt) is written as null.
    JsonLine& StringOrNull(const char* value);
    JsonLine& Int(long long value);
    JsonLine& IntOrNull(std::optional<int> value);
    JsonLine& Null();

    const std::string& Text() const { return m_Text; }

    // The text as a JSON string: quotes, backslashes and control characters escaped, bytes
    // that are not UTF-8 replaced by U+FFFD so that every reader can parse the line.
    static std::string Quote(const std::string& text);

private:
    // The comma between two elements or members.
    void Separate();

    std::string m_Text;
    // One entry per open object or array: whether it has no element yet.
    std::vector<bool> m_Empty;
    bool m_Named = false;
};

}  // namespace brelta::host

#endif
