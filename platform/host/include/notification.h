/* Notification service of the emulated TV: posts are journalled in $ROOT/notifications/. */
#ifndef BRELTA_HOST_NOTIFICATION_H
#define BRELTA_HOST_NOTIFICATION_H

#ifdef __cplusplus
extern "C" {
#endif

struct _notification;
typedef struct _notification* notification_h;

typedef enum {
    NOTIFICATION_ERROR_NONE = 0,
    NOTIFICATION_ERROR_INVALID_PARAMETER = -22,
    NOTIFICATION_ERROR_OUT_OF_MEMORY = -12,
    NOTIFICATION_ERROR_IO_ERROR = -5,
    NOTIFICATION_ERROR_NOT_EXIST_ID = -0x01100000 | 0x04
} notification_error_e;

typedef enum {
    NOTIFICATION_TYPE_NONE = -1,
    NOTIFICATION_TYPE_NOTI = 0,
    NOTIFICATION_TYPE_ONGOING = 1
} notification_type_e;

typedef enum {
    NOTIFICATION_TEXT_TYPE_NONE = -1,
    NOTIFICATION_TEXT_TYPE_TITLE = 0,
    NOTIFICATION_TEXT_TYPE_CONTENT = 1,
    NOTIFICATION_TEXT_TYPE_BUTTON_1 = 13,
    NOTIFICATION_TEXT_TYPE_BUTTON_2 = 14,
    NOTIFICATION_TEXT_TYPE_MAX = 32
} notification_text_type_e;

typedef enum {
    NOTIFICATION_IMAGE_TYPE_NONE = -1,
    NOTIFICATION_IMAGE_TYPE_ICON = 0,
    NOTIFICATION_IMAGE_TYPE_BUTTON_1 = 12,
    NOTIFICATION_IMAGE_TYPE_BUTTON_2 = 13,
    NOTIFICATION_IMAGE_TYPE_MAX = 32
} notification_image_type_e;

typedef enum { NOTIFICATION_BUTTON_1 = 1, NOTIFICATION_BUTTON_2 = 2 } notification_button_index_e;

typedef enum {
    NOTIFICATION_VARIABLE_TYPE_NONE = -1,
    NOTIFICATION_VARIABLE_TYPE_INT = 0,
    NOTIFICATION_VARIABLE_TYPE_DOUBLE = 1,
    NOTIFICATION_VARIABLE_TYPE_STRING = 2
} notification_variable_type_e;

#define NOTIFICATION_DISPLAY_APP_ACTIVE 0x10

typedef enum {
    NOTIFICATION_LY_NONE = 0,
    NOTIFICATION_LY_NOTI_EVENT_SINGLE = 1
} notification_ly_type_e;

typedef enum {
    NOTIFICATION_EVENT_TYPE_CLICK_ON_BUTTON_1 = 0,
    NOTIFICATION_EVENT_TYPE_CLICK_ON_BUTTON_2 = 1,
    NOTIFICATION_EVENT_TYPE_HIDDEN_BY_USER = 100,
    NOTIFICATION_EVENT_TYPE_HIDDEN_BY_TIMEOUT = 101,
    NOTIFICATION_EVENT_TYPE_HIDDEN_BY_EXTERNAL = 102,
    NOTIFICATION_EVENT_TYPE_DELETED = 201
} notification_event_type_e;

typedef void (*event_handler_cb)(notification_h noti, const int event_type, void* userdata);

notification_h notification_create(notification_type_e type);
int notification_free(notification_h noti);
/* Only NOTIFICATION_VARIABLE_TYPE_NONE is understood as the argument list. */
int notification_set_text(notification_h noti, notification_text_type_e type, const char* text,
                          const char* key, int args_type, ...);
int notification_set_image(notification_h noti, notification_image_type_e type,
                           const char* image_path);
int notification_add_button(notification_h noti, notification_button_index_e button_index);
int notification_set_default_button(notification_h noti, notification_button_index_e index);
int notification_set_display_applist(notification_h noti, int applist);
int notification_set_layout(notification_h noti, notification_ly_type_e layout);
int notification_set_hide_timeout(notification_h noti, int timeout);
/* Events are delivered on the GLib main context that was the thread default at the post. */
int notification_post_with_event_cb(notification_h noti, event_handler_cb cb, void* userdata);
int notification_delete_all(notification_type_e type);

#ifdef __cplusplus
}
#endif

#endif
