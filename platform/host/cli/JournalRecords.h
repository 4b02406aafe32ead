#ifndef BRELTA_CLI_JOURNALRECORDS_H
#define BRELTA_CLI_JOURNALRECORDS_H

#include <sys/types.h>

#include <string>
#include <vector>

#include "LogSource.h"

struct sd_journal;

namespace brelta::cli {

// The records that the live log service wrote to the systemd journal for this device root,
// of the named buffers, read back as the records of the file log: the same line for the same
// record (the time is the journal's, to the millisecond). Each record is built from the
// entry's fields (tag, message, priority letter, the journal's pid and time), never from a
// line printed and parsed again: a tag may hold ": " or a line break.
//
// Any local user may send the journal an entry that names this root and the tool's tag; only
// the fields the journal adds itself tell who sent it. An entry counts as the tool's when its
// _UID is the reader's own, root's or the device root owner's, and its _EXE (when the
// journal could read it) is the tool beside this program, its _COMM (likewise) that
// program's name as the kernel cuts it. Other entries of the root are left out and counted.
// A cross build's programs run on the build machine under the emulator that the build names,
// which the journal sees as their program: such a build trusts that emulator too.
class JournalRecords : public LogSource {
public:
    explicit JournalRecords(const std::vector<std::string>& buffers);
    ~JournalRecords() override;
    void Drain(const Each& each) override;
    void Follow(std::function<void()> changed) override;
    void WarnSkipped() const override;
    // Whether the journal holds a record of the tool's for this root in those buffers; false
    // too when it cannot be read (a probe, not a read).
    static bool HoldsRecords(const std::vector<std::string>& buffers);

private:
    // The current entry as the tool's record; false for one it did not write, or no record.
    bool Take(BufferRecord* record);
    bool Trusted();
    // The value of a field of the current entry; "", and *found false, when it has none.
    std::string Field(const char* name, bool* found = nullptr);

    sd_journal* m_Journal = nullptr;
    std::function<void()> m_Changed;
    std::vector<uid_t> m_Uids;            // whose entries count: the reader, root, the root's owner
    std::vector<std::string> m_Programs;  // the tool's program, as _EXE names it
    std::vector<std::string> m_Commands;  // and as _COMM does
    size_t m_Skipped = 0;
};

}  // namespace brelta::cli

#endif
