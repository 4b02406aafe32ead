/* Host-only services of the emulated TV that have no counterpart on the device. The tool
 * reaches them only through DevicePath.h. */
#ifndef BRELTA_HOST_H
#define BRELTA_HOST_H

#ifdef __cplusplus
extern "C" {
#endif

/* The device root of this process: $BRELTA_DEVICE_ROOT, else $XDG_STATE_HOME/brelta-device,
 * else $HOME/.local/state/brelta-device, else (no home that can hold it) the checked
 * /tmp/brelta-device-<uid>. */
const char* brelta_host_root(void);

/* Maps an absolute device path ("/dev/ocm") to its place under the device root. The text
 * lives as long as the process. */
const char* brelta_host_device_path(const char* device_path);

/* The same path as a word of a shell command (single-quoted), for system(): the root may hold
 * blanks, quotes or semicolons. The text lives as long as the process. */
const char* brelta_host_device_command(const char* device_path);

#ifdef __cplusplus
}
#endif

#endif
