#include "RecorderFixture.h"

#include "events/RuntimeError.h"
#include "recorder/VirtualKeys.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace tvk::testing {
namespace {

using namespace std::chrono_literals;
using ReplayTest = RecorderFixture;

std::vector<int32_t> announcedIndices(clsRecorder& recorder, int32_t start, int32_t end) {
    std::vector<int32_t> seen;
    auto c = recorder.ExecutingEvent.connect([&](int32_t i, bool&) { seen.push_back(i); });
    recorder.ReplayEvents(start, end);
    c.disconnect();
    return seen;
}

TEST_F(ReplayTest, RangesAnnounceEveryIndexAndInvalidBoundsBecomeTheWholeList) {
    EXPECT_TRUE(announcedIndices(*recorder, -1, -1).empty()) << "empty list";
    for (int i = 0; i < 5; ++i)
        add(Wait, false, 0, 0, 0);
    const std::vector<std::tuple<int32_t, int32_t, std::vector<int32_t>>> cases{
        {-1, -1, {0, 1, 2, 3, 4}}, {3, 1, {}},  {1, 3, {1, 2, 3}},        {2, 99, {2, 3, 4}},
        {99, 1, {0, 1}},           {4, 4, {4}}, {5, -1, {0, 1, 2, 3, 4}},
    };
    for (const auto& [start, end, expected] : cases) {
        EXPECT_EQ(announcedIndices(*recorder, start, end), expected) << start << ".." << end;
    }
}

TEST_F(ReplayTest, KeysAreInjectedAsPressesAndReleases) {
    add(KeyBoard, true, 0, 0, 'A');
    add(KeyBoard, false, 0, 0, 'A');
    add(KeyBoard, true, 0, 0, 0);
    add(KeyBoard, true, 0, 0, 255);
    add(7, true, 0, 0, 'X'); // unknown type: ignored
    recorder->ReplayEvents(0, -1);
    const auto keys = injectionsOf(Kind::Key);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(std::make_pair(keys[0].code, keys[0].down), std::make_pair(int32_t{'A'}, true));
    EXPECT_EQ(std::make_pair(keys[1].code, keys[1].down), std::make_pair(int32_t{'A'}, false));
    EXPECT_EQ(keys[2].code, 0);
    EXPECT_EQ(keys[3].code, 255);
    EXPECT_EQ(backend->injections().size(), 4u);
}

TEST_F(ReplayTest, KeyCodeOutsideAByteRaisesOverflowAndEndsTheReplay) {
    for (int32_t bad : {256, -1, std::numeric_limits<int32_t>::min()}) {
        list = makeList();
        recorder->Events = list;
        backend->clearInjections();
        add(KeyBoard, true, 0, 0, 'A');
        add(KeyBoard, true, 0, 0, bad);
        add(KeyBoard, true, 0, 0, 'B');
        try {
            recorder->ReplayEvents(0, -1);
            ADD_FAILURE() << "key " << bad << " accepted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::Overflow);
        }
        ASSERT_EQ(injectionsOf(Kind::Key).size(), 1u) << bad;
        EXPECT_FALSE(recorder->isReplaying());
    }
}

TEST_F(ReplayTest, ClicksPressTheirButtonAtTheirPositionAndOtherDataOnlyMoves) {
    struct Case {
        int32_t data;
        bool pressed;
        bool injected;
    };
    const std::vector<Case> cases{
        {1, true, true},  {1, false, true},  {2, true, true},    {2, false, true},   {4, true, true},
        {4, false, true}, {5, true, true},   {5, false, true},   {6, true, true},    {6, false, true},
        {3, true, false}, {0, false, false}, {100, true, false}, {-7, false, false},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        add(MouseClick, cases[i].pressed, 10 + int32_t(i), 500, cases[i].data);
    recorder->ReplayEvents(0, -1);
    const auto& log = backend->injections();
    size_t at = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        ASSERT_LT(at, log.size());
        const auto& move = log[at++];
        EXPECT_EQ(move.kind, Kind::Cursor) << "cursor set before the button, case " << i;
        EXPECT_EQ(move.pos, (CursorPoint{10 + int32_t(i), 500}));
        if (!cases[i].injected) continue;
        ASSERT_LT(at, log.size());
        const auto& click = log[at++];
        EXPECT_EQ(click.kind, Kind::Button);
        EXPECT_EQ(std::make_pair(click.code, click.down), std::make_pair(cases[i].data, cases[i].pressed));
        EXPECT_EQ(click.pos, move.pos);
    }
    EXPECT_EQ(at, log.size());
}

TEST_F(ReplayTest, WheelTurnsAtItsPositionEndingTheGlideAndUnknownTypesAreSkipped) {
    add(MouseMove, false, 500, 500, 0);
    add(Wait, false, 0, 0, 30);
    add(MouseWheel, false, 10, 20, 180);
    add(Wait, false, 0, 0, 30); // the glide ended: no steps
    add(MouseWheel, true, 5, 6, -120);
    add(5, true, 7, 8, 120); // a type this program does not know
    add(MouseWheel, false, 0, 0, std::numeric_limits<int32_t>::max());
    add(MouseWheel, false, 0, 0, std::numeric_limits<int32_t>::min());
    recorder->ReplayEvents(0, -1);
    std::vector<std::tuple<int32_t, WheelAxis, CursorPoint>> turns;
    for (const auto& i : injectionsOf(Kind::Wheel))
        turns.emplace_back(i.delta, i.axis, i.pos);
    const std::vector<std::tuple<int32_t, WheelAxis, CursorPoint>> expected{
        {180, WheelAxis::Vertical, {10, 20}},
        {-120, WheelAxis::Horizontal, {5, 6}},
        {120000, WheelAxis::Vertical, {0, 0}}, // bounded, so that a replay stays stoppable
        {-120000, WheelAxis::Vertical, {0, 0}},
    };
    EXPECT_EQ(turns, expected);
    const auto moves = cursorMoves();
    ASSERT_GE(moves.size(), 4u);
    EXPECT_EQ(moves[moves.size() - 3], (CursorPoint{5, 6}));
    EXPECT_EQ(std::count(moves.begin(), moves.end(), CursorPoint{10, 20}), 1) << "no glide step after the turn";
}

TEST_F(ReplayTest, WaitSlicesStepTheGlideAndSleepTheRest) {
    struct Case {
        int32_t ms;
        std::vector<double> sleepEnds;
        size_t steps;
        double speed = 1;
        int yields = -1; // -1: one per glide step
    };
    const std::vector<Case> cases{
        {25, {10, 20, 25}, 2},
        {10, {10}, 0},
        {11, {10, 11}, 1},
        {0, {}, 0},
        {-5, {}, 0},
        {20, {10, 20}, 1},
        // Other speeds keep the steps and shorten or stretch every slice.
        {25, {2.5, 5, 6.25}, 2, 4},
        // A slice stretched beyond 10 ms still yields every 10 ms.
        {25, {10, 20, 30, 40, 50}, 2, 0.5, 4},
        {25, {1, 2, 2.5}, 2, 1000},                                   // at most 10 times as fast
        {10, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}, 0, 0.001, 9}, // at least a tenth
        {10, {10}, 0, std::nan("")},                                  // no number: as recorded
    };
    for (const auto& c : cases) {
        backend = std::make_shared<SimulatedBackend>();
        recorder = std::make_shared<clsRecorder>(backend);
        recorder->setSpeed(c.speed);
        list = makeList();
        recorder->Events = list;
        list->MouseUpDetail = 10000; // a long glide that every slice steps
        add(MouseMove, false, 5000, 0, 0);
        add(Wait, false, 0, 0, c.ms);
        recorder->ReplayEvents(0, -1);
        std::vector<double> ends;
        for (auto t : backend->sleepEnds())
            ends.push_back(std::chrono::duration<double, std::milli>(t).count());
        EXPECT_EQ(ends, c.sleepEnds) << "wait " << c.ms << " at speed " << c.speed;
        EXPECT_EQ(cursorMoves().size(), c.steps) << "wait " << c.ms;
        EXPECT_EQ(backend->yieldCount(), c.yields < 0 ? static_cast<int>(c.steps) : c.yields) << "wait " << c.ms;
    }
}

