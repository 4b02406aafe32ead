#ifndef BRELTA_SCREEN_SCREENACTIONS_H
#define BRELTA_SCREEN_SCREENACTIONS_H

#include <nlohmann/json.hpp>
#include <string>

namespace brelta::screen {

// What a person does on the page, done by the device root's model as the workbench does
// it (the same checks, the same messages): a toast's button (NotificationPress), the
// settings store, the USB devices, the fault scripts and the capture. Each takes the request's JSON
// object and answers with an HTTP status and a message for the page.
class ScreenActions {
public:
    struct Result {
        unsigned status;  // 200 done, 400 a request that asks for what cannot be, 500 a write
                          // that failed
        std::string message;
    };
    // {"id": N, "event": E}: E is 0 or 1 (a button) or 100 (hidden by the user), for one of
    // the toasts on screen now.
    static Result Toast(const nlohmann::ordered_json& request);
    // {"key": K, "type": "int"|"bool"|"double"|"string", "value": V}
    static Result Setting(const nlohmann::ordered_json& request);
    // {"attach": PATH, "product": P} or {"detach": PATH}
    static Result Usb(const nlohmann::ordered_json& request);
    // {"function": F, "values": [N, ...]} sets a script; {"function": F} without values clears it.
    static Result Fault(const nlohmann::ordered_json& request);
    // The remote's "stop and copy" key (any request): the capture stopped as the tool's stop
    // leaves it, then its file copied to the first USB device, as brelta-device capture stop
    // and capture export do. The tool's own stop key copies nothing in a run of its own.
    static Result StopAndCopy();
};

}  // namespace brelta::screen

#endif
