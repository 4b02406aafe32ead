/* The maker's extension of the network connection service: packet capture, the
 * default-gateway check and Wi-Fi module power. */
#ifndef BRELTA_HOST_OSTRA_NETWORK_H
#define BRELTA_HOST_OSTRA_NETWORK_H

#include <stdbool.h>

#include "net_connection.h"

#ifdef __cplusplus
extern "C" {
#endif

int connection_profile_start_tcpdump(connection_h connection);
int connection_profile_stop_tcpdump(connection_h connection);
/* Writes 1 while a capture runs, 0 otherwise. */
int connection_profile_get_tcpdump_state(connection_h connection, int* tcpdump_state);
/* Answers CONNECTION_ERROR_NOW_IN_PROGRESS (-115) while the check has no answer yet. */
int connection_profile_check_default_gateway(bool* is_default_gateway);
int wifi_set_module_low(void);

#ifdef __cplusplus
}
#endif

#endif
