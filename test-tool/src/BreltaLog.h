/* Log records of the tool. Every record starts "<file>: <function>(<line>) > " so that a
 * line read on the TV leads straight to the code that wrote it. The toast code (UIToast,
 * NotiHandler, PopupBlockerOptions) writes to the main buffer, the rest to the system one. */
#ifndef BRELTA_LOG_H
#define BRELTA_LOG_H

#include <dlog.h>

#define BRELTA_LOG_TAG "BRELTA_TEST_TOOL"
#define BRELTA_UI_LOG_TAG "BRELTA_LOG"

#define BRELTA_LOGI(fmt, ...)                                                                  \
    __dlog_print(LOG_ID_SYSTEM, DLOG_INFO, BRELTA_LOG_TAG, "%s: %s(%d) > " fmt, __FILE_NAME__, \
                 __func__, __LINE__, ##__VA_ARGS__)

#define BRELTA_UI_LOGI(fmt, ...)                                                                \
    __dlog_print(LOG_ID_MAIN, DLOG_INFO, BRELTA_UI_LOG_TAG, "%s: %s(%d) > " fmt, __FILE_NAME__, \
                 __func__, __LINE__, ##__VA_ARGS__)

#endif
