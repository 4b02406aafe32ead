// The settings file parser: any bytes in a key's file either read back as one typed value
// or fail every read with the caller's output untouched, and never crash a reader.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <vconf.h>

#include "base/FileUtil.h"
#include "FuzzSupport.h"
#include "settings/SettingsStore.h"

using brelta::fuzz::Check;
using brelta::host::FileUtil;
using brelta::host::SettingsStore;
using brelta::host::SettingType;

namespace {
const char kKey[] = "fuzz/key";

void WriteKeyFile(const std::string& content) {
    static const std::string path = SettingsStore::KeyPath(kKey);
    static const bool made = FileUtil::MakeDirs(FileUtil::Parent(path));
    Check(made, "the key's directory can be made");
    // A new file each time: truncating one in place makes ext4 flush it on close, which
    // would cut the run rate by an order of magnitude.
    unlink(path.c_str());
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    Check(fd >= 0, "the key's file can be written");
    Check(write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()),
          "the key's file is written whole");
    close(fd);
}

// One read of the file through the platform call of `type`; true when it succeeded, with the
// value as text in *text. A failed read must leave the output as it was.
bool ReadAs(SettingType type, std::string* text) {
    switch (type) {
        case SettingType::Int: {
            int value = 424242;
            if (vconf_get_int(kKey, &value) != 0) {
                Check(value == 424242, "a failed int read leaves the output untouched");
                return false;
            }
            *text = std::to_string(value);
            return true;
        }
        case SettingType::Bool: {
            int value = 424242;
            if (vconf_get_bool(kKey, &value) != 0) {
                Check(value == 424242, "a failed bool read leaves the output untouched");
                return false;
            }
            Check(value == 0 || value == 1, "a bool reads as 0 or 1");
            *text = value ? "1" : "0";
            return true;
        }
        case SettingType::Double: {
            double value = 0.25;
            if (vconf_get_dbl(kKey, &value) != 0) {
                Check(value == 0.25, "a failed double read leaves the output untouched");
                return false;
            }
            return true;
        }
        case SettingType::String: {
            char* value = vconf_get_str(kKey);
            if (value == nullptr) return false;
            *text = value;
            free(value);
            return true;
        }
    }
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    brelta::fuzz::UseTemporaryDeviceRoot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    SettingType type = SettingType::Int;
    std::string value;
    const bool parsed = SettingsStore::Parse(content, &type, &value);
    if (parsed) {
        Check(SettingsStore::Valid(type, value), "a parsed value is valid for its type");
        SettingType again = SettingType::Int;
        std::string againValue;
        Check(SettingsStore::Parse(SettingsStore::Format(type, value), &again, &againValue) &&
                  again == type && againValue == value,
              "a parsed value written back parses to itself");
    }

    WriteKeyFile(content);
    const bool readable = parsed && size <= SettingsStore::kMaxFileBytes;
    for (SettingType asked :
         {SettingType::Int, SettingType::Bool, SettingType::Double, SettingType::String}) {
        std::string text;
        const bool ok = ReadAs(asked, &text);
        Check(ok == (readable && asked == type), "a read succeeds exactly for the file's type");
        if (!ok || asked == SettingType::Double) continue;
        if (asked == SettingType::Int) {
            int expected = 0;
            Check(SettingsStore::ParseInt(value, &expected) && text == std::to_string(expected),
                  "an int reads as the number in the file");
        } else {
            Check(text == value, "a bool or string reads as the text in the file");
        }
    }
    return 0;
}
