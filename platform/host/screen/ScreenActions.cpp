#include "ScreenActions.h"

#include <climits>

#include "base/Faults.h"
#include "NotificationPress.h"
#include "NotificationReplay.h"
#include "settings/SettingsStore.h"
#include "usb/UsbDevices.h"

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

// The page's answer to a change of the root: its status as the CLI's exit status says it.
Result Answer(const host::Outcome& outcome) {
    switch (outcome.status) {
        case host::Outcome::kDone:
            return {kOk, "done"};
        case host::Outcome::kInvalid:
        case host::Outcome::kRefused:
            return {kBad, outcome.message};
        case host::Outcome::kFailed:
            break;
    }
    return {kFailed, outcome.message};
}

}  // namespace

Result ScreenActions::Toast(const json& request) {
    json id = request.value("id", json()), event = request.value("event", json());
    if (!id.is_number_integer() || !event.is_number_integer() || id.get<long long>() <= 0 ||
        id.get<long long>() > INT_MAX)
        return {kBad, "a press names a toast id and an event"};
    std::vector<host::NotificationReplay::Shown> onScreen;
    host::JsonJournalReader::Skipped skipped;
    std::string error;
    if (!host::NotificationReplay::Read(&onScreen, &skipped, &error))
        return {kFailed, "cannot read " + error};
    long long pid = 0, number = event.get<long long>();
    // Out of int's range is no event either (NotificationPress refuses -1).
    int checked =
        number >= 0 && number <= host::NotificationPress::kHidden ? static_cast<int>(number) : -1;
    return Answer(host::NotificationPress::Press(onScreen, id.get<int>(), checked, &pid));
}

Result ScreenActions::Setting(const json& request) {
    return Answer(host::SettingsStore::Set(StringMember(request, "key"),
                                           StringMember(request, "type"),
                                           StringMember(request, "value")));
}

Result ScreenActions::Usb(const json& request) {
    std::string attach = StringMember(request, "attach");
    if (attach.empty()) return Answer(host::UsbDevices::Detach(StringMember(request, "detach")));
    std::string product = StringMember(request, "product");
    return Answer(host::UsbDevices::Attach(
        attach, product.empty() ? host::UsbDevices::kDefaultProduct : product));
}

Result ScreenActions::Fault(const json& request) {
    std::string function = StringMember(request, "function");
    auto values = request.find("values");
    if (values == request.end()) {
        // Clearing names one function: an empty name would clear them all.
        if (function.empty()) return {kBad, "no function named"};
        return Answer(host::Faults::Clear(function));
    }
    std::vector<int> script;
    if (values->is_array())
        for (const json& value : *values)
            if (value.is_number_integer() && value >= INT_MIN && value <= INT_MAX)
                script.push_back(value.get<int>());
    if (!values->is_array() || script.size() != values->size())
        return {kBad, "a script is a list of int results"};
    return Answer(host::Faults::Set(function, script));
}

}  // namespace brelta::screen
