#include "launch/AppControl.h"

#include <unistd.h>

#include "base/HandleRegistry.h"
#include "base/JsonJournal.h"
#include "base/VisibleText.h"
#include "launch/Markup.h"

namespace brelta::host {

namespace {
// Never freed, like the other process-wide state of the stand-ins.
HandleRegistry<app_control_s>& Open() {
    static HandleRegistry<app_control_s>* open = new HandleRegistry<app_control_s>();
    return *open;
}

JsonLine Build(const app_control_s& request, long pid, int result) {
    JsonLine line;
    line.BeginObject();
    line.Member("pid").Int(pid);
    line.Member("app_id").StringOrNull(request.hasAppId ? request.appId.c_str() : nullptr);
    line.Member("operation")
        .StringOrNull(request.hasOperation ? request.operation.c_str() : nullptr);
    line.Member("extra").BeginArray();
    for (const auto& entry : request.extra)
        line.BeginArray().String(entry.first).String(entry.second).EndArray();
    line.EndArray();
    line.Member("result").Int(result);
    line.EndObject();
    return line;
}
}  // namespace

app_control_s* AppControl::Create() {
    return Open().Create();
}

bool AppControl::Valid(app_control_h handle) {
    return Open().Valid(handle);
}

bool AppControl::Destroy(app_control_h handle) {
    return Open().Destroy(handle);
}

size_t AppControl::LiveCount() {
    return Open().Size();
}

void AppControl::AddExtra(app_control_s* handle, const std::string& key, const std::string& value) {
    for (auto& entry : handle->extra) {
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    }
    handle->extra.emplace_back(key, value);
}

const std::string* AppControl::Extra(const app_control_s& request, const std::string& key) {
    for (const auto& entry : request.extra)
        if (entry.first == key) return &entry.second;
    return nullptr;
}

int AppControl::Launch(const app_control_s& request) {
    if (!request.hasAppId) return APP_CONTROL_ERROR_APP_NOT_FOUND;
    return APP_CONTROL_ERROR_NONE;
}

std::string AppControl::JournalLine(const app_control_s& request, long pid, int result) {
    return Build(request, pid, result).Text();
}

bool AppControl::Record(const app_control_s& request, int result) {
    return JsonJournal::Append(JsonJournal::kLaunches,
                               Build(request, static_cast<long>(getpid()), result));
}

std::string AppControl::Describe(const app_control_s& request, int result, bool colour) {
    std::string text = "[launch] ";
    text += request.hasAppId ? VisibleText::Escape(request.appId) : "(no application id)";
    if (request.hasOperation) text += " (" + VisibleText::Escape(request.operation) + ")";
    if (result != APP_CONTROL_ERROR_NONE) text += " refused: " + std::to_string(result);
    text += "\n";
    for (const auto& entry : request.extra) {
        text += "    ";
        if (entry.first == kSettingsPageKey)
            text += "settings page " + VisibleText::Escape(entry.second);
        else if (entry.first == "text")
            text += colour ? Markup::ToAnsi(entry.second)
                           : VisibleText::Escape(Markup::Strip(entry.second));
        else
            text += VisibleText::Escape(entry.first) + " = " + VisibleText::Escape(entry.second);
        text += "\n";
    }
    return text;
}

}  // namespace brelta::host
