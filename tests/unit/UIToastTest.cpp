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
#include "ToastPosts.h"
#include "UIToast.h"

using brelta::test::HostFixture;
using brelta::test::JournalEntry;
using brelta::test::NotificationJournal;
using brelta::test::ToastPost;
using brelta::test::ToastPosts;

namespace {
// While set, allocations with std::nothrow fail: the only way to fail Init's handler.
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
        // The toast lives as long as the process: bring it to no handle and no callbacks.
        toast = GetUIToastInstance();
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
    std::vector<ToastPost> Posts() const { return ToastPosts(Journal()); }
    int LastId() const { return Journal().LastPostId(); }
    // Presses a button (0, 1) or hides (100, 102) and waits until the event was delivered.
    void Input(int id, int event) {
        root->Write("notifications/input/" + std::to_string(id), std::to_string(event) + "\n");
        size_t before = Journal().Events(id).size();
        ASSERT_TRUE(RunLoopUntil([&] { return Journal().Events(id).size() > before; }, 3));
    }
    static std::function<void()> Counter(int* calls) {
        return [calls] { ++*calls; };
    }

    UIToast* toast = nullptr;
};

TEST_F(UIToastTest, ShowPostsTheTextsButtonsAndTimeOutAndAgainOnTheSameHandle) {
    toast->Init(nullptr);
    toast->AddButton("OK", "/img/ok.png", nullptr, false);
    toast->AddButton("Cancel", "", nullptr, true);
    EXPECT_TRUE(toast->Show("Title", "/img/icon.png", "Content", -3));
    int id = LastId();
    EXPECT_EQ(Posts().at(0), (ToastPost{id, 0, "Title", "Content", {"OK", "Cancel"}, 2, -3}));
    const JournalEntry post = Journal().Ops("post")[0];
    EXPECT_EQ(post.Str("image"), "/img/icon.png");
    EXPECT_EQ(post.Objects("buttons")[0].Str("image"), "/img/ok.png");
    EXPECT_EQ(MainTexts(), (Texts{"UI Toast Hide", "[UI Toast show call=>Content]"}));

    ASSERT_TRUE(toast->Show("Second", "", "two", 30));
    EXPECT_EQ(Posts().at(1), (ToastPost{id, 0, "Second", "two", {"OK", "Cancel"}, 2, 30}));

    // Without buttons and icon, neither is set.
    toast->Init(nullptr);
    EXPECT_TRUE(toast->Show("Plain", "", "No icon", 60));
    EXPECT_NE(LastId(), id);
    EXPECT_EQ(Posts().back(), (ToastPost{LastId(), 0, "Plain", "No icon", {}, 0, 60}));
    EXPECT_TRUE(Journal().Ops("post").back().IsNull("image"));
}

// The callback is copied before Destroy empties the table and run after it.
TEST_F(UIToastTest, APressRunsThatButtonsCallbackOnceAfterTheToastEnded) {
    int first = 0, second = 0;
    std::string lastTextAtCallback;
    toast->Init(nullptr);
    toast->AddButton("A", "", Counter(&first), false);
    toast->AddButton(
        "B", "",
        [&] {
            ++second;
            lastTextAtCallback = MainTexts().back();
        },
        false);
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    int id = LastId();
    Input(id, 1);
    EXPECT_EQ(lastTextAtCallback, "UI Toast Hide");
    Input(id, 1);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(MainTexts().back(), "Event 1 not registered");
    EXPECT_EQ(Journal().Ops("delete_all").size(), 1u);
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
    EXPECT_TRUE(toast->Show("T", "", "one", 0));
    int id = LastId();
    EXPECT_FALSE(toast->Show("T", "", "two", 0));
    EXPECT_EQ(Journal().Ops("post").size(), 1u);
    EXPECT_EQ(Journal().Ops("delete_all").back().Ints("ids"), std::vector<long>{id});
    // Refused, the toast is gone until the next Init: the predicate is not asked again.
    EXPECT_FALSE(toast->Show("T", "", "three", 0));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(MainTexts(),
              (Texts{"UI Toast Hide", "[UI Toast show call=>one]", "[UI Toast show call=>two]",
                     "[UIToast not allowed to show]", "UI Toast Hide",
                     "[UI Toast show call=>three]", "Call Init first,m_NotiHandler is NULL"}));
}

