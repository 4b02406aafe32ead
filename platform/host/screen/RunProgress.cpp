#include "RunProgress.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

namespace brelta::screen {

namespace {
// The number after `prefix` at the start of `text`, when there is one.
bool After(const std::string& text, const char* prefix, int* number) {
    size_t length = std::char_traits<char>::length(prefix);
    if (text.compare(0, length, prefix) != 0) return false;
    char rest = 0;
    return std::sscanf(text.c_str() + length, "%d%c", number, &rest) >= 1;
}
}  // namespace

bool RunProgress::Take(const host::LogRecord& record, bool own) {
    int number = 0;
    if (!own) {
        // Of the child's records, only the program's status is news: its lock and delay
        // repeat the run's.
        if (!After(record.text, "Result:[", &number)) return false;
        m_HasProgram = true;
        m_Program = number;
        return true;
    }
    if (After(record.text, "lOCK ++ ", &number) || After(record.text, "UNLOCK -- ", &number)) {
        m_Lock = number;
        return true;
    }
    if (After(record.text, "EXITING in ", &number)) {
        m_ExitAt = record.Milliseconds() + 1000LL * number;
        return true;
    }
    return false;
}

nlohmann::ordered_json RunProgress::ToJson(long long now_ms) const {
    using json = nlohmann::ordered_json;
    json program = nullptr;
    if (m_HasProgram)
        program = {{"status", m_Program},
                   {"exit", m_Program >= 0 && WIFEXITED(m_Program) ? json(WEXITSTATUS(m_Program))
                                                                   : json(nullptr)}};
    return {{"lock", m_Lock >= 0 ? json(m_Lock) : json(nullptr)},
            {"exit_in_ms", m_ExitAt != 0 ? json(std::max(0LL, m_ExitAt - now_ms)) : json(nullptr)},
            {"program", program}};
}

}  // namespace brelta::screen
