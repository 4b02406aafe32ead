#include "notification/NotificationRecord.h"

namespace brelta::host {

namespace {
// Text and image types run from 0 to 31 on the platform.
constexpr int kTypeCount = 32;

bool ValidType(int type) {
    return type >= 0 && type < kTypeCount;
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

void NotificationRecord::AddPostMembers(JsonLine& line) const {
    auto text = [this](int type) {
        const Text* found = FindText(type);
        return found != nullptr ? found->text.c_str() : nullptr;
    };
    auto image = [this](int type) {
        const std::string* found = FindImage(type);
        return found != nullptr ? found->c_str() : nullptr;
    };
    line.Member("type").Int(m_Type);
    line.Member("title").StringOrNull(text(0));
    line.Member("content").StringOrNull(text(1));
    line.Member("image").StringOrNull(image(0));
    line.Member("buttons").BeginArray();
    for (int index : m_Buttons) {
        line.BeginObject();
        line.Member("button").Int(index);
        line.Member("text").StringOrNull(text(ButtonTextType(index)));
        line.Member("image").StringOrNull(image(ButtonImageType(index)));
        line.EndObject();
    }
    line.EndArray();
    line.Member("default_button").IntOrNull(m_DefaultButton);
    line.Member("display_applist").IntOrNull(m_DisplayApplist);
    line.Member("layout").IntOrNull(m_Layout);
    line.Member("hide_timeout").IntOrNull(m_HideTimeout);
}

}  // namespace brelta::host
