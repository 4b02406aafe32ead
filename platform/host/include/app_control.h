/* Application control of the emulated TV: every launch request is journalled in
 * $ROOT/apps/launches, one JSON object per line:
 *   {"pid":P,"app_id":"..." or null,"operation":"..." or null,"extra":[["key","value"],...],
 *    "result":R}
 * with R the result returned to the caller, refused requests included. On the host:
 * - a request without an application id is refused with APP_CONTROL_ERROR_APP_NOT_FOUND;
 * - a key added again replaces its value and keeps its first place in "extra";
 * - a handle that was never created or is already destroyed, a null or empty key and a null
 *   value are refused with APP_CONTROL_ERROR_INVALID_PARAMETER, and nothing is journalled;
 * - the reply callback is never called;
 * - $ROOT/faults/<function> scripts app_control_create, app_control_set_operation,
 *   app_control_set_app_id, app_control_add_extra_data and app_control_send_launch_request
 *   (a scripted refusal of a launch is journalled with that result). */
#ifndef BRELTA_HOST_APP_CONTROL_H
#define BRELTA_HOST_APP_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct app_control_s* app_control_h;

typedef enum {
    APP_CONTROL_ERROR_NONE = 0,
    APP_CONTROL_ERROR_INVALID_PARAMETER = -22,
    APP_CONTROL_ERROR_OUT_OF_MEMORY = -12,
    APP_CONTROL_ERROR_APP_NOT_FOUND = -0x01100000 | 0x21,
    APP_CONTROL_ERROR_LAUNCH_REJECTED = -0x01100000 | 0x24
} app_control_error_e;

typedef enum {
    APP_CONTROL_RESULT_SUCCEEDED = 0,
    APP_CONTROL_RESULT_FAILED = -1,
    APP_CONTROL_RESULT_CANCELED = -2
} app_control_result_e;

#define APP_CONTROL_OPERATION_DEFAULT "http://tizen.org/appcontrol/operation/default"

typedef void (*app_control_reply_cb)(app_control_h request, app_control_h reply,
                                     app_control_result_e result, void* user_data);

int app_control_create(app_control_h* app_control);
int app_control_destroy(app_control_h app_control);
int app_control_set_operation(app_control_h app_control, const char* operation);
int app_control_set_app_id(app_control_h app_control, const char* app_id);
int app_control_add_extra_data(app_control_h app_control, const char* key, const char* value);
int app_control_send_launch_request(app_control_h app_control, app_control_reply_cb callback,
                                    void* user_data);

#ifdef __cplusplus
}
#endif

#endif
