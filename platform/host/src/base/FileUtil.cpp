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
#include <cstring>
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

std::string FileUtil::BaseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);  // npos + 1 == 0
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

namespace {
// The descriptor when it is a regular file's; else closed, and -1 with errno EINVAL.
int CheckRegular(int fd, struct stat* st) {
    struct stat own;
    if (st == nullptr) st = &own;
    if (fstat(fd, st) == 0 && S_ISREG(st->st_mode)) return fd;
    close(fd);
    errno = EINVAL;
    return -1;
}
}  // namespace

int FileUtil::OpenRegular(const std::string& path, int flags, struct stat* st) {
    // Non-blocking: opening a FIFO would otherwise wait for its other end, for ever.
    int fd = open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    return fd < 0 ? -1 : CheckRegular(fd, st);
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

// Removes the stale files of the directory being read whose names `match`, by the
// directory's own descriptor; how many were removed. Closes the stream.
template <typename Match>
int SweepDir(DIR* d, Match match) {
    if (d == nullptr) return 0;
    int dir = dirfd(d), removed = 0;
    time_t now = time(nullptr);
    while (struct dirent* entry = readdir(d)) {
        if (!match(std::string(entry->d_name))) continue;
        struct stat st;
        if (fstatat(dir, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode) &&
            now - st.st_mtime > FileUtil::kStaleSeconds && unlinkat(dir, entry->d_name, 0) == 0)
            ++removed;
    }
    closedir(d);
    return removed;
}

// The open directory `dir` (an O_PATH one too) for reading.
DIR* ReadDir(int dir) {
    int readable = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = readable >= 0 ? fdopendir(readable) : nullptr;
    if (d == nullptr && readable >= 0) close(readable);
    return d;
}

// The directory of a path opened as it stands (links followed), for the calls that take one.
int OpenDir(const std::string& dir) {
    return open(dir.empty() ? "." : dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Closes a descriptor when it goes, keeping errno as the last call left it.
struct Closing {
    int fd;
    ~Closing() {
        int error = errno;
        if (fd >= 0) close(fd);
        errno = error;
    }
};

// A new file of this process's in `dir`, named as WriteAtomically names its temporary files:
// made exclusively, so never an existing file and never through a link. -1 when none can be.
int NewTemporary(int dir, const std::string& base, std::string* name) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    static unsigned long long counter = 0;
    unsigned long long seed = static_cast<unsigned long long>(now.tv_nsec) ^
                              (static_cast<unsigned long long>(getpid()) << 32) ^ ++counter;
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = TemporaryStem(base);
        unsigned long long value = seed + attempt * 7919ULL;
        for (int i = 0; i < 6; ++i, value /= 62) *name += kLetters[value % 62];
        int fd =
            openat(dir, name->c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    }
    return -1;
}
}  // namespace

int FileUtil::SweepTemporaries(const std::string& path) {
    std::string dir = Parent(path), base = BaseName(path);
    return SweepDir(opendir(dir.empty() ? "." : dir.c_str()),
                    [&base](const std::string& name) { return IsTemporaryOf(name, base); });
}

int FileUtil::SweepTemporariesIn(const std::string& dir) {
    constexpr size_t kAdded = 8;  // as in TemporaryStem
    return SweepDir(opendir(dir.empty() ? "." : dir.c_str()), [](const std::string& name) {
        return name.size() > kAdded && IsTemporaryOf(name, name.substr(1, name.size() - kAdded));
    });
}

bool FileUtil::WriteAtomically(const std::string& path, const std::string& content,
                               Temporaries temporaries) {
    std::string dir = Parent(path);
    if (!dir.empty() && !MakeDirs(dir)) return false;
    Closing opened{OpenDir(dir)};
    return opened.fd >= 0 && WriteAtomicallyAt(opened.fd, BaseName(path), content, temporaries);
}

bool FileUtil::WriteAtomicallyAt(int dir, const std::string& name, const std::string& content,
                                 Temporaries temporaries) {
    if (temporaries == Temporaries::kSweep)
        SweepDir(ReadDir(dir),
                 [&name](const std::string& entry) { return IsTemporaryOf(entry, name); });
    std::string temp;
    int fd = NewTemporary(dir, name, &temp);
    if (fd < 0) return false;
    fchmod(fd, 0644);
    bool ok = WriteAll(fd, content.data(), content.size());
    ok = (close(fd) == 0) && ok;
    if (ok) ok = renameat(dir, temp.c_str(), dir, name.c_str()) == 0;
    if (!ok) {
        int error = errno;
        unlinkat(dir, temp.c_str(), 0);
        errno = error;
    }
    return ok;
}

int FileUtil::ReplaceAt(int dir, const std::string& name) {
    std::string temp;
    int fd = NewTemporary(dir, name, &temp);
    if (fd < 0) return -1;
    fchmod(fd, 0644);
    if (renameat(dir, temp.c_str(), dir, name.c_str()) == 0) return fd;
    int error = errno;
    unlinkat(dir, temp.c_str(), 0);
    close(fd);
    errno = error;
    return -1;
}

namespace {
// Reads up to `max_bytes` of an open file; with `whole`, a larger file is a failure.
bool ReadUpTo(int fd, const struct stat& st, std::string* content, size_t max_bytes, bool whole) {
    if (whole && static_cast<unsigned long long>(st.st_size) > max_bytes) {
        errno = EFBIG;
        return false;
    }
    std::string out;
    char buffer[4096];
    while (out.size() < max_bytes + (whole ? 1 : 0)) {
        size_t want = std::min(sizeof buffer, max_bytes + (whole ? 1 : 0) - out.size());
        ssize_t n = read(fd, buffer, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<size_t>(n));
    }
    // A file that grew past the limit while it was read (the size did not tell: /proc).
    if (whole && out.size() > max_bytes) {
        errno = EFBIG;
        return false;
    }
    *content = std::move(out);
    return true;
}

bool ReadPath(const std::string& path, std::string* content, size_t max_bytes, bool whole) {
    struct stat st;
    Closing fd{FileUtil::OpenRegular(path, O_RDONLY, &st)};
    return fd.fd >= 0 && ReadUpTo(fd.fd, st, content, max_bytes, whole);
}
}  // namespace

bool FileUtil::Read(const std::string& path, std::string* content, size_t max_bytes) {
    return ReadPath(path, content, max_bytes, true);
}

bool FileUtil::ReadHead(const std::string& path, std::string* content, size_t bytes) {
    return ReadPath(path, content, bytes, false);
}

bool FileUtil::ReadOpen(int fd, std::string* content, size_t max_bytes) {
    struct stat st;
    return fstat(fd, &st) == 0 && ReadUpTo(fd, st, content, max_bytes, true);
}

namespace {
// Links followed in one walk at the most, as the kernel allows in one path.
constexpr int kMaxLinks = 40;
constexpr int kDirFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A directory whose links may be followed: one that only this user (or root) may change.
bool Trusted(int dir) {
    struct stat st;
    return fstat(dir, &st) == 0 && FileUtil::TrustedOwner(st.st_uid) &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::vector<std::string> Names(const std::string& path) {
    std::vector<std::string> names;
    std::string::size_type start = 0;
    while (start <= path.size()) {
        std::string::size_type end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string name = path.substr(start, end - start);
        if (!name.empty() && name != ".") names.push_back(name);
        start = end + 1;
    }
    return names;
}

// The target of the link `name` in `dir` when it is a link that may be followed. False with
// errno ELOOP for a link that may not be, or when the walk has followed too many; false with
// errno left as it was when `name` is no link.
bool FollowableLink(int dir, const std::string& name, int* links, std::string* target) {
    int error = errno;
    struct stat st;
    if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) {
        errno = error;
        return false;
    }
    if (!Trusted(dir) || ++*links > kMaxLinks) {
        errno = ELOOP;
        return false;
    }
    std::vector<char> text(static_cast<size_t>(st.st_size) + 2);
    ssize_t n = readlinkat(dir, name.c_str(), text.data(), text.size());
    if (n <= 0 || static_cast<size_t>(n) >= text.size()) {
        errno = n == 0 ? ENOENT : ELOOP;  // empty, or changed while it was read
        return false;
    }
    target->assign(text.data(), static_cast<size_t>(n));
    return true;
}

// The process's root directory, reached by ".." from the working directory rather than by the
// name "/": a program that a user-mode emulator runs with a tree of its own (a cross build's
// tests, qemu -L) is shown that tree for "/", while relative names stay the kernel's.
int OpenRoot() {
    int fd = openat(AT_FDCWD, ".", kDirFlags);
    struct stat here, up;
    while (fd >= 0 && fstat(fd, &here) == 0) {
        int parent = openat(fd, "..", kDirFlags);
        if (parent < 0 || fstat(parent, &up) != 0) {
            if (parent >= 0) close(parent);
            break;
        }
        close(fd);
        fd = parent;
        if (up.st_dev == here.st_dev && up.st_ino == here.st_ino) return fd;
    }
    // A working directory that has been removed, or one whose parents may not be searched.
    if (fd >= 0) close(fd);
    return open("/", kDirFlags);
}

// Walks `path` from `at` (from the root when it is absolute) by the guarded rule and returns
// the directory it names, opened O_PATH; -1 with errno set.
int WalkDir(int at, const std::string& path, bool make, int* links) {
    bool absolute = !path.empty() && path[0] == '/';
    int fd = absolute ? OpenRoot() : openat(at, ".", kDirFlags);
    std::vector<std::string> names = Names(path);
    std::reverse(names.begin(), names.end());  // the next name is at the back
    while (fd >= 0 && !names.empty()) {
        std::string name = std::move(names.back());
        names.pop_back();
        int next = openat(fd, name.c_str(), kDirFlags);
        if (next < 0 && errno == ENOENT && make &&
            (mkdirat(fd, name.c_str(), 0755) == 0 || errno == EEXIST))
            next = openat(fd, name.c_str(), kDirFlags);
        std::string target;
        if (next < 0 && FollowableLink(fd, name, links, &target)) {
            std::vector<std::string> more = Names(target);
            names.insert(names.end(), more.rbegin(), more.rend());
            if (target[0] == '/')
                next = OpenRoot();
            else
                next = openat(fd, ".", kDirFlags);
        }
        Closing done{fd};
        fd = next;
    }
    return fd;
}
}  // namespace

bool FileUtil::TrustedOwner(uid_t owner) {
    return owner == geteuid() || owner == 0;
}

int FileUtil::OpenDirGuarded(const std::string& path, bool make) {
    int links = 0;
    return WalkDir(AT_FDCWD, path, make, &links);
}

int FileUtil::OpenAt(int dir, const std::string& name, int flags, struct stat* st) {
    int fd =
        openat(dir, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    return fd < 0 ? -1 : CheckRegular(fd, st);
}

int FileUtil::OpenGuarded(const std::string& path, int flags, struct stat* st) {
    int links = 0;
    bool make = (flags & O_CREAT) != 0;
    int dir = WalkDir(AT_FDCWD, Parent(path), make, &links);
    std::string name = BaseName(path), target;
    while (dir >= 0) {
        Closing opened{dir};
        int fd = OpenAt(dir, name, flags, st);
        if (fd >= 0 || errno != ELOOP || !FollowableLink(dir, name, &links, &target)) return fd;
        dir = WalkDir(dir, Parent(target), make, &links);
        name = BaseName(target);
    }
    return -1;
}

std::string FileUtil::Why(int error) {
    if (error == ELOOP)
        return "a symbolic link that is not followed (the file itself, or one on its way in a "
               "directory that another user may change)";
    if (error == EINVAL) return "not a regular file";
    return std::strerror(error);
}

bool FileUtil::ReadGuarded(const std::string& path, std::string* content, size_t max_bytes) {
    Closing fd{OpenGuarded(path, O_RDONLY)};
    return fd.fd >= 0 && ReadOpen(fd.fd, content, max_bytes);
}

bool FileUtil::WriteAtomicallyGuarded(const std::string& path, const std::string& content) {
    Closing dir{OpenDirGuarded(Parent(path), true)};
    return dir.fd >= 0 && WriteAtomicallyAt(dir.fd, BaseName(path), content);
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
