#ifndef BRELTA_HOST_APPCONTROL_H
#define BRELTA_HOST_APPCONTROL_H

#include <app_control.h>

#include <string>
#include <utility>
#include <vector>

// What a launch request carries. The platform header leaves the type opaque; the host keeps
// only what a launch passes on to the started application.
struct app_control_s {
    bool hasOperation = false;
    std::string operation;
    bool hasAppId = false;
    std::string appId;
    // In the order added; each key at most once (see AppControl::AddExtra).
    std::vector<std::pair<std::string, std::string>> extra;
};

namespace brelta::host {

// Application control of the emulated TV. Handles are registered so that a call with a
// destroyed or made-up handle fails instead of touching freed memory; every launch request
// that reaches the service is journalled in $ROOT/apps/launches, refused ones included.
class AppControl {
public:
    // The alert application, which draws the popup text of its "text" extra data.
    static constexpr const char* kAlertApp = "org.tizen.alert-syspopup";
    // The extra-data key through which the network-settings application is told its page.
    static constexpr const char* kSettingsPageKey = "NW_TEST_FUNCTION_FROM_JSON";

    static app_control_s* Create();
    static bool Valid(app_control_h handle);
    static bool Destroy(app_control_h handle);
    // Handles created and not yet destroyed in this process.
    static size_t LiveCount();

    // A key added again replaces its value and keeps its first place: the receiver reads
    // extra data by key, so one key can only ever carry one value.
    static void AddExtra(app_control_s* handle, const std::string& key, const std::string& value);
    // The value of an extra-data key; null when the request has none.
    static const std::string* Extra(const app_control_s& request, const std::string& key);

    // Decides the result of a request that passed the fault script: one without an
    // application id has nowhere to go.
    static int Launch(const app_control_s& request);
    // Appends the journal line of a request sent by this process with result `result`.
    static bool Record(const app_control_s& request, int result);
    // The journal line: {"pid":P,"app_id":...,"operation":...,"extra":[[k,v],...],"result":R}.
    static std::string JournalLine(const app_control_s& request, long pid, int result);
    // What a person at the terminal sees of a request: the application, the settings page
    // asked for, the alert text (in its mark-up colour with `colour`), any other extra data.
    static std::string Describe(const app_control_s& request, int result, bool colour);
};

}  // namespace brelta::host

#endif
