#include "TempDeviceRoot.h"

#include <ftw.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace brelta::test {

TempDeviceRoot::TempDeviceRoot() {
    std::string name = (fs::temp_directory_path() / "brelta-root-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_Path = name;
}

TempDeviceRoot::~TempDeviceRoot() {
    if (std::getenv("BRELTA_KEEP_TEST_ROOTS") != nullptr) {
        fprintf(stderr, "kept device root %s\n", m_Path.c_str());
        return;
    }
    // Tests make read-only directories, whose entries a user other than root cannot remove.
    // Links are passed by: chmod would reach what they point to.
    nftw(
        m_Path.c_str(),
        [](const char* path, const struct stat*, int type, struct FTW*) {
            if (type != FTW_SL) chmod(path, 0700);
            return 0;
        },
        16, FTW_PHYS);
    std::error_code error;
    fs::remove_all(m_Path, error);
}

void TempDeviceRoot::Write(const std::string& relative, const std::string& content) const {
    std::error_code error;
    fs::create_directories(fs::path(*this / relative).parent_path(), error);
    std::ofstream(*this / relative, std::ios::binary | std::ios::trunc) << content;
}

std::string TempDeviceRoot::Read(const std::string& relative) const {
    std::ostringstream text;
    text << std::ifstream(*this / relative, std::ios::binary).rdbuf();
    return text.str();
}

bool TempDeviceRoot::Exists(const std::string& relative) const {
    std::error_code error;
    return fs::exists(fs::symlink_status(*this / relative, error));
}

void TempDeviceRoot::SetSetting(const std::string& key, const std::string& type,
                                const std::string& value) const {
    Write("settings/" + key, type + " " + value + "\n");
}

std::string TempDeviceRoot::Setting(const std::string& key) const {
    return Read("settings/" + key);
}

void TempDeviceRoot::Fault(const std::string& function, const std::string& values) const {
    Write("faults/" + function, values + "\n");
}

}  // namespace brelta::test
