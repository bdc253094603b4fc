#include "deferred/deferred_actions.h"
#include "plugin/natives.h"
#include "support/host_fixture.h"
#include "support/on_fibre.h"

#include <climits>
#include <string>

namespace {

using natives::GameTimer;

class DeferredActionsTest : public HostTest {
  protected:
    std::int32_t now = 0;
    int timerReads = 0;
    std::string ran;

    void SetUp() override {
        HostTest::SetUp();
        clearActions();
        sim::defineNative(GameTimer, "game timer", 0,
                          [this](const sim::NativeArgs&, sim::NativeResult& r) {
                              ++timerReads;
                              r.setI32(now);
                          });
    }
    void TearDown() override {
        clearActions();
        HostTest::TearDown();
    }

    std::function<void()> mark(std::string name) {
        return [this, name] { ran += name + ";"; };
    }
    void schedule(std::int32_t at, std::int32_t delay, std::function<void()> action) {
        now = at;
        runOnFibre([&] { scheduleAction(delay, std::move(action)); });
    }
    void pass(std::int32_t at) {
        now = at;
        runOnFibre([] { runDueActions(); });
    }
};

TEST_F(DeferredActionsTest, DelayZeroRunsInTheSecondPassAfterScheduling) {
    schedule(100, 0, mark("a"));
    EXPECT_TRUE(DeferredActions.main.empty());
    pass(100);
    EXPECT_EQ(ran, "");
    pass(100);
    EXPECT_EQ(ran, "a;");
    EXPECT_TRUE(DeferredActions.main.empty() && DeferredActions.pending.empty());
}

TEST_F(DeferredActionsTest, DueEntriesRunInSchedulingOrderNotDueOrder) {
    schedule(0, 1000, mark("A"));
    schedule(0, 500, mark("B"));
    pass(0); // both reach the main list
    pass(700);
    EXPECT_EQ(ran, "B;");
    ASSERT_EQ(DeferredActions.main.size(), 1u);
    EXPECT_EQ(DeferredActions.main[0].due, 1000);
    pass(1000); // due equal to now runs
    EXPECT_EQ(ran, "B;A;");
}

TEST_F(DeferredActionsTest, BothDueInOnePassRunFirstScheduledFirst) {
    schedule(0, 1000, mark("A"));
    schedule(0, 500, mark("B"));
    pass(0);
    pass(1200);
    EXPECT_EQ(ran, "A;B;");
}

TEST_F(DeferredActionsTest, NegativeDelayRunsAtItsFirstExamination) {
    schedule(50, -30, mark("n"));
    pass(50);
    EXPECT_EQ(ran, "");
    pass(50);
    EXPECT_EQ(ran, "n;");
}

TEST_F(DeferredActionsTest, ActionScheduledFromAnActionWaitsForALaterPass) {
    schedule(0, 0, [this] {
        ran += "outer;";
        scheduleAction(0, mark("inner"));
    });
    pass(0);
    pass(0);
    EXPECT_EQ(ran, "outer;");
    EXPECT_EQ(DeferredActions.main.size(), 1u);
    pass(0);
    EXPECT_EQ(ran, "outer;inner;");
}

TEST_F(DeferredActionsTest, ClearingFromInsideAnActionStopsThePass) {
    schedule(0, 0, [this] {
        ran += "clear;";
        clearActions();
    });
    schedule(0, 0, mark("after"));
    pass(0);
    schedule(0, 0, mark("pending")); // waits in the pending list during the next pass
    pass(0);
    EXPECT_EQ(ran, "clear;");
    EXPECT_TRUE(DeferredActions.main.empty());
    EXPECT_TRUE(DeferredActions.pending.empty());
}

TEST_F(DeferredActionsTest, ClearThenScheduleLeavesOnlyTheNewAction) {
    schedule(0, 0, [this] {
        clearActions();
        scheduleAction(5, mark("fresh"));
    });
    schedule(0, 0, mark("dropped"));
    pass(0);
    pass(0);
    ASSERT_EQ(DeferredActions.main.size(), 1u);
    EXPECT_EQ(DeferredActions.main[0].due, 5);
    EXPECT_TRUE(DeferredActions.pending.empty());
    pass(5);
    EXPECT_EQ(ran, "fresh;");
}

TEST_F(DeferredActionsTest, EmptyPassStillReadsTheTimer) {
    pass(0);
    pass(1);
    EXPECT_EQ(timerReads, 2);
}

TEST_F(DeferredActionsTest, DueTimeWrapsPastTheLargestSignedTime) {
    schedule(INT_MAX - 10, 100, mark("wrapped"));
    ASSERT_EQ(DeferredActions.pending.size(), 1u);
    EXPECT_EQ(DeferredActions.pending[0].due, INT_MIN + 89);
    pass(INT_MAX - 5);
    // A negative due time is already reached when the timer is still positive.
    pass(INT_MAX - 4);
    EXPECT_EQ(ran, "wrapped;");
}

TEST_F(DeferredActionsTest, EntryThatIsNotDueDoesNotHoldBackTheOnesBehindIt) {
    schedule(0, 500, mark("late"));
    schedule(0, 10, mark("early"));
    schedule(0, 20, mark("early2"));
    pass(0);
    pass(30);
    EXPECT_EQ(ran, "early;early2;");
    EXPECT_EQ(DeferredActions.main.size(), 1u);
}

} // namespace
