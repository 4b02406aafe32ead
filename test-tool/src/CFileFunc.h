#ifndef CFILEFUNC_H
#define CFILEFUNC_H

#include <boost/filesystem.hpp>

#include <string>

// File operations of the capture export. Every file-system failure is caught here, logged and
// turned into false: nothing of the file system's exceptions reaches the callers.
class CFileFunc {
public:
    virtual ~CFileFunc();

    // True when `dir` exists afterwards (whatever its type) or its creation was attempted
    // without an error. Creates one level only.
    static bool createDir(std::string dir);
    // Copies srcDir+fileName to dstDir+fileName, replacing an existing file (or a link at that
    // name, which is never followed), and opens the copy to everyone (0777). The texts are
    // joined as they are: the caller supplies the slash. Files larger than 1 MiB are refused.
    static bool copyFile(std::string srcDir, std::string dstDir, std::string fileName);
};

// True when the file is not larger than the export limit; throws filesystem_error when its
// size cannot be read.
bool is_certicate_allowed_size(const boost::filesystem::path& path);

#endif
