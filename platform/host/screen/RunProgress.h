#ifndef BRELTA_SCREEN_RUNPROGRESS_H
#define BRELTA_SCREEN_RUNPROGRESS_H

#include <nlohmann/json.hpp>

#include "log/LogRecord.h"

namespace brelta::screen {

// How far one run of the tool has got, from its log records as they arrive: the task
// manager logs its exit lock ("lOCK ++ N", "UNLOCK -- N") and the exit delay it then waits
// out ("EXITING in N seconds ..."), and the MDT task's child logs the wait status of the MDT
// program ("Result:[N]"). Kept with the run, so that a log emptied under it (a reset) does
// not take its state back to the start.
class RunProgress {
public:
    // A record of the run itself (`own`) or of a process it forked; true when it told
    // something new.
    bool Take(const host::LogRecord& record, bool own);
    // {"lock": N or null, "exit_in_ms": N or null (from `now_ms`, milliseconds since the
    // epoch, as the records' times), "program": null or {"status": wait status, "exit": its
    // exit status or null when it was killed}}.
    nlohmann::ordered_json ToJson(long long now_ms) const;

private:
    int m_Lock = -1;
    long long m_ExitAt = 0;
    bool m_HasProgram = false;
    int m_Program = 0;
};

}  // namespace brelta::screen

#endif
