#ifndef BRELTA_HOST_FILEUTIL_H
#define BRELTA_HOST_FILEUTIL_H

#include <string>

namespace brelta::host {

// The file operations that every stand-in shares, so that each format is written one way.
class FileUtil {
public:
    // mkdir -p; true when the directory exists afterwards.
    static bool MakeDirs(const std::string& dir);
    // Appends the line (a newline is added) with one write(2) on an O_APPEND descriptor, so
    // that lines of concurrent processes never mix. False when it could not be written whole.
    static bool AppendLine(const std::string& path, const std::string& line);
    // Replaces the file by rename(2) of a complete temporary file beside it.
    static bool WriteAtomically(const std::string& path, const std::string& content);
    // Reads at most max_bytes; false when the file cannot be read or is larger.
    static bool Read(const std::string& path, std::string* content, size_t max_bytes = 1024 * 1024);
    static bool Exists(const std::string& path);
    // rm -r without following symbolic links; true when nothing of the path is left.
    static bool RemoveTree(const std::string& path);
    // Parent directory of a path ("" for a bare name).
    static std::string Parent(const std::string& path);
};

}  // namespace brelta::host

#endif
