#ifndef BRELTA_HOST_SCRIPTABLEFUNCTIONS_H
#define BRELTA_HOST_SCRIPTABLEFUNCTIONS_H

namespace brelta::host {

// The platform functions that take a fault script ($ROOT/faults/<function>): each one's
// stand-in asks Faults for its next scripted result through its fault hook
// (BRELTA_FAULT_HOOK, Faults.h), which the compiler refuses in a function that is not listed
// here. The workbench refuses a script for any other name, which no process would read.
inline constexpr const char* kScriptableFunctions[] = {
    "app_control_add_extra_data",
    "app_control_create",
    "app_control_send_launch_request",
    "app_control_set_app_id",
    "app_control_set_operation",
    "connection_create",
    "connection_profile_check_default_gateway",
    "connection_profile_get_tcpdump_state",
    "connection_profile_start_tcpdump",
    "connection_profile_stop_tcpdump",
    "notification_add_button",
    "notification_create",
    "notification_post_with_event_cb",
    "usb_device_fini",
    "usb_device_free_device_list",
    "usb_device_get_device_list",
    "usb_device_get_mountpath",
    "usb_device_get_product",
    "usb_device_init",
    "usb_device_list_get_first",
    "usb_get_connected_device_number",
    "usb_set_connected_cb",
    "usb_unset_connected_cb",
    "vconf_get_bool",
    "vconf_get_dbl",
    "vconf_get_int",
    "vconf_get_str",
    "vconf_ignore_key_changed",
    "vconf_notify_key_changed",
    "vconf_set_bool",
    "vconf_set_dbl",
    "vconf_set_int",
    "vconf_set_str",
    "wifi_set_module_low",
};

constexpr bool SameName(const char* a, const char* b) {
    return *a == *b && (*a == '\0' || SameName(a + 1, b + 1));
}

constexpr bool IsScriptable(const char* function) {
    for (const char* listed : kScriptableFunctions)
        if (SameName(listed, function)) return true;
    return false;
}

// The name itself, once the compiler has found it in the list.
template <bool kListed>
constexpr const char* ScriptableName(const char* function) {
    static_assert(kListed, "a fault hook in a function that kScriptableFunctions does not list");
    return function;
}

}  // namespace brelta::host

#endif
