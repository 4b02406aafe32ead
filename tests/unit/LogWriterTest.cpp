// The system log: whole lines under concurrent writers and short writes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <dlog.h>

#include "HostFixture.h"
#include "SystemCallHooks.h"

using brelta::test::HostFixture;
using brelta::test::LogRecords;

namespace {

class LogWriterTest : public HostFixture {};

TEST_F(LogWriterTest, ConcurrentProcessesLeaveWholeLinesOnly) {
    const int kWriters = 8, kRecords = 200;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Records well above a pipe buffer's atomic size, to catch split writes.
            std::string payload(6000 + w, static_cast<char>('a' + w));
            for (int i = 0; i < kRecords; ++i)
                __dlog_print(LOG_ID_SYSTEM, DLOG_INFO, "T", "%d %s", i, payload.c_str());
            _exit(0);
        }
    }
    for (int w = 0; w < kWriters; ++w) wait(nullptr);
    LogRecords log = SystemLog();
    EXPECT_TRUE(log.Broken().empty());
    ASSERT_EQ(log.All().size(), static_cast<size_t>(kWriters * kRecords));
    for (const auto& r : log.All()) {
        std::string payload = r.message.substr(r.message.find(' ') + 1);
        ASSERT_FALSE(payload.empty());
        EXPECT_EQ(payload.find_first_not_of(payload[0]), std::string::npos);
    }
}

TEST_F(LogWriterTest, ARecordCutShortIsTakenBackSoTheNextStaysWhole) {
    __dlog_print(LOG_ID_SYSTEM, DLOG_INFO, "T", "before");
    brelta::test::hooks::CutNextWrite(20);
    EXPECT_LT(__dlog_print(LOG_ID_SYSTEM, DLOG_INFO, "T", "cut short"), 0);
    brelta::test::hooks::Reset();
    __dlog_print(LOG_ID_SYSTEM, DLOG_INFO, "T", "after");
    LogRecords log = SystemLog();
    EXPECT_TRUE(log.Broken().empty());
    ASSERT_EQ(log.All().size(), 2u);
    EXPECT_EQ(log.All()[0].message + " " + log.All()[1].message, "before after");
}

TEST_F(LogWriterTest, UnwritableLogDirectoryFailsQuietly) {
    root->Write("log", "an ordinary file");
    EXPECT_LT(__dlog_print(LOG_ID_SYSTEM, DLOG_INFO, "T", "lost"), 0);
    EXPECT_EQ(root->Read("log"), "an ordinary file");
}

}  // namespace
