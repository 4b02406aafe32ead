#ifndef BRELTA_CLI_JOURNALRECORDS_H
#define BRELTA_CLI_JOURNALRECORDS_H

#include <string>
#include <vector>

#include "LogSource.h"

struct sd_journal;

namespace brelta::cli {

// The records that the live log service wrote to the systemd journal for this device root,
// of the named buffers, read back as the records of the file log: the same line for the same
// record (the time is the journal's, to the millisecond).
class JournalRecords : public LogSource {
public:
    explicit JournalRecords(const std::vector<std::string>& buffers);
    ~JournalRecords() override;
    void Drain(const Each& each) override;
    void Follow(std::function<void()> changed) override;

private:
    // The value of a field of the current entry ("" when it has none).
    std::string Field(const char* name);

    sd_journal* m_Journal = nullptr;
    std::function<void()> m_Changed;
};

}  // namespace brelta::cli

#endif
