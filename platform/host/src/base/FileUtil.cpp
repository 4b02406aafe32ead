#include "base/FileUtil.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace brelta::host {

namespace {
bool IsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

ssize_t WriteOnce(int fd, const std::string& data) {
    ssize_t n;
    do {
        n = write(fd, data.data(), data.size());
    } while (n < 0 && errno == EINTR);
    return n;
}

// Whether `size` more bytes at the end of the open file would stay within the process's
// file-size limit. Past it, the kernel cuts the write short or fails it (the start-up of the
// host platform keeps SIGXFSZ from killing the process).
bool WithinSizeLimit(const struct stat& st, size_t size) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
    return static_cast<unsigned long long>(st.st_size) + size <= limit.rlim_cur;
}

// The temporary name of a file named `base`, without its six random characters: cut so that
// the whole name still fits the file-name limit.
std::string TemporaryStem(const std::string& base) {
    constexpr size_t kAdded = 8;  // "." before, ".XXXXXX" after
    return "." + base.substr(0, NAME_MAX - kAdded) + ".";
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

std::string FileUtil::ProgramDir() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    return Parent(std::string(path, static_cast<size_t>(n)));
}

int FileUtil::OpenRegular(const std::string& path, int flags, struct stat* st) {
    // Non-blocking: opening a FIFO would otherwise wait for its other end, for ever.
    int fd = open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    struct stat own;
    if (st == nullptr) st = &own;
    if (fstat(fd, st) != 0 || !S_ISREG(st->st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

bool FileUtil::AppendLine(const std::string& path, const std::string& line) {
    struct stat st;
    int fd = OpenRegular(path, O_WRONLY | O_APPEND | O_CREAT, &st);
    // The directories are made only when missing: a log record is written at every step of
    // the tool, and checking them each time would cost a stat per record.
    if (fd < 0 && errno == ENOENT && MakeDirs(Parent(path)))
        fd = OpenRegular(path, O_WRONLY | O_APPEND | O_CREAT, &st);
    if (fd < 0) return false;
    std::string record = line + "\n";
    const auto size = static_cast<ssize_t>(record.size());
    // Whole or absent: not written past the size limit, and its disk space reserved first, so
    // that a full disk fails the reservation rather than cuts the line.
    bool room = WithinSizeLimit(st, record.size());
    if (room && fallocate(fd, FALLOC_FL_KEEP_SIZE, st.st_size, size) != 0)
        room = errno != ENOSPC && errno != EDQUOT && errno != EFBIG;
    // One write: with O_APPEND the kernel places the whole buffer at the end at once.
    ssize_t n = room ? WriteOnce(fd, record) : -1;
    if (n > 0 && n < size) {
        // Cut short all the same (a file system that reserves nothing): the fragment is taken
        // back, or else ended, so that the next line starts on its own. Only while it is
        // still the file's end: another append there would have failed on the same full disk.
        off_t end = lseek(fd, 0, SEEK_CUR);
        struct stat now;
        if (fstat(fd, &now) == 0 && now.st_size == end && ftruncate(fd, end - n) != 0)
            WriteOnce(fd, "\n");
    }
    close(fd);
    return n == size;
}

namespace {
// Whether `name` is the name WriteAtomically gives a temporary file of a file named `base`.
bool IsTemporaryOf(const std::string& name, const std::string& base) {
    std::string stem = TemporaryStem(base);
    if (name.size() != stem.size() + 6 || name.compare(0, stem.size(), stem) != 0) return false;
    for (size_t i = stem.size(); i < name.size(); ++i) {
        char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Removes the stale files of `dir` whose names `match`; how many were removed.
template <typename Match>
int SweepDir(const std::string& dir, Match match) {
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return 0;
    int removed = 0;
    time_t now = time(nullptr);
    while (struct dirent* entry = readdir(d)) {
        if (!match(std::string(entry->d_name))) continue;
        std::string temp = (dir.empty() ? "" : dir + "/") + entry->d_name;
        struct stat st;
        if (lstat(temp.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
            now - st.st_mtime > FileUtil::kStaleSeconds && unlink(temp.c_str()) == 0)
            ++removed;
    }
    closedir(d);
    return removed;
}
}  // namespace

int FileUtil::SweepTemporaries(const std::string& path) {
    std::string dir = Parent(path);
    std::string base = path.substr(dir.empty() ? 0 : dir.size() + 1);
    return SweepDir(dir, [&base](const std::string& name) { return IsTemporaryOf(name, base); });
}

int FileUtil::SweepTemporariesIn(const std::string& dir) {
    constexpr size_t kAdded = 8;  // as in TemporaryStem
    return SweepDir(dir, [](const std::string& name) {
        return name.size() > kAdded && IsTemporaryOf(name, name.substr(1, name.size() - kAdded));
    });
}

bool FileUtil::WriteAtomically(const std::string& path, const std::string& content,
                               Temporaries temporaries) {
    std::string dir = Parent(path);
    if (!dir.empty() && !MakeDirs(dir)) return false;
    std::string base = path.substr(dir.empty() ? 0 : dir.size() + 1);
    if (temporaries == Temporaries::kSweep) SweepTemporaries(path);
    std::string temp = (dir.empty() ? "" : dir + "/") + TemporaryStem(base) + "XXXXXX";
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

namespace {
// Reads up to `max_bytes` of a regular file; with `whole`, a larger file is a failure.
bool ReadUpTo(const std::string& path, std::string* content, size_t max_bytes, bool whole) {
    struct stat st;
    int fd = FileUtil::OpenRegular(path, O_RDONLY, &st);
    if (fd < 0) return false;
    if (whole && static_cast<unsigned long long>(st.st_size) > max_bytes) {
        close(fd);
        return false;
    }
    std::string out;
    char buffer[4096];
    bool ok = true;
    while (out.size() < max_bytes + (whole ? 1 : 0)) {
        size_t want = std::min(sizeof buffer, max_bytes + (whole ? 1 : 0) - out.size());
        ssize_t n = read(fd, buffer, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    // A file that grew past the limit while it was read (the size did not tell: /proc).
    if (whole && out.size() > max_bytes) ok = false;
    if (ok) *content = std::move(out);
    return ok;
}
}  // namespace

bool FileUtil::Read(const std::string& path, std::string* content, size_t max_bytes) {
    return ReadUpTo(path, content, max_bytes, true);
}

bool FileUtil::ReadHead(const std::string& path, std::string* content, size_t bytes) {
    return ReadUpTo(path, content, bytes, false);
}

bool FileUtil::LockWithin(int fd, int milliseconds) {
    const auto now = [] {
        timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
    };
    long long deadline = now() + static_cast<long long>(milliseconds) * 1000;
    long long pause = 1000;  // microseconds, doubled up to 50 ms
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        long long left = deadline - now();
        if (left <= 0) return false;
        usleep(static_cast<useconds_t>(std::min(pause, left)));
        pause = std::min(pause * 2, 50000LL);
    }
}

bool FileUtil::Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

namespace {
// A folder being emptied: its name in its parent, the entries still to remove, and the
// identity of its parent, checked when the walk climbs back by "..".
struct Level {
    std::string name;
    std::vector<std::string> pending;
    dev_t parentDevice;
    ino_t parentInode;
};

std::vector<std::string> Entries(int fd) {
    std::vector<std::string> names;
    int copy = dup(fd);
    DIR* dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (dir == nullptr) {
        if (copy >= 0) close(copy);
        return names;
    }
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

int OpenFolder(int at, const std::string& name) {
    return openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
}
}  // namespace

bool FileUtil::RemoveTree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) return unlink(path.c_str()) == 0 || errno == ENOENT;
    // One descriptor at a time, whatever the depth: a deep tree must not take every
    // descriptor the process may have, and no path is ever longer than one name.
    int fd = OpenFolder(AT_FDCWD, path);
    if (fd < 0) return rmdir(path.c_str()) == 0;
    std::vector<Level> stack{{"", Entries(fd), 0, 0}};
    while (!stack.empty()) {
        Level& level = stack.back();
        if (!level.pending.empty()) {
            std::string name = std::move(level.pending.back());
            level.pending.pop_back();
            if (unlinkat(fd, name.c_str(), 0) == 0 || (errno != EISDIR && errno != EPERM)) continue;
            int child = OpenFolder(fd, name);
            // A folder that cannot be read is removed when it is empty, as rm -rf does.
            if (child < 0) {
                unlinkat(fd, name.c_str(), AT_REMOVEDIR);
                continue;
            }
            struct stat here;
            if (fstat(fd, &here) != 0) {
                close(child);
                break;
            }
            close(fd);
            fd = child;
            stack.push_back(Level{name, Entries(fd), here.st_dev, here.st_ino});
            continue;
        }
        if (stack.size() == 1) break;
        // Back up to the parent, which must still be the folder the walk came from.
        int parent = OpenFolder(fd, "..");
        struct stat there;
        if (parent < 0 || fstat(parent, &there) != 0 || there.st_dev != level.parentDevice ||
            there.st_ino != level.parentInode) {
            if (parent >= 0) close(parent);
            break;
        }
        close(fd);
        fd = parent;
        unlinkat(fd, level.name.c_str(), AT_REMOVEDIR);
        stack.pop_back();
    }
    close(fd);
    rmdir(path.c_str());
    return !Exists(path);
}

}  // namespace brelta::host
