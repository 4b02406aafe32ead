#include "base/Privileges.h"

#include <grp.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brelta::host {

bool Privileges::MayBecome(uid_t uid, std::string* reason) {
    if (geteuid() == 0 || (getuid() == uid && geteuid() == uid)) return true;
    *reason = "only root may act as another user (" + std::to_string(uid) + ")";
    return false;
}

bool Privileges::Drop(bool become, uid_t uid, gid_t gid, std::string* reason) {
    const auto failed = [reason](const char* step) {
        *reason =
            std::string("cannot give up its privileges (") + step + "): " + std::strerror(errno);
        return false;
    };
    if (prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0) return failed("ambient");
    // The bounding set goes while CAP_SETPCAP is still there, before the user changes.
    for (int cap = 0; prctl(PR_CAPBSET_READ, cap, 0, 0, 0) >= 0; ++cap)
        if (prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0 && errno != EPERM) return failed("bounding");
    if (become && geteuid() == 0) {
        if (setgroups(0, nullptr) != 0) return failed("groups");
        if (setresgid(gid, gid, gid) != 0) return failed("gid");
        if (setresuid(uid, uid, uid) != 0) return failed("uid");
    }
    // A process that stays uid 0 keeps every capability otherwise.
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capset, &header, none) != 0) return failed("capabilities");
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return failed("no_new_privs");
    return true;
}

}  // namespace brelta::host