TEST_F(ReplayTest, GlideMovesInEqualStepsAndComesToRestOnTheTarget) {
    add(MouseMove, false, 100, 100, 0);
    add(Wait, false, 0, 0, 50);
    add(Wait, false, 0, 0, 100);
    recorder->ReplayEvents(0, 1);
    EXPECT_EQ(cursorMoves(), (std::vector<CursorPoint>{{20, 20}, {40, 40}, {60, 60}, {80, 80}}));
    EXPECT_TRUE(cursorMoves().size() == 4u) << "the move itself sets no cursor";
    recorder->ReplayEvents(2, 2); // the glide outlives the replay call and lands once
    EXPECT_EQ(cursorMoves().back(), (CursorPoint{100, 100}));
    EXPECT_EQ(cursorMoves().size(), 5u);
}

TEST_F(ReplayTest, GlideWithAFractionalStepCountNeverPassesItsTarget) {
    for (int32_t detail : {30, 55, 70, 1000}) {
        for (CursorPoint target : {CursorPoint{100, -37}, CursorPoint{-1, 1}, CursorPoint{0, 999}}) {
            backend = std::make_shared<SimulatedBackend>();
            recorder = std::make_shared<clsRecorder>(backend);
            list = makeList();
            recorder->Events = list;
            list->MouseUpDetail = detail;
            add(MouseMove, false, target.x, target.y, 0);
            add(Wait, false, 0, 0, 3000);
            recorder->ReplayEvents(0, -1);
            const auto moves = cursorMoves();
            ASSERT_FALSE(moves.empty());
            EXPECT_EQ(moves.back(), target) << "detail " << detail;
            const auto planned = static_cast<size_t>(std::ceil(detail / 10.0));
            EXPECT_EQ(moves.size(), planned) << "detail " << detail;
            for (const auto& p : moves) {
                EXPECT_LE(std::abs(p.x), std::abs(target.x)) << "detail " << detail;
                EXPECT_LE(std::abs(p.y), std::abs(target.y)) << "detail " << detail;
            }
        }
    }
}

