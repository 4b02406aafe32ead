#include "DeviceRootChecks.h"

#include <json-glib/json-glib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "LogRecords.h"
#include "SettingsStore.h"

namespace brelta::test {

namespace fs = std::filesystem;

std::vector<std::string> BrokenSettings(const TempDeviceRoot& root, bool writersActive) {
    std::vector<std::string> broken;
    std::error_code error;
    const fs::path settings = root / "settings";
    if (!fs::is_directory(settings, error)) return broken;
    for (fs::recursive_directory_iterator it(settings, error), end; !error && it != end;
         it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::string relative = fs::relative(it->path(), settings).string();
        if (it->path().filename().string().front() == '.') {
            if (!writersActive) broken.push_back(relative + ": temporary file left behind");
            continue;
        }
        std::ifstream in(it->path(), std::ios::binary);
        if (!in) continue;  // replaced between the listing and the read
        std::ostringstream text;
        text << in.rdbuf();
        const std::string content = text.str();
        brelta::host::SettingType type;
        std::string value;
        if (!brelta::host::SettingsStore::Parse(content, &type, &value))
            broken.push_back(relative + ": " + content.substr(0, 80));
    }
    if (error) broken.push_back("settings/ could not be walked: " + error.message());
    return broken;
}

std::vector<std::string> BrokenJournalLines(const TempDeviceRoot& root,
                                            const std::string& relative) {
    std::vector<std::string> broken;
    std::istringstream lines(root.Read(relative));
    JsonParser* parser = json_parser_new();
    std::string line;
    while (std::getline(lines, line)) {
        bool object = json_parser_load_from_data(parser, line.data(),
                                                 static_cast<gssize>(line.size()), nullptr) &&
                      json_parser_get_root(parser) != nullptr &&
                      JSON_NODE_HOLDS_OBJECT(json_parser_get_root(parser));
        if (!object) broken.push_back(relative + ": " + line);
    }
    g_object_unref(parser);
    return broken;
}

std::vector<std::string> BrokenLogLines(const TempDeviceRoot& root) {
    std::vector<std::string> broken;
    for (const char* buffer : {"log/main", "log/system"}) {
        LogRecords records = LogRecords::Load(root / buffer);
        for (const std::string& line : records.Broken())
            broken.push_back(std::string(buffer) + ": " + line);
    }
    return broken;
}

}  // namespace brelta::test
