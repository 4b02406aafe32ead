#include "NotificationRecord.h"

#include "JsonJournal.h"

namespace brelta::host {

namespace {
// Text and image types run from 0 to 31 on the platform.
constexpr int kTypeCount = 32;

bool ValidType(int type) {
    return type >= 0 && type < kTypeCount;
}

void AddIntOrNull(JsonBuilder* builder, const char* name, std::optional<int> value) {
    json_builder_set_member_name(builder, name);
    if (value)
        json_builder_add_int_value(builder, *value);
    else
        json_builder_add_null_value(builder);
}
}  // namespace

bool NotificationRecord::SetText(int type, const char* text, const char* key) {
    if (!ValidType(type)) return false;
    if (text == nullptr) {
        m_Texts.erase(type);
        return true;
    }
    Text& entry = m_Texts[type];
    entry.text = text;
    entry.key = key != nullptr ? std::optional<std::string>(key) : std::nullopt;
    return true;
}

bool NotificationRecord::SetImage(int type, const char* path) {
    if (!ValidType(type)) return false;
    if (path == nullptr)
        m_Images.erase(type);
    else
        m_Images[type] = path;
    return true;
}

bool NotificationRecord::AddButton(int index) {
    if (!ValidButton(index)) return false;
    m_Buttons.insert(index);
    return true;
}

bool NotificationRecord::SetDefaultButton(int index) {
    if (!ValidButton(index)) return false;
    m_DefaultButton = index;
    return true;
}

const NotificationRecord::Text* NotificationRecord::FindText(int type) const {
    auto it = m_Texts.find(type);
    return it != m_Texts.end() ? &it->second : nullptr;
}

const std::string* NotificationRecord::FindImage(int type) const {
    auto it = m_Images.find(type);
    return it != m_Images.end() ? &it->second : nullptr;
}

void NotificationRecord::AddPostMembers(JsonBuilder* builder) const {
    auto text = [this](int type) {
        const Text* found = FindText(type);
        return found != nullptr ? found->text.c_str() : nullptr;
    };
    auto image = [this](int type) {
        const std::string* found = FindImage(type);
        return found != nullptr ? found->c_str() : nullptr;
    };
    json_builder_set_member_name(builder, "type");
    json_builder_add_int_value(builder, m_Type);
    JsonJournal::AddStringOrNull(builder, "title", text(0));
    JsonJournal::AddStringOrNull(builder, "content", text(1));
    JsonJournal::AddStringOrNull(builder, "image", image(0));
    json_builder_set_member_name(builder, "buttons");
    json_builder_begin_array(builder);
    for (int index : m_Buttons) {
        json_builder_begin_object(builder);
        json_builder_set_member_name(builder, "button");
        json_builder_add_int_value(builder, index);
        JsonJournal::AddStringOrNull(builder, "text", text(ButtonTextType(index)));
        JsonJournal::AddStringOrNull(builder, "image", image(ButtonImageType(index)));
        json_builder_end_object(builder);
    }
    json_builder_end_array(builder);
    AddIntOrNull(builder, "default_button", m_DefaultButton);
    AddIntOrNull(builder, "display_applist", m_DisplayApplist);
    AddIntOrNull(builder, "layout", m_Layout);
    AddIntOrNull(builder, "hide_timeout", m_HideTimeout);
}

}  // namespace brelta::host