TEST_F(UIToastTest, AThirdButtonIsRefusedAndTheFirstTwoKeepEverything) {
    int calls[3] = {};
    toast->Init(nullptr);
    toast->AddButton("One", "", Counter(&calls[0]), false);
    toast->AddButton("Two", "", Counter(&calls[1]), true);
    toast->AddButton("Three", "", Counter(&calls[2]), false);
    EXPECT_EQ(MainTexts().back(), "[Button count is more than allowed]");
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    EXPECT_EQ(Posts().at(0).buttons, (Texts{"One", "Two"}));
    EXPECT_EQ(Posts().at(0).defaultButton, 2);
    Input(LastId(), 1);
    EXPECT_EQ(calls[0] + calls[1] * 10 + calls[2] * 100, 10);
}

// Exit callbacks set before the first Init survive it (nothing to destroy yet); set after
// Init, they go with that toast.
TEST_F(UIToastTest, NotifyExitBeforeTheFirstInitLastsThroughItAndAfterInitUntilTheEnd) {
    int early = 0, late = 0;
    toast->NotifyExit(Counter(&early));
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "C", 1));
    int id = LastId();
    ASSERT_TRUE(RunLoopUntil([&] { return early > 0; }, 3)) << "the time-out reached no callback";
    EXPECT_EQ(Journal().Events(id), std::vector<int>{101});

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

// Destroy deletes only when there is a toast: not before Init, not a second time.
TEST_F(UIToastTest, AnEventAfterTheToastEndedEndsTheToastThatIsCurrentThen) {
    toast->Destroy();
    EXPECT_TRUE(Journal().All().empty());
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "old", 0));
    int oldId = LastId();
    toast->Destroy();
    toast->Destroy();
    ASSERT_TRUE(RunLoopUntil([&] { return !Journal().Events(oldId).empty(); }, 2));
    EXPECT_EQ(MainTexts().back(), "Event 201 not registered");
    EXPECT_EQ(Journal().Ops("delete_all").size(), 1u);

    // Re-initialised before the deletion of the earlier toast is reported: that report ends
    // the new toast.
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "earlier", 0));
    int earlierId = LastId();
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "newer", 0));
    int newerId = LastId();
    ASSERT_TRUE(RunLoopUntil([&] { return !Journal().Events(earlierId).empty(); }, 2));
    EXPECT_EQ(MainTexts().back(), "Event 201 not registered");
    EXPECT_EQ(Journal().Ops("delete_all").back().Ints("ids"), std::vector<long>{newerId});
}

TEST_F(UIToastTest, AHandleThatCannotBeCreatedIsAskedForAgainEachTime) {
    root->Fault("notification_create", "1 1");
    ReloadFaults();
    toast->Init(nullptr);
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_FALSE(toast->Show("T", "", "first", 0));
    EXPECT_TRUE(Journal().All().empty());
    EXPECT_TRUE(toast->Show("T", "", "second", 0));
    EXPECT_TRUE(Posts().at(0).buttons.empty());
    EXPECT_EQ(MainTexts(),
              (Texts{"UI Toast Hide", "[Failed notification_create]", "[UI Toast show call=>first]",
                     "[Failed notification_create]", "[UI Toast show call=>second]"}));
}

TEST_F(UIToastTest, AButtonThePlatformRefusedLeavesItsNumberToTheNext) {
    root->Fault("notification_add_button", "-22");
    ReloadFaults();
    int refused = 0, taken = 0;
    toast->Init(nullptr);
    toast->AddButton("Refused", "/r.png", Counter(&refused), true);
    toast->AddButton("Taken", "", Counter(&taken), false);
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    EXPECT_EQ(Posts().at(0), (ToastPost{LastId(), 0, "T", "C", {"Taken"}, 0, 0}));
    EXPECT_TRUE(Journal().Ops("post")[0].Objects("buttons")[0].IsNull("image"));
    Input(LastId(), 0);
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
    EXPECT_EQ(MainTexts().back(), " Fail to show popup ");
    EXPECT_TRUE(toast->Show("T", "", "C", 0));
    EXPECT_EQ(LastId(), 1) << "the failed post used up an id";
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

}  // namespace
