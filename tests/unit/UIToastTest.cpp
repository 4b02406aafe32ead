// The toast's state machine on the ways no task takes it: more or refused buttons, exit
// callbacks, events that come after the toast ended, callbacks that show a toast of their
// own, and a platform that fails to make or post one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <new>
#include <notification.h>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "UIToast.h"

using brelta::test::HostFixture;
using Lines = std::vector<std::string>;

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

class UIToastTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        // The toast lives as long as the process: bring it to no handle and no callbacks.
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
    // Presses a button (0, 1) or hides (100, 102) through the input file; waits for delivery.
    void Input(int id, int event) {
        root->Write("notifications/input/" + std::to_string(id), std::to_string(event) + "\n");
        ASSERT_TRUE(AwaitJournal("event " + std::to_string(id) + " " + std::to_string(event)));
    }
    static std::function<void()> Counter(int* calls) {
        return [calls] { ++*calls; };
    }

    UIToast* toast = GetUIToastInstance();
};

// A refused button leaves its number to the next one; a third one is refused.
TEST_F(UIToastTest, RefusedAndThirdButtonsGetNoNumberAndNoCallback) {
    root->Fault("notification_add_button", "-22");
    int calls[4] = {};
    toast->Init(nullptr);
    toast->AddButton("Refused", "/refused.png", Counter(&calls[0]), true);
    toast->AddButton("One", "/one.png", Counter(&calls[1]), false);
    toast->AddButton("Two", "", Counter(&calls[2]), true);
    toast->AddButton("Three", "", Counter(&calls[3]), false);
    ASSERT_TRUE(toast->Show("Title", "/icon.png", "Content", -3));
    // Images and the screen's settings are journalled whole: no task sets the images.
    EXPECT_EQ(root->Read("notifications/journal"),
              R"({"op":"post","id":1,"pid":)" + std::to_string(getpid()) +
                  R"(,"type":0,"title":"Title","content":"Content","image":"/icon.png",)"
                  R"("buttons":[{"button":1,"text":"One","image":"/one.png"},)"
                  R"({"button":2,"text":"Two","image":null}],"default_button":2,)"
                  R"("display_applist":16,"layout":1,"hide_timeout":-3})"
                  "\n");
    Input(1, 1);
    EXPECT_EQ(std::vector<int>(calls, calls + 4), (std::vector<int>{0, 0, 1, 0}));
    EXPECT_EQ(MainTexts(), (Lines{"UI Toast Hide", "[Button count is more than allowed]",
                                  "[UI Toast show call=>Content]", "UI Toast Hide"}));
}

// Exit callbacks set while there is no toast survive the Init that follows; set after Init,
// they go with that toast.
TEST_F(UIToastTest, EveryWayOfLeavingTheScreenButAPressReachesTheExitCallback) {
    int id = 0;  // a toast a row, each with an id of its own
    for (int event : {100, 102, 201, 101}) {
        int exits = 0;
        toast->NotifyExit(Counter(&exits));
        toast->Init(nullptr);
        ASSERT_TRUE(toast->Show("T", "", "C", event == 101 ? 1 : 0));
        ++id;
        if (event == 201) notification_delete_all(NOTIFICATION_TYPE_NOTI);
        if (event == 100 || event == 102) Input(id, event);
        EXPECT_TRUE(RunLoopUntil([&] { return exits > 0; }, 10)) << event;
    }
    int late = 0;
    toast->Init(nullptr);
    toast->NotifyExit(Counter(&late));
    toast->Destroy();
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "C", 0));
    Input(++id, 102);
    EXPECT_EQ(late, 0);
    EXPECT_EQ(MainTexts().back(), "Event 102 not registered");
}

// Init deletes the toast before, whose deletion is reported later: that report ends the toast
// that is current by then. Destroy deletes only while there is a toast.
TEST_F(UIToastTest, AnEventAfterTheToastEndedEndsTheToastThatIsCurrentThen) {
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "earlier", 0));
    toast->Init(nullptr);
    ASSERT_TRUE(toast->Show("T", "", "newer", 0));
    ASSERT_TRUE(AwaitJournal("event 2 201"));
    toast->Destroy();
    EXPECT_EQ(Journal(), (Lines{"post 1 T|earlier [] 0", "delete_all [1]", "post 2 T|newer [] 0",
                                "event 1 201", "delete_all [2]", "event 2 201"}));
}

// The callback runs after the toast was torn down, so a toast it shows stays.
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
    Input(1, 0);
    Input(2, 0);
    EXPECT_EQ(again, 1);
    EXPECT_EQ(Journal(),
              (Lines{"post 1 First|first toast [Retry*] 0", "event 1 0", "delete_all []",
                     "post 2 Second|second toast [Again*] 0", "event 2 0", "delete_all []"}));
}

TEST_F(UIToastTest, ThePredicateIsAskedAtEveryShowAndARefusalEndsTheToast) {
    std::vector<bool> answers = {true, false};
    size_t asked = 0;
    toast->Init([&] { return answers.at(asked++); });
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_TRUE(toast->Show("T", "", "one", 0));
    EXPECT_FALSE(toast->Show("T", "", "two", 0));
    EXPECT_FALSE(toast->Show("T", "", "three", 0));
    EXPECT_EQ(asked, 2u);
    EXPECT_EQ(Journal(), (Lines{"post 1 T|one [OK*] 0", "delete_all [1]"}));
}

TEST_F(UIToastTest, AFailedPostLeavesTheToastPreparedForAnotherShow) {
    root->Fault("notification_post_with_event_cb", "-5");
    int pressed = 0;
    toast->Init(nullptr);
    toast->AddButton("OK", "", Counter(&pressed), true);
    EXPECT_FALSE(toast->Show("T", "", "C", 0));
    EXPECT_TRUE(toast->Show("T", "", "C", 0));
    Input(1, 0);
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(Journal(), (Lines{"post 1 T|C [OK*] 0", "event 1 0", "delete_all []"}));
    EXPECT_EQ(MainTexts()[2], " Fail to show popup ");
}

// Without a handler (no Init, or its allocation failed) only the hint is logged; a handle the
// platform could not make is asked for again at the next call that needs it.
TEST_F(UIToastTest, WithoutAHandleNothingIsPostedUntilOneCanBeMade) {
    root->Fault("notification_create", "1 1");
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_FALSE(toast->Show("T", "", "before init", 0));
    toast->Init(nullptr);
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_FALSE(toast->Show("T", "", "first", 0));
    EXPECT_TRUE(toast->Show("T", "", "second", 0));
    g_failNothrowNew = true;
    toast->Init(nullptr);
    g_failNothrowNew = false;
    toast->AddButton("OK", "", nullptr, true);
    EXPECT_FALSE(toast->Show("T", "", "no handler", 0));
    EXPECT_EQ(Journal(), (Lines{"post 1 T|second [] 0", "delete_all [1]"}));
    EXPECT_EQ(MainTexts(),
              (Lines{"Call Init first,m_NotiHandler is NULL", "[UI Toast show call=>before init]",
                     "Call Init first,m_NotiHandler is NULL", "UI Toast Hide",
                     "[Failed notification_create]", "[UI Toast show call=>first]",
                     "[Failed notification_create]", "[UI Toast show call=>second]",
                     "UI Toast Hide", "Call Init first,m_NotiHandler is NULL",
                     "[UI Toast show call=>no handler]", "Call Init first,m_NotiHandler is NULL"}));
}

}  // namespace
