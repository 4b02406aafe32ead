#ifndef BRELTA_HOST_NOTIFICATIONRECORD_H
#define BRELTA_HOST_NOTIFICATIONRECORD_H

#include <map>
#include <optional>
#include <set>
#include <string>

#include "base/JsonLine.h"

namespace brelta::host {

// What a notification handle holds: everything the caller set, and the id it got at its
// first post. Values never set stay empty and are journalled as null.
class NotificationRecord {
public:
    struct Text {
        std::string text;
        std::optional<std::string> key;
    };

    explicit NotificationRecord(int type) : m_Type(type) {}

    int Type() const { return m_Type; }
    // 0 until the first post; a later post of the same handle keeps it.
    int Id() const { return m_Id; }
    void SetId(int id) { m_Id = id; }

    // A null text or path removes what was set before. False for a type out of range.
    bool SetText(int type, const char* text, const char* key);
    bool SetImage(int type, const char* path);
    // False for an index the service does not know.
    bool AddButton(int index);
    bool SetDefaultButton(int index);
    void SetDisplayApplist(int applist) { m_DisplayApplist = applist; }
    void SetLayout(int layout) { m_Layout = layout; }
    void SetHideTimeout(int seconds) { m_HideTimeout = seconds; }

    const Text* FindText(int type) const;
    const std::string* FindImage(int type) const;
    const std::set<int>& Buttons() const { return m_Buttons; }
    std::optional<int> DefaultButton() const { return m_DefaultButton; }
    std::optional<int> DisplayApplist() const { return m_DisplayApplist; }
    std::optional<int> Layout() const { return m_Layout; }
    std::optional<int> HideTimeout() const { return m_HideTimeout; }

    // The label and image of a button live under text and image types of their own.
    static int ButtonTextType(int index) { return 12 + index; }
    static int ButtonImageType(int index) { return 11 + index; }
    static bool ValidButton(int index) { return index == 1 || index == 2; }

    // Adds the members of a post record after "op", "id" and "pid": type, title, content,
    // image, buttons, default_button, display_applist, layout, hide_timeout.
    void AddPostMembers(JsonLine& line) const;

private:
    int m_Type;
    int m_Id = 0;
    std::map<int, Text> m_Texts;
    std::map<int, std::string> m_Images;
    std::set<int> m_Buttons;
    std::optional<int> m_DefaultButton;
    std::optional<int> m_DisplayApplist;
    std::optional<int> m_Layout;
    std::optional<int> m_HideTimeout;
};

}  // namespace brelta::host

// The platform's opaque handle type is this record.
struct _notification : brelta::host::NotificationRecord {
    using NotificationRecord::NotificationRecord;
};

#endif
