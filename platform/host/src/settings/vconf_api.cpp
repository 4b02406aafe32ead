// The vconf functions of the host platform: reads and writes of the settings store.
// Change notifications live in vconf_notify.cpp.
#include <vconf.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/Faults.h"
#include "settings/SettingsStore.h"

using brelta::host::Faults;
using brelta::host::SettingsStore;
using brelta::host::SettingType;

namespace {
bool Usable(const char* key) {
    return key != nullptr;
}

int Set(const char* key, SettingType type, const std::string& value) {
    if (!Usable(key)) return VCONF_ERROR;
    return SettingsStore::Write(key, type, value) ? VCONF_OK : VCONF_ERROR;
}
}  // namespace

extern "C" {

int vconf_get_int(const char* in_key, int* intval) {
    BRELTA_FAULT_HOOK(fault);
    if (!Usable(in_key) || intval == nullptr) return VCONF_ERROR;
    return SettingsStore::GetInt(in_key, intval) ? VCONF_OK : VCONF_ERROR;
}

int vconf_get_bool(const char* in_key, int* boolval) {
    BRELTA_FAULT_HOOK(fault);
    if (!Usable(in_key) || boolval == nullptr) return VCONF_ERROR;
    return SettingsStore::GetBool(in_key, boolval) ? VCONF_OK : VCONF_ERROR;
}

int vconf_get_dbl(const char* in_key, double* dblval) {
    BRELTA_FAULT_HOOK(fault);
    if (!Usable(in_key) || dblval == nullptr) return VCONF_ERROR;
    return SettingsStore::GetDouble(in_key, dblval) ? VCONF_OK : VCONF_ERROR;
}

char* vconf_get_str(const char* in_key) {
    BRELTA_FAULT_HOOK(nullptr);
    std::string value;
    if (!Usable(in_key) || !SettingsStore::GetString(in_key, &value)) return nullptr;
    return strdup(value.c_str());
}

int vconf_set_int(const char* in_key, const int intval) {
    BRELTA_FAULT_HOOK(fault);
    return Set(in_key, SettingType::Int, std::to_string(intval));
}

int vconf_set_bool(const char* in_key, const int boolval) {
    BRELTA_FAULT_HOOK(fault);
    return Set(in_key, SettingType::Bool, boolval ? "1" : "0");
}

int vconf_set_dbl(const char* in_key, const double dblval) {
    BRELTA_FAULT_HOOK(fault);
    char text[64];
    snprintf(text, sizeof text, "%.17g", dblval);
    return Set(in_key, SettingType::Double, text);
}

int vconf_set_str(const char* in_key, const char* strval) {
    if (strval == nullptr) return VCONF_ERROR;
    BRELTA_FAULT_HOOK(fault);
    return Set(in_key, SettingType::String, strval);
}

}  // extern "C"
