// The process's toast on the host notification service: what reaches the platform, and the
// state machine of one showing (prepared, posted, ended by an event or by Destroy).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "NotificationJournal.h"
#include "NotificationRecord.h"
#include "NotificationService.h"
#include "ToolRun.h"
#include "UIToast.h"

using brelta::host::NotificationService;
using brelta::test::HostFixture;
using brelta::test::JournalEntry;
using brelta::test::NotificationJournal;
using brelta::test::RunResult;
using brelta::test::ToolRun;

namespace {
// While set, allocations with std::nothrow fail: the only way to see how Init copes when
// its handler cannot be allocated.
bool g_failNothrowNew = false;
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (g_failNothrowNew) return nullptr;
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

using Texts = std::vector<std::string>;

class UIToastTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        toast = GetUIToastInstance();
        // The toast lives as long as the process: bring it to no handle and no callbacks,
        // then start the records afresh.
        toast->Init(nullptr);
        toast->Destroy();
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::remove((*root / "log/main").c_str());
        std::remove((*root / "notifications/journal").c_str());
    }
    void TearDown() override {
        toast->Destroy();
        HostFixture::TearDown();
    }

    NotificationJournal Journal() const { return NotificationJournal::Load(*root); }
    int LastId() const { return Journal().LastPostId(); }
    // Presses a button (0, 1) or hides (100, 102) as a person would, and waits until the
    // event was delivered.
    void Input(int id, int event) {
        root->Write("notifications/input/" + std::to_string(id), std::to_string(event) + "\n");
        size_t before = Journal().Events(id).size();
        ASSERT_TRUE(RunLoopUntil([&] { return Journal().Events(id).size() > before; }, 3));
    }
    // Counts its calls; the callbacks of a test.
    std::function<void()> Counter(int* calls) {
        return [calls] { ++*calls; };
    }

    UIToast* toast = nullptr;
};

TEST_F(UIToastTest, ShowHandsTheTextsButtonsAndFixedValuesToThePlatform) {
    toast->Init(nullptr);
    toast->AddButton("OK", "/img/ok.png", nullptr, false);
    toast->AddButton("Cancel", "", nullptr, true);
    EXPECT_TRUE(toast->Show("Title", "/img/icon.png", "Content", -3));
    NotificationJournal journal = Journal();
    ASSERT_EQ(journal.Ops("post").size(), 1u);
    const JournalEntry post = journal.Ops("post")[0];
    EXPECT_EQ(post.Str("title"), "Title");
    EXPECT_EQ(post.Str("content"), "Content");
    EXPECT_EQ(post.Str("image"), "/img/icon.png");
    EXPECT_EQ(post.Int("type"), 0);
    EXPECT_EQ(post.Int("default_button"), 2);
    EXPECT_EQ(post.Int("display_applist"), 16);
    EXPECT_EQ(post.Int("layout"), 1);
    EXPECT_EQ(post.Int("hide_timeout"), -3) << "the time-out must reach the platform unchanged";
    auto buttons = post.Objects("buttons");
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].Int("button"), 1);
    EXPECT_EQ(buttons[0].Str("text"), "OK");
    EXPECT_EQ(buttons[0].Str("image"), "/img/ok.png");
    EXPECT_EQ(buttons[1].Int("button"), 2);
    EXPECT_EQ(buttons[1].Str("text"), "Cancel");
    EXPECT_TRUE(buttons[1].IsNull("image"));
    // The keys are not journalled; the handle itself shows them.
    const auto* handle = NotificationService::Find(*post.Int("id"));
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->FindText(0)->key, "TITLE");
    EXPECT_EQ(handle->FindText(1)->key, "CONTENT");
    EXPECT_EQ(handle->FindText(13)->key, "0");
    EXPECT_EQ(handle->FindText(14)->key, "1");

    EXPECT_EQ(MainTexts(), (Texts{"UI Toast Hide", "[UI Toast show call=>Content]"}));
    EXPECT_EQ(MainLog().All()[1].tag, "BRELTA_LOG");
    EXPECT_TRUE(SystemLog().All().empty());

    // Without buttons and with an empty icon path: nothing of either is set.
    toast->Init(nullptr);
    EXPECT_TRUE(toast->Show("Plain", "", "No icon", 60));
    const JournalEntry plain = Journal().Ops("post").back();
    EXPECT_TRUE(plain.IsNull("image"));
    EXPECT_TRUE(plain.Objects("buttons").empty());
    EXPECT_TRUE(plain.IsNull("default_button"));
    EXPECT_NE(*plain.Int("id"), *post.Int("id"));
}

