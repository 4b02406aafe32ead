#ifndef BRELTA_TESTS_TEMPDEVICEROOT_H
#define BRELTA_TESTS_TEMPDEVICEROOT_H

#include <string>

namespace brelta::test {

// A fresh device root under $TMPDIR, removed with everything in it when the test ends.
class TempDeviceRoot {
public:
    TempDeviceRoot();
    ~TempDeviceRoot();
    TempDeviceRoot(const TempDeviceRoot&) = delete;
    TempDeviceRoot& operator=(const TempDeviceRoot&) = delete;

    const std::string& Path() const { return m_Path; }
    std::string operator/(const std::string& relative) const { return m_Path + "/" + relative; }

    // Writes $ROOT/<relative>, creating its directories.
    void Write(const std::string& relative, const std::string& content) const;
    // The content of $ROOT/<relative>, or "" when it cannot be read.
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // Writes a settings key as the store keeps it: "<type> <value>\n".
    void SetSetting(const std::string& key, const std::string& type,
                    const std::string& value) const;
    // The raw content of a key's file ("" when missing).
    std::string Setting(const std::string& key) const;
    // Scripts results of a platform function for processes started from now on.
    void Fault(const std::string& function, const std::string& values) const;

private:
    std::string m_Path;
};

}  // namespace brelta::test

#endif
