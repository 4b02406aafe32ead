#include "CFileFunc.h"

#include <cstdint>

#include "BreltaLog.h"

namespace fs = boost::filesystem;

namespace {
// Largest file the export copies: bigger ones would take too long on the TV's USB port.
constexpr uintmax_t kMaxCopyBytes = 1048576;
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
        // The destination lies on a removable device that anyone may have prepared: a link at
        // the file's name would make the copy (and the 0777 after it) land wherever it points.
        // The source is the platform's own capture directory; a link there is followed.
        if (fs::is_symlink(fs::symlink_status(destination)))
            throw fs::filesystem_error("destination file is a symbolic link", destination,
                                       boost::system::errc::make_error_code(
                                           boost::system::errc::too_many_symbolic_link_levels));
        fs::copy_file(source, destination, fs::copy_options::overwrite_existing);
        fs::permissions(destination, fs::perms::all_all);
        return true;
    } catch (const fs::filesystem_error& e) {
        BRELTA_LOGI("Error::[%s]", e.what());
        return false;
    }
}
