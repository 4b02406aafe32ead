#ifndef BRELTA_HOST_SETTINGSSTORE_H
#define BRELTA_HOST_SETTINGSSTORE_H

#include <string>
#include <vector>

#include "base/Outcome.h"

namespace brelta::host {

enum class SettingType { Int, Bool, Double, String };

// The settings store: key "a/b/c" is the file $ROOT/settings/a/b/c holding
// "<type> <value>\n". Writes replace the file atomically; reads fail on a missing file, a
// file of another type, or one whose value does not parse.
class SettingsStore {
public:
    // Values larger than this are not settings: such a file fails every read.
    static constexpr size_t kMaxFileBytes = 64 * 1024;

    // The key's file, or "" when the key cannot name a file below settings/ (empty, absolute,
    // with "." or ".." or hidden components, doubled or trailing slashes) or holds a character
    // that a listing could not show as it is (VisibleText: controls, bidi overrides).
    static std::string KeyPath(const std::string& key);
    // Why `key` is no settings key, for a person; "" when it is one.
    static std::string KeyProblem(const std::string& key);
    static std::string Root();

    static bool Read(const std::string& key, SettingType type, std::string* value);
    // The key's type and value, whatever the type; false when the key is missing or its file
    // is not a setting.
    static bool ReadAny(const std::string& key, SettingType* type, std::string* value);
    static bool Write(const std::string& key, SettingType type, const std::string& value);
    // Removes the temporary files that writes killed half-way left anywhere in the store
    // (a write sweeps those of its own key); how many were removed.
    static int SweepTemporaries();

    // Every key whose name begins with `prefix`, sorted; files that no write of the store
    // could have made (temporary files of an atomic write, dot-names) are not keys. What
    // could not be looked at (a folder that cannot be read, one deeper than the longest
    // path) is added to `problems`, one sentence each, so that a listing is never silently
    // incomplete.
    static std::vector<std::string> Keys(const std::string& prefix,
                                         std::vector<std::string>* problems);
    static std::vector<std::string> Keys(const std::string& prefix = "");

    // A setting as a person gives it: the key, the type's name and the value as typed
    // (bools also as true and false). Checked whole (Check) before anything is written.
    struct Entry {
        std::string key;
        SettingType type = SettingType::Int;
        std::string value;  // as stored
    };
    static Outcome Check(const std::string& key, const std::string& typeName,
                         const std::string& typed, Entry* entry);
    // Checks and writes one setting; why a write failed is said in the store's terms where
    // the file system's would mislead ("File exists" for a key below another key).
    static Outcome Set(const std::string& key, const std::string& typeName,
                       const std::string& typed);
    // Writes checked entries in order, up to the first that fails. The temporary files of
    // killed writes are swept once per folder, not once per key: a load of many keys into
    // one folder stays linear.
    static Outcome WriteAll(const std::vector<Entry>& entries);
    // Removes the key; a missing key is no error, a directory of keys is refused.
    static Outcome Remove(const std::string& key);
    static bool GetInt(const std::string& key, int* value);
    static bool GetBool(const std::string& key, int* value);
    static bool GetDouble(const std::string& key, double* value);
    static bool GetString(const std::string& key, std::string* value);

    // Splits a file's content into type and value text; false when it is not a setting.
    static bool Parse(const std::string& content, SettingType* type, std::string* value);
    // The value text checked against its type (ranges included).
    static bool Valid(SettingType type, const std::string& value);
    static std::string Format(SettingType type, const std::string& value);
    static const char* TypeName(SettingType type);
    static bool TypeFromName(const std::string& name, SettingType* type);

    static bool ParseInt(const std::string& text, int* value);
    static bool ParseDouble(const std::string& text, double* value);
};

}  // namespace brelta::host

#endif
