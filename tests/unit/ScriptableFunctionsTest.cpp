// The functions brelta-device takes fault scripts for are the ones whose stand-ins read them:
// every platform function name quoted in a source that asks Faults is a fault hook's.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "ScriptableFunctions.h"

TEST(ScriptableFunctions, AreTheFaultHooksOfTheStandIns) {
    const std::string dir = std::string(BRELTA_SOURCE_DIR) + "/platform/host/src";
    const std::regex quoted("\"((vconf|notification|app_control|connection|usb|wifi)_[a-z_]+)\"");
    std::set<std::string> hooked;
    DIR* sources = opendir(dir.c_str());
    ASSERT_NE(sources, nullptr) << dir;
    while (struct dirent* entry = readdir(sources)) {
        std::string name = entry->d_name;
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".cpp") != 0) continue;
        std::ifstream in(dir + "/" + name);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (text.find("Faults::") == std::string::npos) continue;
        for (std::sregex_iterator it(text.begin(), text.end(), quoted), end; it != end; ++it)
            hooked.insert((*it)[1]);
    }
    closedir(sources);
    std::set<std::string> known(std::begin(brelta::host::kScriptableFunctions),
                                std::end(brelta::host::kScriptableFunctions));
    EXPECT_EQ(hooked, known);
}