TEST_F(ReplayTest, DetailBelowTenMovesStraightToTheTarget) {
    for (int32_t detail : {0, 9, -50}) {
        backend->clearInjections();
        list->MouseUpDetail = detail;
        while (list->EventCount > 0)
            list->RemoveEvent(0);
        add(MouseMove, false, 40 + detail, 60, 0);
        add(Wait, false, 0, 0, 100);
        recorder->ReplayEvents(0, -1);
        EXPECT_EQ(cursorMoves(), (std::vector<CursorPoint>{{40 + detail, 60}})) << "detail " << detail;
    }
}

TEST_F(ReplayTest, ClickEndsTheGlideAndPressSelectsTheDownDetail) {
    list->MouseUpDetail = 50;
    list->MouseDownDetail = 100;
    add(MouseMove, false, 100, 0, 0);
    add(Wait, false, 0, 0, 20);         // one step: (20, 0)
    add(MouseClick, true, 500, 500, 1); // ends the glide, sets the cursor
    add(Wait, false, 0, 0, 40);         // no glide: nothing moves
    add(MouseMove, false, 600, 500, 0); // planned over 100 / 10 steps
    add(Wait, false, 0, 0, 30);         // two steps of 10
    recorder->ReplayEvents(0, -1);
    EXPECT_EQ(cursorMoves(), (std::vector<CursorPoint>{{20, 0}, {500, 500}, {510, 500}, {520, 500}}));
}

