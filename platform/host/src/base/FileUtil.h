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
};

}  // namespace brelta::host

#endif
