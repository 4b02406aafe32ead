#include "AppControl.h"

#include <unistd.h>

#include "HandleRegistry.h"
#include "JsonJournal.h"
#include "LogWriter.h"
#include "Markup.h"

namespace brelta::host {

namespace {
// Never freed, like the other process-wide state of the stand-ins.
HandleRegistry<app_control_s>& Live() {
    static HandleRegistry<app_control_s>* live = new HandleRegistry<app_control_s>();
    return *live;
}

// The extra-data key through which the network-settings application is told its page.
const char kSettingsPageKey[] = "NW_TEST_FUNCTION_FROM_JSON";

JsonBuilder* Build(const app_control_s& request, long pid, int result) {
    JsonBuilder* builder = json_builder_new();
    json_builder_begin_object(builder);
    json_builder_set_member_name(builder, "pid");
    json_builder_add_int_value(builder, pid);
    JsonJournal::AddStringOrNull(builder, "app_id",
                                 request.hasAppId ? request.appId.c_str() : nullptr);
    JsonJournal::AddStringOrNull(builder, "operation",
                                 request.hasOperation ? request.operation.c_str() : nullptr);
    json_builder_set_member_name(builder, "extra");
    json_builder_begin_array(builder);
    for (const auto& entry : request.extra) {
        json_builder_begin_array(builder);
        json_builder_add_string_value(builder, entry.first.c_str());
        json_builder_add_string_value(builder, entry.second.c_str());
        json_builder_end_array(builder);
    }
    json_builder_end_array(builder);
    json_builder_set_member_name(builder, "result");
    json_builder_add_int_value(builder, result);
    json_builder_end_object(builder);
    return builder;
}
}  // namespace

app_control_s* AppControl::Create() {
    return Live().Create();
}

bool AppControl::Valid(app_control_h handle) {
    return Live().Valid(handle);
}

bool AppControl::Destroy(app_control_h handle) {
    return Live().Destroy(handle);
}

size_t AppControl::LiveCount() {
    return Live().Size();
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

int AppControl::Launch(const app_control_s& request) {
    if (!request.hasAppId) return APP_CONTROL_ERROR_APP_NOT_FOUND;
    return APP_CONTROL_ERROR_NONE;
}

std::string AppControl::JournalLine(const app_control_s& request, long pid, int result) {
    JsonBuilder* builder = Build(request, pid, result);
    JsonNode* node = json_builder_get_root(builder);
    std::string line = JsonJournal::ToLine(node);
    json_node_unref(node);
    g_object_unref(builder);
    return line;
}

bool AppControl::Record(const app_control_s& request, int result) {
    JsonBuilder* builder = Build(request, static_cast<long>(getpid()), result);
    bool written = JsonJournal::Append("apps/launches", builder);
    g_object_unref(builder);
    return written;
}

std::string AppControl::Describe(const app_control_s& request, int result) {
    std::string text = "[launch] ";
    text += request.hasAppId ? LogWriter::Escape(request.appId) : "(no application id)";
    if (request.hasOperation) text += " (" + LogWriter::Escape(request.operation) + ")";
    if (result != APP_CONTROL_ERROR_NONE) text += " refused: " + std::to_string(result);
    text += "\n";
    for (const auto& entry : request.extra) {
        text += "    ";
        if (entry.first == kSettingsPageKey)
            text += "settings page " + LogWriter::Escape(entry.second);
        else if (entry.first == "text")
            text += Markup::ToAnsi(entry.second);
        else
            text += LogWriter::Escape(entry.first) + " = " + LogWriter::Escape(entry.second);
        text += "\n";
    }
    return text;
}

}  // namespace brelta::host
