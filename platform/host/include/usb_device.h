/* USB device service of the emulated TV: attached storage devices are listed in
 * $ROOT/usb/devices. */
#ifndef BRELTA_HOST_USB_DEVICE_H
#define BRELTA_HOST_USB_DEVICE_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct usb_device_s usb_device_s;
typedef usb_device_s* usb_device_h;
typedef struct usb_device_list_s* usb_device_list_h;

typedef enum {
    USB_ERROR_NONE = 0,
    USB_ERROR_INVALID_PARAMETER = -22,
    USB_ERROR_IO_ERROR = -5,
    USB_ERROR_NO_DEVICE = -19
} usb_error_e;

typedef enum { USB_DEVICE_TYPE_ALL = 0, USB_DEVICE_TYPE_STORAGE = 8 } usb_device_type_e;

typedef void (*usb_connected_cb)(usb_device_s* device, char* action, void* user_data);

int usb_device_init(void);
int usb_device_fini(void);
/* Number of attached devices of the type, or a negative error. */
int usb_get_connected_device_number(int type);
int usb_device_get_device_list(int type, usb_device_list_h* list);
int usb_device_list_get_first(usb_device_list_h list, usb_device_h* device);
int usb_device_free_device_list(usb_device_list_h list);
/* Owned by the service; valid until the process ends. */
char* usb_device_get_mountpath(usb_device_h device);
char* usb_device_get_product(usb_device_h device);
int usb_set_connected_cb(usb_connected_cb callback, void* user_data);
int usb_unset_connected_cb(void);

#ifdef __cplusplus
}
#endif

#endif
