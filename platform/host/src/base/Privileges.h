#ifndef BRELTA_HOST_PRIVILEGES_H
#define BRELTA_HOST_PRIVILEGES_H

#include <sys/types.h>

#include <string>

namespace brelta::host {

// Giving up a process's privileges for good, as tcpdump -Z and dumpcap do: what the capture
// helper does once its capture is open, and what the workbench's export does before it
// copies another user's capture as root. Raw prctl(2) and capset(2): no library needed.
class Privileges {
public:
    // Whether Drop may become `uid`: root may become anyone, anyone else only themselves.
    static bool MayBecome(uid_t uid, std::string* reason);
    // Becomes `uid`:`gid` with no supplementary group (when `become` and the process is
    // root; anyone else stays who they are, MayBecome says when that will do), and keeps no
    // capability in any set: effective, permitted, inheritable, ambient, and the bounding set
    // where CAP_SETPCAP allows emptying it (root); no_new_privs keeps a process that cannot
    // empty it from gaining anything by exec. False with *reason set when a step fails.
    static bool Drop(bool become, uid_t uid, gid_t gid, std::string* reason);
};

}  // namespace brelta::host

#endif