TEST_F(UIToastTest, APressRunsOnlyThatButtonsCallbackOnceAfterTheToastEnded) {
    int first = 0, second = 0;
    std::string lastRecordAtCallback;
    toast->Init(nullptr);
    toast->AddButton("A", "", Counter(&first), false);
    toast->AddButton(
        "B", "",
        [&] {
            ++second;
            lastRecordAtCallback = MainTexts().back();
        },
        false);
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    int id = LastId();
    Input(id, 1);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(lastRecordAtCallback, "UI Toast Hide") << "the callback ran before Destroy";
    // The press already took it off the screen.
    EXPECT_TRUE(Journal().Ops("delete_all").back().Ints("ids").empty());

    // A late press of the ended toast reaches no callback.
    Input(id, 0);
    Input(id, 1);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(MainTexts(),
              (Texts{"UI Toast Hide", "[UI Toast show call=>C]", "UI Toast Hide", "UI Toast Hide",
                     "Event 0 not registered", "UI Toast Hide", "Event 1 not registered"}));

    // A button without a callback only ends the toast.
    toast->Init(nullptr);
    toast->AddButton("OK", "", nullptr, true);
    ASSERT_TRUE(toast->Show("T", "", "C2", 0));
    Input(LastId(), 0);
    EXPECT_EQ(MainTexts().back(), "UI Toast Hide");
    EXPECT_EQ(Journal().Ops("delete_all").size(), 2u);
}

TEST_F(UIToastTest, ACallbackThatShowsANewToastLeavesItOnScreen) {
    int again = 0;
    toast->Init(nullptr);
    toast->AddButton(
        "Retry", "",
        [&] {
            toast->Init(nullptr);
            toast->AddButton("Again", "", Counter(&again), true);
            toast->Show("Second", "", "second toast", 0);
        },
        true);
    ASSERT_TRUE(toast->Show("First", "", "first toast", 0));
    int firstId = LastId();
    Input(firstId, 0);
    int secondId = LastId();
    ASSERT_NE(secondId, firstId);
    EXPECT_EQ(Journal().Ops("post").back().Str("title"), "Second");
    RunLoopFor(0.3);
    EXPECT_TRUE(Journal().Events(secondId).empty()) << "the new toast was taken down";
    Input(secondId, 0);
    EXPECT_EQ(again, 1);
}

TEST_F(UIToastTest, ThePredicateIsAskedAtEveryShowAndARefusalEndsTheToast) {
    std::vector<bool> answers = {true, false};
    int asked = 0;
    toast->Init([&] { return answers[asked++]; });
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(toast->Show("T", "", "one", 0));
    int id = LastId();
    EXPECT_FALSE(toast->Show("T", "", "two", 0));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Journal().Ops("post").size(), 1u);
    EXPECT_EQ(Journal().Ops("delete_all").back().Ints("ids"), std::vector<long>{id});
    // Refused, the toast is gone until the next Init, and the predicate is not asked.
    toast->AddButton("Late", "", nullptr, false);
    EXPECT_FALSE(toast->Show("T", "", "three", 0));
    EXPECT_EQ(asked, 2);
    // The deletion of the first showing arrives when nothing is left to end.
    ASSERT_TRUE(RunLoopUntil([&] { return !Journal().Events(id).empty(); }, 2));
    EXPECT_EQ(MainTexts(),
              (Texts{"UI Toast Hide", "[UI Toast show call=>one]", "[UI Toast show call=>two]",
                     "[UIToast not allowed to show]", "UI Toast Hide",
                     "Call Init first,m_NotiHandler is NULL", "[UI Toast show call=>three]",
                     "Call Init first,m_NotiHandler is NULL", "UI Toast Hide",
                     "Event 201 not registered"}));
    EXPECT_EQ(Journal().Ops("delete_all").size(), 1u);

    // Refused at the first Show: nothing is posted at all.
    toast->Init([] { return false; });
    EXPECT_FALSE(toast->Show("T", "", "never", 0));
    EXPECT_EQ(Journal().Ops("post").size(), 1u);
}

TEST_F(UIToastTest, AThirdButtonIsRefusedAndTheFirstTwoKeepEverything) {
    int first = 0, second = 0, third = 0;
    toast->Init(nullptr);
    toast->AddButton("One", "/1.png", Counter(&first), false);
    toast->AddButton("Two", "/2.png", Counter(&second), true);
    toast->AddButton("Three", "/3.png", Counter(&third), false);
    EXPECT_EQ(MainTexts().back(), "[Button count is more than allowed]");
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    auto buttons = Journal().Ops("post")[0].Objects("buttons");
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].Str("text"), "One");
    EXPECT_EQ(buttons[0].Str("image"), "/1.png");
    EXPECT_EQ(buttons[1].Str("text"), "Two");
    EXPECT_EQ(buttons[1].Str("image"), "/2.png");
    EXPECT_EQ(Journal().Ops("post")[0].Int("default_button"), 2);
    Input(LastId(), 1);
    EXPECT_EQ(first + second * 10 + third * 100, 10);
}

