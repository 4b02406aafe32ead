#include "base/ProcStat.h"

#include <cstdlib>
#include <sstream>

#include "base/FileUtil.h"

namespace brelta::host {

namespace {
// A stat line is a few hundred bytes; comm is at most 64.
constexpr size_t kMaxBytes = 4096;
}  // namespace

bool ProcStat::Parse(const std::string& text, ProcStat* stat) {
    std::string::size_type end = text.rfind(')');
    if (end == std::string::npos || end + 2 >= text.size()) return false;
    std::istringstream fields(text.substr(end + 2));
    std::string field;
    ProcStat parsed;
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field)) return false;
        if (i == 3) parsed.state = field.size() == 1 ? field[0] : 0;
        if (i == 4) parsed.parent = std::atol(field.c_str());
    }
    if (parsed.state == 0 || field.find_first_not_of("0123456789") != std::string::npos)
        return false;
    parsed.started = field;
    *stat = parsed;
    return true;
}

namespace {
bool ReadFile(const std::string& path, ProcStat* stat) {
    std::string text;
    return FileUtil::Read(path, &text, kMaxBytes) && ProcStat::Parse(text, stat);
}
}  // namespace

bool ProcStat::Read(long pid, ProcStat* stat) {
    return pid > 0 && ReadFile("/proc/" + std::to_string(pid) + "/stat", stat);
}

bool ProcStat::ReadSelf(ProcStat* stat) {
    return ReadFile("/proc/self/stat", stat);
}

bool ProcStat::Alive(long pid, const std::string& started) {
    ProcStat stat;
    return pid > 0 && Read(pid, &stat) && stat.started == started && stat.state != 'Z' &&
           stat.state != 'X';
}

}  // namespace brelta::host
