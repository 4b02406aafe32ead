#ifndef BRELTA_HOST_PROCSTAT_H
#define BRELTA_HOST_PROCSTAT_H

#include <string>

namespace brelta::host {

// What /proc/PID/stat says of a process, read the one way: "pid (comm) state ppid ...", where
// comm may hold anything, blanks and parentheses included, but ends at the last ')'.
struct ProcStat {
    char state = 0;       // field 3: R, S, D, Z, X, ...
    long parent = 0;      // field 4
    std::string started;  // field 22: the start time, in clock ticks since boot, as printed

    // Parses the text of a stat file; false when it is not one.
    static bool Parse(const std::string& text, ProcStat* stat);
    // Reads /proc/<pid>/stat; false when there is no such process.
    static bool Read(long pid, ProcStat* stat);
    // Reads /proc/self/stat.
    static bool ReadSelf(ProcStat* stat);
    // Whether the process is alive and still the one that started at `started` (a pid that
    // was reused by another process is not); a zombie is not alive.
    static bool Alive(long pid, const std::string& started);
};

}  // namespace brelta::host

#endif