TEST_F(UIToastTest, ATimeOutEndsTheToastAndReachesOnlyAnExitCallback) {
    toast->Init(nullptr);
    toast->AddButton("OK", "", nullptr, true);
    ASSERT_TRUE(toast->Show("T", "", "C", 1));
    int id = LastId();
    ASSERT_TRUE(RunLoopUntil([&] { return !Journal().Events(id).empty(); }, 3));
    EXPECT_EQ(Journal().Events(id), std::vector<int>{101});
    EXPECT_EQ(MainTexts().back(), "Event 101 not registered");

    int exits = 0;
    toast->Init(nullptr);
    toast->NotifyExit(Counter(&exits));
    ASSERT_TRUE(toast->Show("T", "", "C", 1));
    id = LastId();
    ASSERT_TRUE(RunLoopUntil([&] { return !Journal().Events(id).empty(); }, 3));
    RunLoopFor(0.2);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(MainTexts().back(), "UI Toast Hide");
}

TEST_F(UIToastTest, NotifyExitBeforeTheFirstInitLastsThroughItAndAfterInitUntilTheEnd) {
    int early = 0, late = 0;
    toast->NotifyExit(Counter(&early));
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    Input(LastId(), 100);
    EXPECT_EQ(early, 1);

    toast->Init(nullptr);
    toast->NotifyExit(Counter(&late));
    toast->Destroy();
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    Input(LastId(), 102);
    EXPECT_EQ(late, 0);
    EXPECT_EQ(early, 1);
    EXPECT_EQ(MainTexts().back(), "Event 102 not registered");
}

TEST_F(UIToastTest, AnEventAfterTheToastEndedEndsTheToastThatIsCurrentThen) {
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "old", 0));
    int oldId = LastId();
    toast->Destroy();
    ASSERT_TRUE(RunLoopUntil([&] { return !Journal().Events(oldId).empty(); }, 2));
    EXPECT_EQ(MainTexts(), (Texts{"UI Toast Hide", "[UI Toast show call=>old]", "UI Toast Hide",
                                  "UI Toast Hide", "Event 201 not registered"}));
    EXPECT_EQ(Journal().Ops("delete_all").size(), 1u);

    // Re-initialised before the deletion of the earlier toast is reported: that report ends
    // the new toast.
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "earlier", 0));
    int earlierId = LastId();
    toast->Init(nullptr);
    toast->AddButton("OK", "", nullptr, true);
    ASSERT_TRUE(toast->Show("T", "", "newer", 0));
    int newerId = LastId();
    ASSERT_TRUE(RunLoopUntil([&] { return !Journal().Events(earlierId).empty(); }, 2));
    EXPECT_EQ(MainTexts().back(), "Event 201 not registered");
    EXPECT_EQ(Journal().Ops("delete_all").back().Ints("ids"), std::vector<long>{newerId});
}

TEST_F(UIToastTest, DestroyDeletesOnlyWhenThereIsAToast) {
    toast->Destroy();
    EXPECT_EQ(MainTexts(), Texts{"UI Toast Hide"});
    EXPECT_TRUE(Journal().All().empty());
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    toast->Destroy();
    toast->Destroy();
    EXPECT_EQ(Journal().Ops("delete_all").size(), 1u);
    EXPECT_EQ(MainTexts().size(), 5u);
}

TEST_F(UIToastTest, ASecondShowPostsTheSameHandleAgainWithItsButtons) {
    int pressed = 0;
    toast->Init(nullptr);
    toast->AddButton("OK", "", Counter(&pressed), true);
    ASSERT_TRUE(toast->Show("First", "", "one", 60));
    ASSERT_TRUE(toast->Show("Second", "/i.png", "two", 30));
    auto posts = Journal().Ops("post");
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[1].Int("id"), posts[0].Int("id"));
    EXPECT_EQ(posts[1].Str("title"), "Second");
    EXPECT_EQ(posts[1].Str("content"), "two");
    EXPECT_EQ(posts[1].Str("image"), "/i.png");
    EXPECT_EQ(posts[1].Int("hide_timeout"), 30);
    ASSERT_EQ(posts[1].Objects("buttons").size(), 1u);
    Input(*posts[1].Int("id"), 0);
    EXPECT_EQ(pressed, 1);
}

TEST_F(UIToastTest, AHandleThatCannotBeCreatedIsAskedForAgainEachTime) {
    root->Fault("notification_create", "1 1");
    ReloadFaults();
    toast->Init(nullptr);
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_FALSE(toast->Show("T", "", "first", 0));
    EXPECT_TRUE(Journal().All().empty());
    EXPECT_TRUE(toast->Show("T", "", "second", 0));
    EXPECT_TRUE(Journal().Ops("post")[0].Objects("buttons").empty());
    EXPECT_EQ(MainTexts(),
              (Texts{"UI Toast Hide", "[Failed notification_create]", "[UI Toast show call=>first]",
                     "[Failed notification_create]", "[UI Toast show call=>second]"}));
    auto records = MainLog().All();
    EXPECT_EQ(records[1].file, "NotiHandler.cpp");
    EXPECT_EQ(records[1].function, "Handle");
}

