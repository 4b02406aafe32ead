// The vconf change notifications of the host platform and the getters of their key nodes.
#include <vconf.h>

#include "base/Faults.h"
#include "settings/SettingsWatcher.h"

using brelta::host::Faults;
using brelta::host::SettingsWatcher;

extern "C" {

int vconf_notify_key_changed(const char* in_key, vconf_callback_fn cb, void* user_data) {
    BRELTA_FAULT_HOOK(fault);
    if (in_key == nullptr) return VCONF_ERROR;
    return SettingsWatcher::Instance().Add(in_key, cb, user_data) ? VCONF_OK : VCONF_ERROR;
}

int vconf_ignore_key_changed(const char* in_key, vconf_callback_fn cb) {
    BRELTA_FAULT_HOOK(fault);
    if (in_key == nullptr) return VCONF_ERROR;
    return SettingsWatcher::Instance().Remove(in_key, cb) ? VCONF_OK : VCONF_ERROR;
}

char* vconf_keynode_get_name(keynode_t* keynode) {
    return keynode != nullptr ? keynode->name.data() : nullptr;
}

int vconf_keynode_get_type(keynode_t* keynode) {
    return keynode != nullptr ? keynode->type : VCONF_ERROR;
}

// The value getters answer VCONF_ERROR (or null) when the node holds another type.
int vconf_keynode_get_int(keynode_t* keynode) {
    return keynode != nullptr && keynode->type == VCONF_TYPE_INT ? keynode->intValue : VCONF_ERROR;
}

int vconf_keynode_get_bool(keynode_t* keynode) {
    return keynode != nullptr && keynode->type == VCONF_TYPE_BOOL ? keynode->intValue : VCONF_ERROR;
}

double vconf_keynode_get_dbl(keynode_t* keynode) {
    return keynode != nullptr && keynode->type == VCONF_TYPE_DOUBLE ? keynode->dblValue
                                                                    : VCONF_ERROR;
}

char* vconf_keynode_get_str(keynode_t* keynode) {
    return keynode != nullptr && keynode->type == VCONF_TYPE_STRING ? keynode->strValue.data()
                                                                    : nullptr;
}

}  // extern "C"
