/* Fixed paths of the TV ("/dev/ocm", "/usr/bin/MDT", ...). On the device they are used as
 * they stand; the host build places them under the emulated TV's device root.
 * DEVICE_COMMAND is such a path as a shell command word, for system(): on the host the root
 * in front of it is quoted, whatever it holds. */
#ifndef BRELTA_DEVICE_PATH_H
#define BRELTA_DEVICE_PATH_H

#ifdef BRELTA_HOST_PLATFORM
#include <brelta_host.h>
#define DEVICE_PATH(path) brelta_host_device_path(path)
#define DEVICE_COMMAND(path) brelta_host_device_command(path)
#else
#define DEVICE_PATH(path) (path)
#define DEVICE_COMMAND(path) (path)
#endif

#endif
