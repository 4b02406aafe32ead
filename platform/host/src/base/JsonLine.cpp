#include "base/JsonLine.h"

#include <nlohmann/json.hpp>

#include <vector>

namespace brelta::host {

using Json = nlohmann::ordered_json;

struct JsonLine::Building {
    Json root;
    // The open objects and arrays, innermost last.
    std::vector<Json*> open;
    std::optional<std::string> name;

    // Puts a value into the open object (under the pending name) or array, or makes it the
    // whole line; returns where it now lives.
    Json* Put(Json value) {
        if (open.empty()) {
            root = std::move(value);
            return &root;
        }
        Json* container = open.back();
        if (container->is_array()) {
            container->push_back(std::move(value));
            return &container->back();
        }
        std::string member = name.value_or("");
        name.reset();
        (*container)[member] = std::move(value);
        return &(*container)[member];
    }
};

JsonLine::JsonLine() : m_Building(std::make_unique<Building>()) {}
JsonLine::~JsonLine() = default;
JsonLine::JsonLine(JsonLine&&) noexcept = default;
JsonLine& JsonLine::operator=(JsonLine&&) noexcept = default;

JsonLine& JsonLine::BeginObject() {
    m_Building->open.push_back(m_Building->Put(Json::object()));
    return *this;
}

JsonLine& JsonLine::EndObject() {
    if (!m_Building->open.empty()) m_Building->open.pop_back();
    return *this;
}

JsonLine& JsonLine::BeginArray() {
    m_Building->open.push_back(m_Building->Put(Json::array()));
    return *this;
}

JsonLine& JsonLine::EndArray() {
    return EndObject();
}

JsonLine& JsonLine::Member(const char* name) {
    m_Building->name = name != nullptr ? name : "";
    return *this;
}

JsonLine& JsonLine::String(const std::string& value) {
    m_Building->Put(value);
    return *this;
}

JsonLine& JsonLine::StringOrNull(const char* value) {
    return value != nullptr ? String(value) : Null();
}

JsonLine& JsonLine::Int(long long value) {
    m_Building->Put(value);
    return *this;
}

JsonLine& JsonLine::IntOrNull(std::optional<int> value) {
    return value ? Int(*value) : Null();
}

JsonLine& JsonLine::Null() {
    m_Building->Put(nullptr);
    return *this;
}

std::string JsonLine::Text() const {
    return m_Building->root.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace brelta::host
