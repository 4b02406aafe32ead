#ifndef BRELTA_HOST_DEVICEROOT_H
#define BRELTA_HOST_DEVICEROOT_H

#include <string>

namespace brelta::host {

// Where the emulated TV keeps its state. The root is chosen once per process, from the
// environment at the first use; Reset() chooses again (tests that switch roots use it).
class DeviceRoot {
public:
    static const std::string& Path();
    // Makes the directory $ROOT/<relative> (and its parents) and returns its path, whether
    // or not it could be made: the caller's own call on the path then fails.
    static std::string MakeDir(const std::string& relative);
    // A device path such as "/dev/ocm" under the root; the parent directory is created.
    static std::string DevicePath(const std::string& device_path);
    static void Reset();
    // True for the names that the emulated TV itself makes directly below the root (its
    // services' directories and the first components of the device paths).
    static bool IsOwnEntry(const std::string& name);

private:
    static std::string Choose();
};

}  // namespace brelta::host

#endif