TEST_F(UIToastTest, AButtonThePlatformRefusedLeavesItsNumberToTheNext) {
    root->Fault("notification_add_button", "-22");
    ReloadFaults();
    int refused = 0, taken = 0;
    toast->Init(nullptr);
    toast->AddButton("Refused", "/r.png", Counter(&refused), true);
    toast->AddButton("Taken", "", Counter(&taken), false);
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    const JournalEntry post = Journal().Ops("post")[0];
    auto buttons = post.Objects("buttons");
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].Int("button"), 1);
    EXPECT_EQ(buttons[0].Str("text"), "Taken");
    EXPECT_TRUE(buttons[0].IsNull("image"));
    EXPECT_TRUE(post.IsNull("default_button"));
    Input(*post.Int("id"), 0);
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(taken, 1);
}

TEST_F(UIToastTest, AFailedPostLeavesTheToastPreparedForAnotherShow) {
    root->Fault("notification_post_with_event_cb", "-5");
    ReloadFaults();
    int pressed = 0;
    toast->Init(nullptr);
    toast->AddButton("OK", "", Counter(&pressed), true);
    EXPECT_FALSE(toast->Show("T", "", "C", 0));
    EXPECT_TRUE(Journal().All().empty());
    EXPECT_EQ(MainTexts(),
              (Texts{"UI Toast Hide", "[UI Toast show call=>C]", " Fail to show popup "}));
    EXPECT_TRUE(toast->Show("T", "", "C", 0));
    Input(LastId(), 0);
    EXPECT_EQ(pressed, 1);
}

TEST_F(UIToastTest, WithoutAHandlerNothingButTheHintHappens) {
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_FALSE(toast->Show("T", "", "before init", 0));
    g_failNothrowNew = true;
    toast->Init(nullptr);
    g_failNothrowNew = false;
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_FALSE(toast->Show("T", "", "no handler", 0));
    EXPECT_TRUE(Journal().All().empty());
    EXPECT_EQ(MainTexts(),
              (Texts{"Call Init first,m_NotiHandler is NULL", "[UI Toast show call=>before init]",
                     "Call Init first,m_NotiHandler is NULL", "UI Toast Hide",
                     "Call Init first,m_NotiHandler is NULL", "[UI Toast show call=>no handler]",
                     "Call Init first,m_NotiHandler is NULL"}));
}

// The toast of a process that ends goes with it, whatever its own time-out; pressed while
// the process runs, it reaches that process's callback.
TEST_F(UIToastTest, AToastLeavesTheScreenWhenItsProcessEnds) {
    std::string peer = std::string(BRELTA_HELPER_DIR) + "/toast_peer";
    ToolRun still(*root, peer);
    RunResult r = still.Run({"left on screen", "0.5"}, 10);
    ASSERT_EQ(r.exitCode, 0);
    NotificationJournal journal = Journal();
    ASSERT_EQ(journal.Ops("post").size(), 1u);
    long id = *journal.Ops("post")[0].Int("id");
    auto deletes = journal.Ops("delete_all");
    ASSERT_FALSE(deletes.empty());
    EXPECT_EQ(deletes.back().Int("pid"), r.pid);
    EXPECT_EQ(deletes.back().Ints("ids"), std::vector<long>{id});
    auto destructor = MainLog().ByFunction("~UIToast", r.pid);
    ASSERT_EQ(destructor.size(), 2u);
    EXPECT_EQ(destructor[0].text, "START");
    EXPECT_EQ(destructor[1].text, "END");
    EXPECT_EQ(MainLog().Texts(r.pid).back(), "END");

    ToolRun pressed(*root, peer);
    pid_t pid = pressed.Start({"pressed", "10"});
    int pressedId = NotificationJournal::WaitForPost(*root, pid, 5);
    ASSERT_GT(pressedId, 0);
    double start = brelta::test::MonotonicSeconds();
    root->Write("notifications/input/" + std::to_string(pressedId), "0\n");
    r = pressed.Wait(10);
    RecordProperty("press_to_exit_ms",
                   static_cast<int>((brelta::test::MonotonicSeconds() - start) * 1000));
    EXPECT_EQ(r.out, "pressed\n");
    EXPECT_EQ(Journal().Events(pressedId), std::vector<int>{0});
    EXPECT_TRUE(Journal().Ops("delete_all").back().Ints("ids").empty());
}

}  // namespace
