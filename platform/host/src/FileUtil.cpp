#include "FileUtil.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace brelta::host {

namespace {
bool IsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int RemoveEntry(const char* path, const struct stat* st, int type, struct FTW*) {
    (void)st;
    // A failure is not fatal here: the final check tells whether anything is left.
    if (type == FTW_DP)
        rmdir(path);
    else
        unlink(path);
    return 0;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}
}  // namespace

bool FileUtil::MakeDirs(const std::string& dir) {
    if (dir.empty()) return false;
    if (IsDir(dir)) return true;
    std::string::size_type pos = 0;
    while ((pos = dir.find('/', pos + 1)) != std::string::npos) {
        std::string part = dir.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return IsDir(dir);
}

std::string FileUtil::Parent(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool FileUtil::AppendLine(const std::string& path, const std::string& line) {
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    // The directories are made only when missing: a log record is written at every step of
    // the tool, and checking them each time would cost a stat per record.
    if (fd < 0 && errno == ENOENT && MakeDirs(Parent(path)))
        fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::string record = line + "\n";
    // One write: with O_APPEND the kernel places the whole buffer at the end at once.
    ssize_t n;
    do {
        n = write(fd, record.data(), record.size());
    } while (n < 0 && errno == EINTR);
    close(fd);
    return n == static_cast<ssize_t>(record.size());
}

bool FileUtil::WriteAtomically(const std::string& path, const std::string& content) {
    std::string dir = Parent(path);
    if (!dir.empty() && !MakeDirs(dir)) return false;
    std::string base = path.substr(dir.empty() ? 0 : dir.size() + 1);
    std::string temp = (dir.empty() ? "" : dir + "/") + "." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
    fchmod(fd, 0644);
    bool ok = WriteAll(fd, content.data(), content.size());
    ok = (close(fd) == 0) && ok;
    if (ok) ok = rename(name.data(), path.c_str()) == 0;
    if (!ok) unlink(name.data());
    return ok;
}

bool FileUtil::Read(const std::string& path, std::string* content, size_t max_bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<unsigned long long>(st.st_size) > max_bytes) {
        close(fd);
        return false;
    }
    std::string out;
    char buffer[4096];
    bool ok = true;
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<size_t>(n));
        if (out.size() > max_bytes) {
            ok = false;
            break;
        }
    }
    close(fd);
    if (ok) *content = std::move(out);
    return ok;
}

bool FileUtil::Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool FileUtil::RemoveTree(const std::string& path) {
    if (!Exists(path)) return true;
    nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    return !Exists(path);
}

}  // namespace brelta::host
