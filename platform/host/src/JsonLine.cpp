#include "JsonLine.h"

#include <glib.h>

namespace brelta::host {

void JsonLine::Separate() {
    if (m_Named) {
        m_Named = false;
        return;
    }
    if (m_Empty.empty()) return;
    if (!m_Empty.back()) m_Text += ',';
    m_Empty.back() = false;
}

JsonLine& JsonLine::BeginObject() {
    Separate();
    m_Text += '{';
    m_Empty.push_back(true);
    return *this;
}

JsonLine& JsonLine::EndObject() {
    m_Text += '}';
    if (!m_Empty.empty()) m_Empty.pop_back();
    return *this;
}

JsonLine& JsonLine::BeginArray() {
    Separate();
    m_Text += '[';
    m_Empty.push_back(true);
    return *this;
}

JsonLine& JsonLine::EndArray() {
    m_Text += ']';
    if (!m_Empty.empty()) m_Empty.pop_back();
    return *this;
}

JsonLine& JsonLine::Member(const char* name) {
    Separate();
    m_Text += Quote(name) + ':';
    m_Named = true;
    return *this;
}

JsonLine& JsonLine::String(const std::string& value) {
    Separate();
    m_Text += Quote(value);
    return *this;
}

JsonLine& JsonLine::StringOrNull(const char* value) {
    return value != nullptr ? String(value) : Null();
}

JsonLine& JsonLine::Int(long long value) {
    Separate();
    m_Text += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::IntOrNull(std::optional<int> value) {
    return value ? Int(*value) : Null();
}

JsonLine& JsonLine::Null() {
    Separate();
    m_Text += "null";
    return *this;
}

std::string JsonLine::Quote(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string valid;
    const std::string* source = &text;
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        gchar* made = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
        valid = made;
        g_free(made);
        source = &valid;
    }
    std::string quoted = "\"";
    for (unsigned char c : *source) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    quoted += "\\u00";
                    quoted += kHex[c >> 4];
                    quoted += kHex[c & 0xf];
                } else {
                    quoted += static_cast<char>(c);
                }
        }
    }
    return quoted + "\"";
}

}  // namespace brelta::host
