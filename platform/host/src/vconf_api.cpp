// The vconf functions of the host platform: reads and writes of the settings store.
// Change notifications live in vconf_notify.cpp.
#include <vconf.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "Faults.h"
#include "SettingsStore.h"

using brelta::host::Faults;
using brelta::host::SettingsStore;
using brelta::host::SettingType;

namespace {
bool Usable(const char* key) {
    return key != nullptr;
}

int Set(const char* fn, const char* key, SettingType type, const std::string& value) {
    int status = 0;
    if (Faults::Fail(fn, &status)) return status;
    if (!Usable(key)) return VCONF_ERROR;
    return SettingsStore::Write(key, type, value) ? VCONF_OK : VCONF_ERROR;
}
}  // namespace

extern "C" {

int vconf_get_int(const char* in_key, int* intval) {
    int status = 0;
    if (Faults::Fail("vconf_get_int", &status)) return status;
    if (!Usable(in_key) || intval == nullptr) return VCONF_ERROR;
    return SettingsStore::GetInt(in_key, intval) ? VCONF_OK : VCONF_ERROR;
}

int vconf_get_bool(const char* in_key, int* boolval) {
    int status = 0;
    if (Faults::Fail("vconf_get_bool", &status)) return status;
    if (!Usable(in_key) || boolval == nullptr) return VCONF_ERROR;
    return SettingsStore::GetBool(in_key, boolval) ? VCONF_OK : VCONF_ERROR;
}

int vconf_get_dbl(const char* in_key, double* dblval) {
    int status = 0;
    if (Faults::Fail("vconf_get_dbl", &status)) return status;
    if (!Usable(in_key) || dblval == nullptr) return VCONF_ERROR;
    return SettingsStore::GetDouble(in_key, dblval) ? VCONF_OK : VCONF_ERROR;
}

char* vconf_get_str(const char* in_key) {
    int status = 0;
    if (Faults::Fail("vconf_get_str", &status)) return nullptr;
    std::string value;
    if (!Usable(in_key) || !SettingsStore::GetString(in_key, &value)) return nullptr;
    return strdup(value.c_str());
}

int vconf_set_int(const char* in_key, const int intval) {
    return Set("vconf_set_int", in_key, SettingType::Int, std::to_string(intval));
}

int vconf_set_bool(const char* in_key, const int boolval) {
    return Set("vconf_set_bool", in_key, SettingType::Bool, boolval ? "1" : "0");
}

int vconf_set_dbl(const char* in_key, const double dblval) {
    char text[64];
    snprintf(text, sizeof text, "%.17g", dblval);
    return Set("vconf_set_dbl", in_key, SettingType::Double, text);
}

int vconf_set_str(const char* in_key, const char* strval) {
    if (strval == nullptr) return VCONF_ERROR;
    return Set("vconf_set_str", in_key, SettingType::String, strval);
}

}  // extern "C"
