/* Log records of the tool. Every record starts "<file>: <function>(<line>) > " so that a
 * line read on the TV leads straight to the code that wrote it. The toast code (UIToast,
 * NotiHandler, PopupBlockerOptions) writes to the main buffer, the rest to the system one. */
#ifndef BRELTA_LOG_H
#define BRELTA_LOG_H

#include <dlog.h>

#define BRELTA_LOG_TAG "BRELTA_TEST_TOOL"
#define BRELTA_UI_LOG_TAG "BRELTA_LOG"

/* The <file> of a record is the source's base name: the build machine's directories mean
 * nothing on the TV. It is cut from __FILE__ because the TV's toolchains are older than the
 * compilers that know __FILE_NAME__, and records must read the same whoever built the tool. */
#ifdef __cplusplus
#include <cstddef>
#include <type_traits>

namespace brelta {
// Where the base name starts in a path: past its last '/'.
constexpr std::size_t BaseNameOffset(const char* path) {
    std::size_t offset = 0;
    for (std::size_t i = 0; path[i] != '\0'; ++i)
        if (path[i] == '/') offset = i + 1;
    return offset;
}
}  // namespace brelta

/* As a template argument the offset is a constant expression: the path is scanned once, by
 * the compiler, not at every record. */
#define BRELTA_FILE_NAME \
    (&__FILE__[std::integral_constant<std::size_t, ::brelta::BaseNameOffset(__FILE__)>::value])
#else
#include <string.h>
/* C has no constexpr; compilers fold strrchr of a literal when they optimise, and the leading
 * '/' gives a path without one a base name too. */
#define BRELTA_FILE_NAME (strrchr("/" __FILE__, '/') + 1)
#endif

#define BRELTA_LOGI(fmt, ...)                                                                     \
    __dlog_print(LOG_ID_SYSTEM, DLOG_INFO, BRELTA_LOG_TAG, "%s: %s(%d) > " fmt, BRELTA_FILE_NAME, \
                 __func__, __LINE__, ##__VA_ARGS__)

#define BRELTA_UI_LOGI(fmt, ...)                                                                   \
    __dlog_print(LOG_ID_MAIN, DLOG_INFO, BRELTA_UI_LOG_TAG, "%s: %s(%d) > " fmt, BRELTA_FILE_NAME, \
                 __func__, __LINE__, ##__VA_ARGS__)

#endif
