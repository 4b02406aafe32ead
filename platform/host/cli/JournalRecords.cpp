#include "JournalRecords.h"

#include <dlog.h>
#include <glib-unix.h>
#include <limits.h>
#include <sys/stat.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CliError.h"
#include "Output.h"
#include "base/DeviceRoot.h"
#include "base/FileUtil.h"
#include "base/VisibleText.h"
#include "log/LogWriter.h"

namespace brelta::cli {

namespace {
// The program whose entries are the tool's records: the only one of the platform that writes
// any (MDT's child is the tool's own fork).
constexpr const char kToolProgram[] = "brelta_test_tool";
// The kernel keeps a program's name (_COMM) to 15 bytes.
constexpr size_t kCommandBytes = 15;

void Check(int result, const char* what) {
    if (result < 0) throw CliError::SystemFailure(std::string("systemd journal: ") + what, -result);
}

void Match(sd_journal* journal, const std::string& field, const std::string& value) {
    std::string match = field + "=" + value;
    Check(sd_journal_add_match(journal, match.data(), match.size()), "cannot select the records");
}

// A decimal number of at most `digits` digits, as the journal writes _UID and _PID.
bool Decimal(const std::string& text, size_t digits, unsigned long long* value) {
    if (text.empty() || text.size() > digits ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *value = std::stoull(text);
    return true;
}

// A failure to read ends the command as it would outside the main loop; the exception must
// not cross GLib's frames.
gboolean OnJournal(gint, GIOCondition, gpointer data) {
    try {
        (*static_cast<std::function<void()>*>(data))();
    } catch (const CliError& error) {
        std::fprintf(stderr, "brelta-device: %s\n", error.what());
        std::exit(error.Status());
    }
    return G_SOURCE_CONTINUE;
}
}  // namespace

JournalRecords::JournalRecords(const std::vector<std::string>& buffers) {
    m_Uids = {getuid(), 0};
    struct stat root;
    if (stat(host::DeviceRoot::Path().c_str(), &root) == 0) m_Uids.push_back(root.st_uid);
    std::vector<std::string> programs = {host::FileUtil::ProgramDir() + "/" + kToolProgram};
#ifdef BRELTA_EMULATOR
    programs.push_back(BRELTA_EMULATOR);
#endif
    for (const std::string& program : programs) {
        char resolved[PATH_MAX];
        m_Programs.push_back(realpath(program.c_str(), resolved) != nullptr ? resolved : program);
        m_Commands.push_back(host::FileUtil::BaseName(program).substr(0, kCommandBytes));
    }

    Check(sd_journal_open(&m_Journal, SD_JOURNAL_LOCAL_ONLY), "cannot open it");
    // Whole fields: a message is as long as the tool made it.
    Check(sd_journal_set_data_threshold(m_Journal, 0), "cannot read whole fields");
    // Entries naming this root, of any of the buffers (whoever sent them: Trusted says).
    Match(m_Journal, "BRELTA_DEVICE_ROOT", host::DeviceRoot::Path());
    for (const std::string& buffer : buffers) Match(m_Journal, "BRELTA_LOG_BUFFER", buffer);
}

JournalRecords::~JournalRecords() {
    sd_journal_close(m_Journal);
}

std::string JournalRecords::Field(const char* name, bool* found) {
    const void* data = nullptr;
    size_t length = 0;
    size_t prefix = std::strlen(name) + 1;  // NAME=
    bool there = sd_journal_get_data(m_Journal, name, &data, &length) >= 0 && length >= prefix;
    if (found != nullptr) *found = there;
    return there ? std::string(static_cast<const char*>(data) + prefix, length - prefix) : "";
}

bool JournalRecords::Trusted() {
    bool found = false;
    unsigned long long uid = 0;
    if (!Decimal(Field("_UID", &found), 10, &uid) ||
        std::find(m_Uids.begin(), m_Uids.end(), static_cast<uid_t>(uid)) == m_Uids.end())
        return false;
    // The journal reads these from /proc when it stores the entry: a sender that has ended by
    // then leaves them out, and its uid is all there is to go by.
    auto listed = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    std::string program = Field("_EXE", &found);
    if (found && !listed(m_Programs, program)) return false;
    std::string command = Field("_COMM", &found);
    return !found || listed(m_Commands, command);
}

bool JournalRecords::Take(BufferRecord* record) {
    bool tagged = false, said = false;
    std::string letter = Field("BRELTA_LOG_PRIORITY");
    std::string tag = Field("SYSLOG_IDENTIFIER", &tagged);
    std::string message = Field("MESSAGE", &said);
    uint64_t usec = 0;
    unsigned long long pid = 0;
    int level = -1;
    for (int candidate = DLOG_VERBOSE; candidate <= DLOG_FATAL; ++candidate)
        if (letter.size() == 1 && host::LogWriter::PriorityLetter(candidate) == letter[0])
            level = candidate;
    if (!Trusted() || !tagged || !said || level < 0 || !Decimal(Field("_PID"), 10, &pid) ||
        sd_journal_get_realtime_usec(m_Journal, &usec) < 0) {
        ++m_Skipped;
        return false;
    }
    *record = BufferRecord();
    record->buffer = Field("BRELTA_LOG_BUFFER");
    record->time = host::LogWriter::Stamp(static_cast<long long>(usec));
    record->pid = static_cast<long long>(pid);
    record->priority = letter[0];
    // Escaped as the file log holds them; the message's parts as LogRecord finds them.
    record->tag = host::VisibleText::Escape(tag);
    record->SetMessage(host::VisibleText::Escape(message));
    record->line =
        host::LogWriter::Record(record->time, static_cast<long>(pid), level, tag, message);
    return true;
}

void JournalRecords::Drain(const Each& each) {
    for (;;) {
        int next = sd_journal_next(m_Journal);
        Check(next, "cannot read it");
        if (next == 0) return;
        BufferRecord record;
        if (Take(&record)) each(record);
    }
}

void JournalRecords::WarnSkipped() const {
    if (m_Skipped != 0)
        Output::Warn("skipped " + std::to_string(m_Skipped) +
                     (m_Skipped == 1 ? " journal entry" : " journal entries") +
                     " naming this root (not the tool's records: another user or program sent "
                     "them)");
}

bool JournalRecords::HoldsRecords(const std::vector<std::string>& buffers) {
    try {
        JournalRecords journal(buffers);
        BufferRecord record;
        while (sd_journal_next(journal.m_Journal) > 0)
            if (journal.Take(&record)) return true;
    } catch (const CliError&) {
    }
    return false;
}

void JournalRecords::Follow(std::function<void()> changed) {
    m_Changed = [this, changed]() {
        if (sd_journal_process(m_Journal) != SD_JOURNAL_NOP) changed();
    };
    int fd = sd_journal_get_fd(m_Journal);
    Check(fd, "cannot follow it");
    g_unix_fd_add(fd, static_cast<GIOCondition>(sd_journal_get_events(m_Journal)), OnJournal,
                  &m_Changed);
}

}  // namespace brelta::cli
