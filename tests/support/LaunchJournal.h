#ifndef BRELTA_TESTS_LAUNCHJOURNAL_H
#define BRELTA_TESTS_LAUNCHJOURNAL_H

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brelta::test {

// One line of $ROOT/apps/launches.
struct Launch {
    long pid = 0;
    std::optional<std::string> appId;      // null in the journal: none
    std::optional<std::string> operation;  // null in the journal: none
    std::vector<std::pair<std::string, std::string>> extra;
    long result = 0;
};

// The launch requests journalled under a device root, read with a JSON parser. A line that is
// not an object with integer pid and result, app_id and operation (string or null) and extra
// (array of [key, value] string pairs) is kept as broken.
class LaunchJournal {
public:
    static LaunchJournal Load(const std::string& path);

    const std::vector<Launch>& All() const { return m_Launches; }
    const std::vector<std::string>& Broken() const { return m_Broken; }

private:
    std::vector<Launch> m_Launches;
    std::vector<std::string> m_Broken;
};

}  // namespace brelta::test

#endif