TEST_F(ReplayTest, CancelSkipsAnEventAndAnyOfSeveralSubscribersMayCancel) {
    add(Wait, false, 0, 0, 1000);
    add(KeyBoard, true, 0, 0, 'A');
    add(KeyBoard, true, 0, 0, 'B');
    std::vector<int32_t> first, second;
    auto c1 = recorder->ExecutingEvent.connect([&](int32_t i, bool&) { first.push_back(i); });
    auto c2 = recorder->ExecutingEvent.connect([&](int32_t i, bool& cancel) {
        second.push_back(i);
        if (i != 2) cancel = true;
    });
    recorder->ReplayEvents(0, -1);
    EXPECT_EQ(first, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(second, first);
    EXPECT_DOUBLE_EQ(nowMs(), 0.0) << "a cancelled Wait does not sleep";
    ASSERT_EQ(injectionsOf(Kind::Key).size(), 1u);
    EXPECT_EQ(injectionsOf(Kind::Key)[0].code, 'B');
}

TEST_F(ReplayTest, EventIsReadAfterItsNotification) {
    add(KeyBoard, true, 0, 0, 'A');
    add(KeyBoard, true, 0, 0, 'B');
    auto c = recorder->ExecutingEvent.connect([&](int32_t i, bool&) {
        if (i == 0) list->setEventData(0, 'C');
        if (i == 1) {
            list->setEventType(1, Wait);
            list->setEventData(1, 30);
        }
    });
    recorder->ReplayEvents(0, -1);
    ASSERT_EQ(injectionsOf(Kind::Key).size(), 1u);
    EXPECT_EQ(injectionsOf(Kind::Key)[0].code, 'C');
    EXPECT_DOUBLE_EQ(nowMs(), 30.0);
}

TEST_F(ReplayTest, StopDuringALongWaitEndsItAtTheNextSlice) {
    add(Wait, false, 0, 0, 1000);
    add(KeyBoard, true, 0, 0, 'A');
    stopAt(95);
    recorder->ReplayEvents(0, -1);
    EXPECT_DOUBLE_EQ(nowMs(), 100.0);
    EXPECT_TRUE(injectionsOf(Kind::Key).empty());

    // A stop requested between two calls is forgotten by the next one.
    recorder->StopProcess();
    recorder->ReplayEvents(1, 1);
    EXPECT_EQ(injectionsOf(Kind::Key).size(), 1u);
}

TEST_F(ReplayTest, HandlerStoppingTheReplayEndsItBeforeTheNextEvent) {
    add(KeyBoard, true, 0, 0, 'A');
    add(KeyBoard, true, 0, 0, 'B');
    auto c = recorder->ExecutingEvent.connect([&](int32_t i, bool&) {
        if (i == 0) recorder->StopProcess();
    });
    recorder->ReplayEvents(0, -1);
    ASSERT_EQ(injectionsOf(Kind::Key).size(), 1u) << "the announced event still runs";
    EXPECT_EQ(injectionsOf(Kind::Key)[0].code, 'A');
}

TEST_F(ReplayTest, WaitDeadlinesAbsorbOversleepAndYieldTime) {
    backend->setSleepOvershoot(150us);
    backend->setYieldCost(1ms);
    add(Wait, false, 0, 0, 10000);
    add(Wait, false, 0, 0, 5);
    recorder->ReplayEvents(0, -1);
    // Only the last sleep overshoots: 999 slices of yield time are absorbed, and the second wait
    // starts where the first was due to end.
    EXPECT_NEAR(nowMs(), 10005.150, 1e-6);
}

TEST_F(ReplayTest, ConsecutiveWaitsKeepTheirScheduleUnlessAHandlerIsSlow) {
    backend->setSleepOvershoot(200us);
    for (char key : {'A', 'B', 'C'}) {
        add(Wait, false, 0, 0, 100);
        add(KeyBoard, true, 0, 0, key);
    }
    add(Wait, false, 0, 0, 100);
    auto c = recorder->ExecutingEvent.connect([&](int32_t i, bool&) {
        if (i == 3) backend->advance(3ms);  // within a slice: caught up by the next wait
        if (i == 5) backend->advance(25ms); // longer: the schedule moves on from here
    });
    recorder->ReplayEvents(0, -1);
    std::vector<double> keyTimes;
    for (const auto& k : injectionsOf(Kind::Key))
        keyTimes.push_back(std::chrono::duration<double, std::milli>(k.at).count());
    ASSERT_EQ(keyTimes.size(), 3u);
    EXPECT_NEAR(keyTimes[0], 100.2, 1e-6);
    EXPECT_NEAR(keyTimes[1], 203.2, 1e-6);
    EXPECT_NEAR(keyTimes[2], 325.2, 1e-6);
    EXPECT_NEAR(nowMs(), 425.4, 1e-6);
}

TEST_F(ReplayTest, ReleaseHeldInputReleasesWhatTheReplayLeftDown) {
    add(KeyBoard, true, 0, 0, vk::Control);
    add(KeyBoard, true, 0, 0, 'R');
    add(KeyBoard, true, 0, 0, 'S');
    add(KeyBoard, false, 0, 0, 'S');
    add(MouseClick, true, 7, 8, 1);
    add(MouseClick, true, 7, 8, 6);
    add(MouseClick, false, 7, 8, 6);
    recorder->ReplayEvents(0, -1);
    backend->clearInjections();

    recorder->releaseHeldInput();
    const auto keys = injectionsOf(Kind::Key);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(std::make_tuple(keys[0].code, keys[0].down), std::make_tuple(int32_t{'R'}, false));
    EXPECT_EQ(std::make_tuple(keys[1].code, keys[1].down), std::make_tuple(int32_t{vk::Control}, false));
    const auto buttons = injectionsOf(Kind::Button);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(std::make_tuple(buttons[0].code, buttons[0].down), std::make_tuple(int32_t{vk::LButton}, false));
    EXPECT_FALSE(backend->isDown(vk::Control));
    EXPECT_FALSE(backend->isDown(vk::LButton));

    backend->clearInjections();
    recorder->releaseHeldInput();
    EXPECT_TRUE(backend->injections().empty()) << "nothing left to release";
}

TEST_F(ReplayTest, HandlersMayReplaceTheListOrDropTheRecorderMidReplay) {
    add(KeyBoard, true, 0, 0, 'A');
    add(Wait, false, 0, 0, 50);
    add(KeyBoard, true, 0, 0, 'B');
    add(KeyBoard, true, 0, 0, 'C');
    auto replacement = makeList();
    replacement->AddEvent(KeyBoard, true, 0, 0, 'X');
    replacement->AddEvent(KeyBoard, true, 0, 0, 'Y');
    replacement->AddEvent(KeyBoard, true, 0, 0, 'Z');
    std::weak_ptr<clsRecorder> weak = recorder;
    std::weak_ptr<clsEvents> original = list;
    clsRecorder* raw = recorder.get();
    backend->scheduleAction(20, [&] {
        raw->Events = replacement; // index 2 and later now come from this list
        list.reset();
        recorder.reset();
    });
    raw->ReplayEvents(0, -1);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(original.expired());
    std::string typed;
    for (const auto& k : injectionsOf(Kind::Key)) {
        if (k.down) typed += static_cast<char>(k.code);
    }
    EXPECT_EQ(typed, "AZ") << "index 3 is past the new list's end and reads as an empty Wait";
}

TEST_F(ReplayTest, MissingListOrBackendRaisesObjectNotSet) {
    recorder->Events.reset();
    try {
        recorder->ReplayEvents(0, -1);
        ADD_FAILURE() << "replayed without a list";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::ObjectNotSet);
    }
    EXPECT_FALSE(recorder->isReplaying());
    try {
        clsRecorder orphan(nullptr);
        ADD_FAILURE() << "made a recorder without a backend";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::ObjectNotSet);
    }
}

} // namespace
} // namespace tvk::testing
