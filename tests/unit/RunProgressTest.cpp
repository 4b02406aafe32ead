// A run's progress on the screen's remote, from its records as the tool writes them: one row
// per story, its records (the run's own, or "[child]" for a process it forked) and what the
// page is told a given time after the first record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RunProgress.h"

using brelta::host::LogRecord;
using brelta::screen::RunProgress;

namespace {
struct Row {
    const char* story;
    std::vector<std::string> records;
    long long after_ms;
    const char* told;
};

const Row kRows[] = {
    {"nothing told yet: starting",
     {"brelta_test_tool.cpp: main(80) > start work"},
     0,
     R"({"lock":null,"exit_in_ms":null,"program":null})"},
    {"the lock taken, then given back",
     {"CTaskManager.cpp: LockExit(45) > lOCK ++ 1",
      "CTaskManager.cpp: UnLockExit(50) > UNLOCK -- 0"},
     0,
     R"({"lock":0,"exit_in_ms":null,"program":null})"},
    {"the exit delay, counted from its record's time",
     {"CTaskManager.cpp: LockExit(45) > lOCK ++ 1",
      "CTaskManager.cpp: Exit(55) > EXITING in 5 seconds ..."},
     1200,
     R"({"lock":1,"exit_in_ms":3800,"program":null})"},
    {"a delay long past shows no time left",
     {"CTaskManager.cpp: Exit(55) > EXITING in 5 seconds ..."},
     9000,
     R"({"lock":null,"exit_in_ms":0,"program":null})"},
    {"MDT: the program missing (the shell's 127); the child's own delay is not the run's",
     {"CTaskManager.cpp: Exit(55) > EXITING in 120 seconds ...",
      "[child] TestUtil.cpp: LaunchMDT(30) > Result:[32512]",
      "[child] CTaskManager.cpp: UnLockExit(50) > UNLOCK -- 0",
      "[child] CTaskManager.cpp: Exit(55) > EXITING in 1 seconds ..."},
     0,
     R"({"lock":null,"exit_in_ms":120000,"program":{"status":32512,"exit":127}})"},
    {"MDT: the program killed",
     {"[child] TestUtil.cpp: LaunchMDT(30) > Result:[9]"},
     0,
     R"({"lock":null,"exit_in_ms":null,"program":{"status":9,"exit":null}})"},
    {"the wording alone, without the tool's prefix, or without a number, tells nothing",
     {"[raw]EXITING in 5 seconds ...", "CTaskManager.cpp: LockExit(45) > lOCK ++ many"},
     0,
     R"({"lock":null,"exit_in_ms":null,"program":null})"},
};

TEST(RunProgressTest, TellsTheStateOfARunFromItsRecords) {
    const std::string stamp = "2026-12-05T13:46:45.123Z";
    for (const Row& row : kRows) {
        RunProgress progress;
        long long start = 0;
        for (std::string text : row.records) {
            bool own = text.rfind("[child] ", 0) != 0;
            if (!own) text.erase(0, 8);
            if (text.rfind("[raw]", 0) == 0) text.erase(0, 5);
            LogRecord record;
            ASSERT_TRUE(LogRecord::Parse(stamp + " 42 I/BRELTA_TEST_TOOL: " + text, &record));
            start = record.Milliseconds();
            progress.Take(record, own);
        }
        EXPECT_EQ(progress.ToJson(start + row.after_ms).dump(), row.told) << row.story;
    }
}
}  // namespace
