// The tool's sources and objects reach the platform only as the device build can: by the
// platform's header names and the functions those headers declare.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "PlatformSeam.h"
#include "TempDeviceRoot.h"

using brelta::test::PlatformSeam;
using brelta::test::TempDeviceRoot;

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

TEST(PlatformSeam, ToolObjectsTakeOnlyPlatformFunctionsFromTheStandIns) {
    std::set<std::string> used;
    auto violations = Seam().ScanObjects({BRELTA_TOOL_CORE_LIBRARY, BRELTA_TOOL_ENTRY_OBJECT},
                                         BRELTA_HOST_PLATFORM_LIBRARY, &used);
    EXPECT_TRUE(violations.empty()) << Describe(violations);
    // Guards against a scan that saw nothing (nm missing, wrong paths): every record the tool
    // writes goes through this one.
    EXPECT_EQ(used.count("__dlog_print"), 1u);
}

TEST(PlatformSeam, PlatformFunctionsAreThoseTheHeadersDeclare) {
    PlatformSeam seam = Seam();
    for (const char* f : {"vconf_get_int", "vconf_get_str", "vconf_notify_key_changed",
                          "__dlog_print", "notification_create", "notification_post_with_event_cb",
                          "app_control_send_launch_request", "connection_create",
                          "connection_profile_check_default_gateway", "wifi_set_module_low",
                          "usb_get_connected_device_number", "usb_device_get_mountpath"})
        EXPECT_EQ(seam.PlatformFunctions().count(f), 1u) << f;
    // Typedefs of callbacks, enum values and macros are not functions.
    for (const char* notFunction :
         {"event_handler_cb", "vconf_callback_fn", "app_control_reply_cb", "LOG_ID_MAIN",
          "APP_CONTROL_OPERATION_DEFAULT", "brelta_host_root"})
        EXPECT_EQ(seam.PlatformFunctions().count(notFunction), 0u) << notFunction;
    EXPECT_EQ(seam.HostOnlyFunctions(),
              (std::set<std::string>{"brelta_host_root", "brelta_host_device_path"}));
}

TEST(PlatformSeam, PlantedSourcesThatWouldNotBuildOnTheDeviceAreFound) {
    PlatformSeam seam = Seam();
    const std::set<std::string> own = {"Task.cpp", "Task.h", "DevicePath.h", "Markup.h"};
    struct Case {
        const char* file;
        const char* text;
        const char* expected;  // part of the one violation, or "" for none
    };
    const Case cases[] = {
        {"Task.cpp", "#include \"../../platform/host/src/SettingsStore.h\"\n",
         "by a path of its own"},
        {"Task.cpp", "#include <host/include/vconf.h>\n", "by a path of its own"},
        {"Task.cpp", "#include <SettingsStore.h>\n", "stand-ins' own header SettingsStore.h"},
        {"Task.cpp", "  #  include \"Faults.h\"\n", "stand-ins' own header Faults.h"},
        {"Task.cpp", "#include <brelta_host.h>\n", "host-only brelta_host.h"},
        {"Task.cpp", "int f() { return brelta_host_root()[0]; }\n", "host-only brelta_host_root"},
        {"Task.cpp", "void f() { vconf_get_everything(\"k\"); }\n",
         "vconf_get_everything, which no platform header declares"},
        {"Task.cpp", "void f() { brelta::host::Faults::Reset(); }\n", "namespace brelta::host"},
        {"DevicePath.h", "#ifndef BRELTA_HOST_PLATFORM\n#include <brelta_host.h>\n#endif\n",
         "host-only brelta_host.h"},
        {"DevicePath.h",
         "#ifdef BRELTA_HOST_PLATFORM\n#else\n#define P(p) brelta_host_device_path(p)\n#endif\n",
         "host-only brelta_host_device_path"},
        // Allowed: the platform's own names and functions, the host branch of DevicePath.h,
        // the tool's own header that shares a stand-in's name, text that only looks like code.
        {"Task.cpp",
         "#include <vconf.h>\n#include <glib.h>\nint f(int* v) {\n"
         "  return vconf_get_int(\"k\", v);\n}\n",
         ""},
        {"DevicePath.h",
         "#ifdef BRELTA_HOST_PLATFORM\n#include <brelta_host.h>\n"
         "#define DEVICE_PATH(p) brelta_host_device_path(p)\n#else\n#define DEVICE_PATH(p) (p)\n"
         "#endif\n",
         ""},
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
            ASSERT_EQ(violations.size(), 1u) << c.text << Describe(violations);
            EXPECT_NE(violations[0].what.find(c.expected), std::string::npos)
                << c.text << Describe(violations);
        }
    }
    // Line numbers lead to the place.
    auto violations = seam.ScanFile("Task.cpp", "\n\n#include <Faults.h>\n", own);
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_EQ(violations[0].line, 3);
}

TEST(PlatformSeam, PlantedObjectThatTakesAStandInFunctionIsFound) {
    TempDeviceRoot dir;
    dir.Write("planted.cpp",
              "extern \"C\" const char* brelta_host_root(void);\n"
              "extern \"C\" int vconf_get_int(const char*, int*);\n"
              "int planted(int* v) { return brelta_host_root()[0] + vconf_get_int(\"k\", v); }\n");
    std::string command = std::string("'") + BRELTA_CXX_COMPILER + "' -c -o '" +
                          (dir / "planted.o") + "' '" + (dir / "planted.cpp") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::set<std::string> used;
    auto violations = Seam().ScanObjects({dir / "planted.o"}, BRELTA_HOST_PLATFORM_LIBRARY, &used);
    ASSERT_EQ(violations.size(), 1u) << Describe(violations);
    EXPECT_EQ(violations[0].what, "takes brelta_host_root from the stand-ins");
    EXPECT_EQ(used, std::set<std::string>{"vconf_get_int"});
}

}  // namespace
