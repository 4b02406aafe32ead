#include "JournalRecords.h"

#include <dlog.h>
#include <glib-unix.h>
#include <systemd/sd-journal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CliError.h"
#include "base/DeviceRoot.h"
#include "log/LogWriter.h"

namespace brelta::cli {

namespace {
void Check(int result, const char* what) {
    if (result < 0) throw CliError::SystemFailure(std::string("systemd journal: ") + what, -result);
}

void Match(sd_journal* journal, const std::string& field, const std::string& value) {
    std::string match = field + "=" + value;
    Check(sd_journal_add_match(journal, match.data(), match.size()), "cannot select the records");
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
    Check(sd_journal_open(&m_Journal, SD_JOURNAL_LOCAL_ONLY), "cannot open it");
    // Whole fields: a message is as long as the tool made it.
    Check(sd_journal_set_data_threshold(m_Journal, 0), "cannot read whole fields");
    // Records of this root, of any of the buffers.
    Match(m_Journal, "BRELTA_DEVICE_ROOT", host::DeviceRoot::Path());
    for (const std::string& buffer : buffers) Match(m_Journal, "BRELTA_LOG_BUFFER", buffer);
}

JournalRecords::~JournalRecords() {
    sd_journal_close(m_Journal);
}

std::string JournalRecords::Field(const char* name) {
    const void* data = nullptr;
    size_t length = 0;
    if (sd_journal_get_data(m_Journal, name, &data, &length) < 0) return "";
    size_t prefix = std::strlen(name) + 1;  // NAME=
    return length < prefix ? ""
                           : std::string(static_cast<const char*>(data) + prefix, length - prefix);
}

void JournalRecords::Drain(const Each& each) {
    for (;;) {
        int next = sd_journal_next(m_Journal);
        Check(next, "cannot read it");
        if (next == 0) return;
        uint64_t usec = 0;
        if (sd_journal_get_realtime_usec(m_Journal, &usec) < 0) continue;
        std::string priority = Field("BRELTA_LOG_PRIORITY");
        int level = DLOG_INFO;  // the priority of the letter
        for (int candidate = DLOG_VERBOSE; candidate <= DLOG_FATAL; ++candidate)
            if (priority.size() == 1 && host::LogWriter::PriorityLetter(candidate) == priority[0])
                level = candidate;
        // The line the file log would hold, parsed as the file's lines are.
        BufferRecord record;
        std::string line = host::LogWriter::Record(
            host::LogWriter::Stamp(static_cast<long long>(usec)), std::atol(Field("_PID").c_str()),
            level, Field("SYSLOG_IDENTIFIER"), Field("MESSAGE"));
        if (!host::LogRecord::Parse(line, &record)) continue;
        record.buffer = Field("BRELTA_LOG_BUFFER");
        each(record);
    }
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
