#include "JsonLine.h"

namespace brelta::host {

using Json = nlohmann::ordered_json;

Json* JsonLine::Put(Json value) {
    if (m_Open.empty()) {
        m_Root = std::move(value);
        return &m_Root;
    }
    Json* container = m_Open.back();
    if (container->is_array()) {
        container->push_back(std::move(value));
        return &container->back();
    }
    std::string name = m_Name.value_or("");
    m_Name.reset();
    (*container)[name] = std::move(value);
    return &(*container)[name];
}

JsonLine& JsonLine::BeginObject() {
    m_Open.push_back(Put(Json::object()));
    return *this;
}

JsonLine& JsonLine::EndObject() {
    if (!m_Open.empty()) m_Open.pop_back();
    return *this;
}

JsonLine& JsonLine::BeginArray() {
    m_Open.push_back(Put(Json::array()));
    return *this;
}

JsonLine& JsonLine::EndArray() {
    return EndObject();
}

JsonLine& JsonLine::Member(const char* name) {
    m_Name = name != nullptr ? name : "";
    return *this;
}

JsonLine& JsonLine::String(const std::string& value) {
    Put(value);
    return *this;
}

JsonLine& JsonLine::StringOrNull(const char* value) {
    return value != nullptr ? String(value) : Null();
}

JsonLine& JsonLine::Int(long long value) {
    Put(value);
    return *this;
}

JsonLine& JsonLine::IntOrNull(std::optional<int> value) {
    return value ? Int(*value) : Null();
}

JsonLine& JsonLine::Null() {
    Put(nullptr);
    return *this;
}

std::string JsonLine::Text() const {
    return m_Root.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace brelta::host
