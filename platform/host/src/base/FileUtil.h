#ifndef BRELTA_HOST_FILEUTIL_H
#define BRELTA_HOST_FILEUTIL_H

#include <sys/stat.h>

#include <string>

namespace brelta::host {

// The file operations that every stand-in shares, so that each format is written one way.
//
// Every file under the device root may be hostile: reads and appends open only regular files
// (links to them followed) and refuse a FIFO, device, socket or directory at the name without
// blocking, as they would a missing file.
class FileUtil {
public:
    // mkdir -p; true when the directory exists afterwards.
    static bool MakeDirs(const std::string& dir);
    // open(2) of a regular file only, never waiting on what stands at the name: -1 (errno set)
    // for anything else. O_NONBLOCK, O_NOCTTY and O_CLOEXEC are added to `flags`; `st`, when
    // given, receives the file's status.
    static int OpenRegular(const std::string& path, int flags, struct stat* st = nullptr);
    // Appends the line (a newline is added) with one write(2) on an O_APPEND descriptor, so
    // that lines of concurrent processes never mix. False when it could not be written whole.
    // A line is whole or absent: one that would pass the process's file-size limit or finds
    // no room on the disk is not written. Should one still be cut short, its fragment is
    // removed (or else ended by a newline), so that the next line is not glued to it.
    static bool AppendLine(const std::string& path, const std::string& line);
    // Replaces the file by rename(2) of a complete temporary file beside it, named "." + the
    // file's name (cut to fit the name limit) + "." + six letters or digits, after removing
    // the stale temporary files that writes of it killed half-way left behind (unless the
    // caller has swept the whole folder already: kSwept).
    enum class Temporaries { kSweep, kSwept };
    static bool WriteAtomically(const std::string& path, const std::string& content,
                                Temporaries temporaries = Temporaries::kSweep);
    // The same for the file `name` of the open directory `dir`: a link at the name is
    // replaced, never followed.
    static bool WriteAtomicallyAt(int dir, const std::string& name, const std::string& content,
                                  Temporaries temporaries = Temporaries::kSweep);
    // A new empty file of this process's put at `name` in `dir` by rename(2): whatever stood
    // at the name, a link included, is replaced, never opened or cut. Its descriptor (read and
    // write), or -1 with errno set.
    static int ReplaceAt(int dir, const std::string& name);
    // A temporary file this much older than now belongs to a write that died: a live one
    // renames it within microseconds.
    static constexpr int kStaleSeconds = 10;
    // Remove the stale temporary files of the file `path`, or of any file in `dir`; they
    // return how many were removed.
    static int SweepTemporaries(const std::string& path);
    static int SweepTemporariesIn(const std::string& dir);
    // Reads at most max_bytes; false when the file cannot be read or is larger.
    static bool Read(const std::string& path, std::string* content, size_t max_bytes = 1024 * 1024);
    // Reads the file's first `bytes` bytes (fewer when it is shorter).
    static bool ReadHead(const std::string& path, std::string* content, size_t bytes);
    // Read, of an open file from where it stands.
    static bool ReadOpen(int fd, std::string* content, size_t max_bytes);

    // The guarded walk: how a program that may run as root reaches files in a tree that
    // another user may write (the live capture's files), without following a link that user
    // planted. A path is walked from "/" (a relative one from the working directory) one name
    // at a time with openat(2). A symbolic link, on the way or at the end, is followed only
    // where the directory holding it is trusted: it belongs to the user the program runs as
    // (its effective uid) or to root, whom every user trusts already, and neither its group
    // nor others may write it. The open directory's fstat decides, so nothing can change it
    // between the check and the use. Any other link fails the call with ELOOP, as a missing
    // file fails it with ENOENT. So a user's links in their own tree are followed for them,
    // and root follows none of another user's.
    //
    // Whether a file of this owner is trusted: the program's user's (effective uid) or root's.
    static bool TrustedOwner(uid_t owner);
    // The directory `path`, opened O_PATH by the guarded walk; with `make`, the missing ones
    // are made (0755) on the way, each with mkdirat(2) in the directory already walked.
    static int OpenDirGuarded(const std::string& path, bool make);
    // OpenRegular by the guarded walk (with O_CREAT, the missing directories are made).
    static int OpenGuarded(const std::string& path, int flags, struct stat* st = nullptr);
    // OpenRegular of the file `name` in the open directory `dir`; a link at the name is
    // refused (ELOOP), whoever made it.
    static int OpenAt(int dir, const std::string& name, int flags, struct stat* st = nullptr);
    // What an errno of these calls means: strerror(3), but for the guarded walk's refusal of
    // a link (ELOOP) and the refusal of what is not a regular file (EINVAL), said as such.
    static std::string Why(int error);
    // Read and WriteAtomically by the guarded walk.
    static bool ReadGuarded(const std::string& path, std::string* content, size_t max_bytes);
    static bool WriteAtomicallyGuarded(const std::string& path, const std::string& content);

    static bool Exists(const std::string& path);
    // Takes an exclusive flock(2) on the open file within `milliseconds`. A holder keeps such
    // a lock for a read and a write only, so a longer wait means one that stopped (or a
    // script that took it): the caller then fails rather than wait for ever.
    static bool LockWithin(int fd, int milliseconds);
    // rm -r without following symbolic links; true when nothing of the path is left. It
    // empties what rm -rf empties: a tree of any depth (it walks relative to one open folder
    // at a time, never by a path longer than a name), and an empty folder it may not read.
    static bool RemoveTree(const std::string& path);
    // Parent directory of a path ("" for a bare name).
    static std::string Parent(const std::string& path);
    // The directory of the running program (/proc/self/exe's, links resolved), where the
    // platform's programs find each other: "." when it cannot be read.
    static std::string ProgramDir();
    // The last name of a path.
    static std::string BaseName(const std::string& path);
};

}  // namespace brelta::host

#endif
