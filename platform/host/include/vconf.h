/* Settings store of the emulated TV: one typed file per key under $ROOT/settings/. */
#ifndef BRELTA_HOST_VCONF_H
#define BRELTA_HOST_VCONF_H

#ifdef __cplusplus
extern "C" {
#endif

#define VCONF_OK 0
#define VCONF_ERROR -1

typedef enum {
    VCONF_TYPE_NONE = 0,
    VCONF_TYPE_STRING = 40,
    VCONF_TYPE_INT = 41,
    VCONF_TYPE_DOUBLE = 42,
    VCONF_TYPE_BOOL = 43,
    VCONF_TYPE_DIR
} vconf_t;

typedef struct _keynode_t keynode_t;
typedef void (*vconf_callback_fn)(keynode_t* node, void* user_data);

int vconf_get_int(const char* in_key, int* intval);
int vconf_get_bool(const char* in_key, int* boolval);
int vconf_get_dbl(const char* in_key, double* dblval);
/* Newly allocated with malloc; the caller frees it. Null when the key cannot be read. */
char* vconf_get_str(const char* in_key);

int vconf_set_int(const char* in_key, const int intval);
int vconf_set_bool(const char* in_key, const int boolval);
int vconf_set_dbl(const char* in_key, const double dblval);
int vconf_set_str(const char* in_key, const char* strval);

/* Callbacks arrive on the thread-default GLib main context of the registering thread. */
int vconf_notify_key_changed(const char* in_key, vconf_callback_fn cb, void* user_data);
int vconf_ignore_key_changed(const char* in_key, vconf_callback_fn cb);

char* vconf_keynode_get_name(keynode_t* keynode);
int vconf_keynode_get_type(keynode_t* keynode);
int vconf_keynode_get_int(keynode_t* keynode);
int vconf_keynode_get_bool(keynode_t* keynode);
double vconf_keynode_get_dbl(keynode_t* keynode);
char* vconf_keynode_get_str(keynode_t* keynode);

#ifdef __cplusplus
}
#endif

#endif
