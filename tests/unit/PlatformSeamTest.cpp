// The tool's sources reach the platform only as the device build can: by the platform's header
// names and the functions those headers declare.
#include <gtest/gtest.h>

#include <string>

#include "PlatformSeam.h"

using brelta::test::PlatformSeam;

namespace {

const std::string kSource = BRELTA_SOURCE_DIR;

PlatformSeam Seam() {
    return PlatformSeam(kSource + "/platform/host/include", kSource + "/platform/host/src");
}

std::string Describe(const std::vector<PlatformSeam::Violation>& violations) {
    std::string text;
    for (const auto& v : violations)
        text += v.file + ":" + std::to_string(v.line) + ": " + v.what + "\n";
    return text;
}

TEST(PlatformSeam, ToolSourcesUsePlatformHeadersByNameAndOnlyPlatformFunctions) {
    auto violations = Seam().ScanSources(kSource + "/test-tool/src");
    EXPECT_TRUE(violations.empty()) << Describe(violations);
}

// The scan is only as good as what it finds: each planted file would not build on the device.
TEST(PlatformSeam, PlantedSourcesThatWouldNotBuildOnTheDeviceAreFound) {
    PlatformSeam seam = Seam();
    const std::set<std::string> own = {"Task.cpp", "Task.h", "DevicePath.h", "Markup.h"};
    struct Case {
        const char* file;
        const char* text;
        const char* expected;  // part of the one violation ("file:line: what"), "" for none
    };
    const Case cases[] = {
        {"Task.cpp", "#include \"../../platform/host/src/SettingsStore.h\"\n",
         "by a path of its own"},
        {"Task.cpp", "#include <host/include/vconf.h>\n", "by a path of its own"},
        {"Task.cpp", "\n\n#include <SettingsStore.h>\n",
         "Task.cpp:3: includes the stand-ins' own header SettingsStore.h"},
        {"Task.cpp", "  #  include \"Faults.h\"\n", "stand-ins' own header Faults.h"},
        {"Task.cpp", "#include <brelta_host.h>\n", "host-only brelta_host.h"},
        {"Task.cpp", "int f() { return brelta_host_root()[0]; }\n", "host-only brelta_host_root"},
        {"Task.cpp", "void f() { vconf_get_everything(\"k\"); }\n",
         "vconf_get_everything, which no platform header declares"},
        // A callback typedef is not a function the platform provides.
        {"Task.cpp", "void f() { app_control_reply_cb(0, 0, 0, 0); }\n",
         "app_control_reply_cb, which no platform header declares"},
        {"Task.cpp", "void f() { brelta::host::Faults::Reset(); }\n", "namespace brelta::host"},
        {"DevicePath.h", "#ifndef BRELTA_HOST_PLATFORM\n#include <brelta_host.h>\n#endif\n",
         "host-only brelta_host.h"},
        {"DevicePath.h",
         "#ifdef BRELTA_HOST_PLATFORM\n#else\n#define P(p) brelta_host_device_path(p)\n#endif\n",
         "host-only brelta_host_device_path"},
        // Allowed (beside what the tool's own DevicePath.h and platform calls show): the tool's
        // header that shares a stand-in's name, text that only looks like code, own functions.
        {"Task.cpp", "#include \"Markup.h\"\n", ""},
        {"Task.cpp",
         "// brelta_host_root() and #include <Faults.h> in a comment\n"
         "/* vconf_nothing(1);\n#include \"../x.h\" */\n"
         "const char* s = \"brelta::host::Faults usb_fake(\";\n",
         ""},
        {"Task.cpp", "static void usb_connected(int x);\nvoid g() { usb_connected(1); }\n", ""},
        {"Task.cpp", "void g(Obj o) { o.notification_thing(); o->usb_list(); }\n", ""},
    };
    for (const Case& c : cases) {
        auto violations = seam.ScanFile(c.file, c.text, own);
        if (*c.expected == '\0') {
            EXPECT_TRUE(violations.empty()) << c.text << Describe(violations);
        } else {
            EXPECT_EQ(violations.size(), 1u) << c.text << Describe(violations);
            EXPECT_NE(Describe(violations).find(c.expected), std::string::npos)
                << c.text << Describe(violations);
        }
    }
    EXPECT_FALSE(seam.ScanSources(kSource + "/no-such-dir").empty()) << "an empty scan passes";
}

}  // namespace
