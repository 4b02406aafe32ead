#include "ScreenActions.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "Faults.h"
#include "FileUtil.h"
#include "NotificationInput.h"
#include "SettingsStore.h"
#include "UsbDevices.h"

namespace brelta::screen {

using json = nlohmann::ordered_json;
using Result = ScreenActions::Result;

namespace {
constexpr unsigned kOk = 200;
constexpr unsigned kBad = 400;
constexpr unsigned kFailed = 500;

std::string StringMember(const json& request, const char* name) {
    auto found = request.find(name);
    return found != request.end() && found->is_string() ? found->get<std::string>() : "";
}

Result WriteFailed(const std::string& path) {
    return {kFailed, "cannot write " + path + ": " + std::strerror(errno != 0 ? errno : EIO)};
}

// A tab or a line break would split the line of the devices file.
bool OneField(const std::string& text) {
    return !text.empty() && text.find_first_of("\t\r\n") == std::string::npos;
}
}  // namespace

Result ScreenActions::Toast(const json& request, const json& toasts) {
    json id = request.value("id", json()), event = request.value("event", json());
    if (!id.is_number_integer() || !event.is_number_integer())
        return {kBad, "a press names a toast id and an event"};
    int number = event.get<int>();
    if (number != 0 && number != 1 && number != 100) return {kBad, "no such event"};
    auto shown = std::find_if(toasts.begin(), toasts.end(),
                              [&id](const json& toast) { return toast["id"] == id; });
    if (shown == toasts.end()) return {kBad, "the toast is not on screen"};
    const json& buttons = (*shown)["buttons"];
    if (number != 100 && std::none_of(buttons.begin(), buttons.end(), [number](const json& b) {
            return b["button"] == number + 1;
        }))
        return {kBad, "the toast has no such button"};
    // Complete when it appears (renamed into place), so that the service takes it at once.
    std::string path = host::NotificationInput::Path(id.get<int>());
    errno = 0;
    if (!host::FileUtil::WriteAtomically(path, std::to_string(number) + "\n"))
        return WriteFailed(path);
    return {kOk, "pressed"};
}

Result ScreenActions::Setting(const json& request) {
    std::string key = StringMember(request, "key"), value = StringMember(request, "value");
    host::SettingType type;
    if (host::SettingsStore::KeyPath(key).empty()) return {kBad, "not a key name"};
    if (!host::SettingsStore::TypeFromName(StringMember(request, "type"), &type))
        return {kBad, "the type is int, bool, double or string"};
    if (!host::SettingsStore::Valid(type, value)) return {kBad, "not a value of that type"};
    errno = 0;
    if (!host::SettingsStore::Write(key, type, value))
        return WriteFailed(host::SettingsStore::KeyPath(key));
    return {kOk, "written"};
}

Result ScreenActions::Usb(const json& request) {
    std::string content, path = host::UsbDevices::Path();
    if (!host::FileUtil::Read(path, &content, 64 * 1024) && host::FileUtil::Exists(path))
        return {kFailed, "cannot read " + path};
    std::vector<host::UsbDevices::Line> lines = host::UsbDevices::Parse(content), kept;
    std::string attach = StringMember(request, "attach"), detach = StringMember(request, "detach");
    if (!attach.empty()) {
        std::string product = StringMember(request, "product");
        if (product.empty()) product = "USB Storage";
        if (attach[0] != '/' || !OneField(attach) || !OneField(product))
            return {kBad,
                    "a mount path is absolute, and neither it nor the product has a tab "
                    "or a line break"};
        for (const host::UsbDevices::Line& line : lines)
            if (line.mountpath == attach) return {kBad, attach + " is already attached"};
        kept = lines;
        kept.push_back({attach, product});
    } else {
        for (const host::UsbDevices::Line& line : lines)
            if (line.mountpath != detach) kept.push_back(line);
        if (kept.size() == lines.size()) return {kBad, detach + " is not attached"};
    }
    errno = 0;
    if (!host::FileUtil::WriteAtomically(path, host::UsbDevices::Format(kept)))
        return WriteFailed(path);
    return {kOk, "done"};
}

Result ScreenActions::Fault(const json& request) {
    std::string function = StringMember(request, "function");
    if (!host::Faults::ValidName(function)) return {kBad, "not a function name"};
    auto values = request.find("values");
    if (values == request.end()) {
        if (!host::FileUtil::Exists(host::Faults::Path(function)))
            return {kBad, "no script for " + function};
        if (!host::Faults::Remove(function)) return WriteFailed(host::Faults::Path(function));
        return {kOk, "cleared"};
    }
    std::vector<int> script;
    if (values->is_array())
        for (const json& value : *values)
            if (value.is_number_integer() && value >= INT_MIN && value <= INT_MAX)
                script.push_back(value.get<int>());
    if (!values->is_array() || script.empty() || script.size() != values->size())
        return {kBad, "a script is a list of int results"};
    errno = 0;
    if (!host::Faults::Write(function, script)) return WriteFailed(host::Faults::Path(function));
    return {kOk, "scripted"};
}

}  // namespace brelta::screen
