#include "CFileFunc.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "BreltaLog.h"

namespace fs = boost::filesystem;

namespace {
// Largest file the export copies: bigger ones would take too long on the TV's USB port.
constexpr uintmax_t kMaxCopyBytes = 1048576;

[[noreturn]] void Fail(const char* operation, const fs::path& path, const fs::path& other,
                       int error) {
    boost::system::error_code code(error, boost::system::system_category());
    if (other.empty()) throw fs::filesystem_error(operation, path, code);
    throw fs::filesystem_error(operation, path, other, code);
}

// A descriptor of a file, closed with it; the file's own name in /proc reaches that very file
// whatever happens meanwhile to the names in its directory.
struct Opened {
    int fd = -1;
    ~Opened() {
        if (fd >= 0) close(fd);
    }
    fs::path Self() const { return "/proc/self/fd/" + std::to_string(fd); }
    bool IsNamed(const std::string& name) const {
        struct stat opened, named;
        return fstat(fd, &opened) == 0 && lstat(name.c_str(), &named) == 0 &&
               opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
    }
};

// A new file beside `destination`, created by this process (exclusively, so never an existing
// file and never through a link) and removed again unless it was renamed into place.
struct Temporary : Opened {
    std::string name;
    explicit Temporary(const std::string& destination) {
        std::string::size_type slash = destination.find_last_of('/') + 1;  // npos + 1 == 0
        std::string pattern =
            destination.substr(0, slash) + "." + destination.substr(slash) + ".XXXXXX";
        std::vector<char> text(pattern.begin(), pattern.end());
        text.push_back('\0');
        fd = mkostemp(text.data(), O_CLOEXEC);
        if (fd >= 0) name = text.data();
    }
    ~Temporary() {
        // Only while the name still is this file: a name swapped under us is not ours.
        if (!name.empty() && IsNamed(name)) unlink(name.c_str());
    }
};

// Copies `source` over `destination`, failing with the file-system library's exceptions under
// its operations' names, so that the log reads the same as for a plain copy.
//
// The destination lies on a removable device that anyone may have prepared, and others may
// write its directory while we copy: at the destination's name there may be a symbolic link,
// or a hard link whose other name lies elsewhere. So nothing is written to or chmod-ed by a
// name. The copy goes into a new file of our own beside the destination, through its
// descriptor, and is renamed over the name: a link there is replaced, never followed. The
// source is opened once, as a regular file, without waiting on a FIFO or device at its name.
void CopyReplacing(const fs::path& source, const fs::path& destination) {
    static const char* const kCopy = "boost::filesystem::copy_file";
    Opened in;
    in.fd = open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (in.fd < 0) Fail(kCopy, source, destination, errno);
    struct stat st;
    if (fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) Fail(kCopy, source, destination, EINVAL);
    Temporary out(destination.native());
    if (out.fd < 0) Fail(kCopy, source, destination, errno);
    try {
        fs::copy_file(in.Self(), out.Self(), fs::copy_options::overwrite_existing);
    } catch (const fs::filesystem_error& e) {
        Fail(kCopy, source, destination, e.code().value());
    }
    // A refusal is reported once the copy has its name, as it would be had the permissions
    // been set on the file in place.
    int refused = 0;
    try {
        fs::permissions(out.Self(), fs::perms::all_all);
    } catch (const fs::filesystem_error& e) {
        refused = e.code().value();
    }
    if (!out.IsNamed(out.name)) Fail(kCopy, source, destination, EEXIST);
    if (rename(out.name.c_str(), destination.c_str()) != 0) Fail(kCopy, source, destination, errno);
    out.name.clear();
    if (refused != 0) Fail("boost::filesystem::permissions", destination, fs::path(), refused);
}
}  // namespace

CFileFunc::~CFileFunc() {}

bool is_certicate_allowed_size(const fs::path& path) {
    BRELTA_LOGI("");
    uintmax_t size = fs::file_size(path);
    BRELTA_LOGI("");
    return size <= kMaxCopyBytes;
}

bool CFileFunc::createDir(std::string dir) {
    BRELTA_LOGI("");
    try {
        fs::path path(dir);
        // Anything at that name will do, even a plain file: the copy itself fails then.
        if (fs::exists(fs::status(path))) return true;
        if (fs::create_directory(path)) {
            BRELTA_LOGI("Directory Created = %s", dir.c_str());
        } else {
            BRELTA_LOGI("Directory Not Created = %s", dir.c_str());
        }
        return true;
    } catch (const fs::filesystem_error& e) {
        BRELTA_LOGI("Error::[%s]", e.what());
        return false;
    }
}

bool CFileFunc::copyFile(std::string srcDir, std::string dstDir, std::string fileName) {
    fs::path source(srcDir);
    fs::path destination(dstDir);
    if (!createDir(dstDir)) return false;
    BRELTA_LOGI("Source directory =[%s]. ", source.c_str());
    BRELTA_LOGI("destination directory =[%s]. ", destination.c_str());

    // Joined as texts, not as path elements: a doubled slash is harmless to the file system.
    source = srcDir + fileName;
    destination = dstDir + fileName;
    BRELTA_LOGI("Source File =[%s]. ", source.c_str());
    BRELTA_LOGI("destination File =[%s]. ", destination.c_str());
    try {
        if (!is_certicate_allowed_size(source)) {
            BRELTA_LOGI("Error: Certificate file is greater than 1 MB");
            return false;
        }
        CopyReplacing(source, destination);
        return true;
    } catch (const fs::filesystem_error& e) {
        BRELTA_LOGI("Error::[%s]", e.what());
        return false;
    }
}
