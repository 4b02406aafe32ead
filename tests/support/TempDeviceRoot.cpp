#include "TempDeviceRoot.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace brelta::test {

namespace {
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    // Tests make read-only directories and files; make them writable before removing.
    chmod(path, 0700);
    remove(path);
    return 0;
}

void MakeParents(const std::string& path) {
    for (std::string::size_type pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        mkdir(path.substr(0, pos).c_str(), 0755);
    }
}
}  // namespace

TempDeviceRoot::TempDeviceRoot() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brelta-root-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_Path = name.data();
}

TempDeviceRoot::~TempDeviceRoot() {
    if (std::getenv("BRELTA_KEEP_TEST_ROOTS") != nullptr) {
        fprintf(stderr, "kept device root %s\n", m_Path.c_str());
        return;
    }
    nftw(m_Path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void TempDeviceRoot::Write(const std::string& relative, const std::string& content) const {
    std::string path = *this / relative;
    MakeParents(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string TempDeviceRoot::Read(const std::string& relative) const {
    std::ifstream in(*this / relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempDeviceRoot::Exists(const std::string& relative) const {
    struct stat st;
    return lstat((*this / relative).c_str(), &st) == 0;
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
