#ifndef BRELTA_HOST_JSONJOURNAL_H
#define BRELTA_HOST_JSONJOURNAL_H

#include <string>

#include "base/JsonLine.h"

namespace brelta::host {

// Journals of the emulated TV ($ROOT/notifications/journal, $ROOT/apps/launches): one JSON
// object per line, each appended with one write so that concurrent processes never mix.
// JsonJournalReader reads them back.
class JsonJournal {
public:
    // The journals, relative to the device root.
    static constexpr const char* kNotifications = "notifications/journal";
    static constexpr const char* kLaunches = "apps/launches";

    // Appends the line to $ROOT/<relative>.
    static bool Append(const std::string& relative, const JsonLine& line);
};

}  // namespace brelta::host

#endif
