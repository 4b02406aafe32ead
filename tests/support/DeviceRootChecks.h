#ifndef BRELTA_TESTS_DEVICEROOTCHECKS_H
#define BRELTA_TESTS_DEVICEROOTCHECKS_H

#include <string>
#include <vector>

#include "TempDeviceRoot.h"

namespace brelta::test {

// What must hold of a device root however many runs shared it and whatever they met: each
// function returns the offending entries (empty when all is well), so that a failure names
// them.

// Files under settings/ that are not one typed value, and temporary files of a write that
// were left behind. While runs are still writing (`writersActive`), their temporary files
// are passed over: only what a reader of a key can see counts.
std::vector<std::string> BrokenSettings(const TempDeviceRoot& root, bool writersActive = false);
// Lines of the journal $ROOT/<relative> that are not one JSON object (none when the journal
// does not exist).
std::vector<std::string> BrokenJournalLines(const TempDeviceRoot& root,
                                            const std::string& relative);
// Lines of the log buffers main and system that are not whole records.
std::vector<std::string> BrokenLogLines(const TempDeviceRoot& root);

}  // namespace brelta::test

#endif
