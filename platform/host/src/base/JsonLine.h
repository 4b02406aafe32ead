#ifndef BRELTA_HOST_JSONLINE_H
#define BRELTA_HOST_JSONLINE_H

#include <memory>
#include <optional>
#include <string>

namespace brelta::host {

// One journal line being written: a JSON value as compact text (no blanks), made of objects,
// arrays, strings, integers and null, which is all a journal holds. Built with a header-only
// JSON library, so the tool loads no shared JSON library at every start; journals are parsed
// with the same library, only by their readers (JsonJournalReader). Members keep the order in
// which they were written. The library stays out of this header: it is the costliest one to
// compile, and every notification source includes this one.
class JsonLine {
public:
    JsonLine();
    ~JsonLine();
    JsonLine(JsonLine&&) noexcept;
    JsonLine& operator=(JsonLine&&) noexcept;

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

    // The compact text; bytes that are not UTF-8 are replaced by U+FFFD so that every reader
    // can parse the line.
    std::string Text() const;

private:
    struct Building;
    std::unique_ptr<Building> m_Building;
};

}  // namespace brelta::host

#endif
