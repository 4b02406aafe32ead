/* Network connection service of the emulated TV: state under $ROOT/network/. */
#ifndef BRELTA_HOST_NET_CONNECTION_H
#define BRELTA_HOST_NET_CONNECTION_H

#ifdef __cplusplus
extern "C" {
#endif

typedef void* connection_h;

typedef enum {
    CONNECTION_ERROR_NONE = 0,
    CONNECTION_ERROR_INVALID_PARAMETER = -22,
    CONNECTION_ERROR_OUT_OF_MEMORY = -12,
    CONNECTION_ERROR_INVALID_OPERATION = -38,
    CONNECTION_ERROR_NOW_IN_PROGRESS = -115,
    CONNECTION_ERROR_OPERATION_FAILED = -0x01C10000 | 0x0401
} connection_error_e;

int connection_create(connection_h* connection);
int connection_destroy(connection_h connection);

#ifdef __cplusplus
}
#endif

#endif
