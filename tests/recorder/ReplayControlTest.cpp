// A replay stays in the user's control: it yields every slice whatever the list holds, idles
// through passes that do nothing, and stops at a press of the panic key that it did not inject.
#include "RecorderFixture.h"

#include "recorder/VirtualKeys.h"

#include <algorithm>

namespace tvk::testing {
namespace {

using namespace std::chrono_literals;
using ReplayControlTest = RecorderFixture;

// The longest stretch of virtual time without a yield, from the first to the last moment given.
double longestGapMs(const std::vector<std::chrono::nanoseconds>& yields, std::chrono::nanoseconds end) {
    std::chrono::nanoseconds last{0}, longest{0};
    for (auto t : yields) {
        longest = std::max(longest, t - last);
        last = t;
    }
    longest = std::max(longest, end - last);
    return std::chrono::duration<double, std::milli>(longest).count();
}

TEST_F(ReplayControlTest, EveryKindOfListYieldsAtLeastEverySlice) {
    struct Case {
        const char* name;
        std::function<void()> fill;
        bool cancelWaits;
    };
    const std::vector<Case> cases{
        {"keys without waits",
         [&] {
             for (int i = 0; i < 200; ++i)
                 add(KeyBoard, i % 2 == 0, 0, 0, 'A');
         },
         false},
        {"waits of 9 ms",
         [&] {
             for (int i = 0; i < 100; ++i) {
                 add(Wait, false, 0, 0, 9);
                 add(KeyBoard, i % 2 == 0, 0, 0, 'A');
             }
         },
         false},
        {"a filter that cancels every wait",
         [&] {
             for (int i = 0; i < 100; ++i) {
                 add(Wait, false, 0, 0, 500);
                 add(KeyBoard, i % 2 == 0, 0, 0, 'A');
             }
         },
         true},
    };
    for (const auto& c : cases) {
        backend = std::make_shared<SimulatedBackend>();
        recorder = std::make_shared<clsRecorder>(backend);
        list = makeList();
        recorder->Events = list;
        c.fill();
        // Each event costs 0.7 ms of work, as a filter script or the list view would.
        auto work = recorder->ExecutingEvent.connect([&](int32_t i, bool& cancel) {
            backend->advance(700us);
            if (c.cancelWaits && list->EventType(i) == Wait) cancel = true;
        });
        for (int pass = 0; pass < 3; ++pass)
            recorder->ReplayEvents(0, -1);
        EXPECT_GT(backend->yieldCount(), 0) << c.name;
        EXPECT_LE(longestGapMs(backend->yieldTimes(), backend->monotonicNow()), 10.7) << c.name;
    }
}

TEST_F(ReplayControlTest, PassesThatDoNothingIdleOneSliceEach) {
    struct Case {
        const char* name;
        std::vector<Ev> events;
        bool cancelAll;
    };
    const std::vector<Case> cases{
        {"an empty list", {}, false},
        {"waits of no length and unknown types", {waitEv(0), waitEv(-4), {9, true, 0, 0, 'A'}}, false},
        {"a filter that cancels everything", {keyEv('A', true), waitEv(50)}, true},
    };
    for (const auto& c : cases) {
        backend = std::make_shared<SimulatedBackend>();
        recorder = std::make_shared<clsRecorder>(backend);
        list = makeList();
        recorder->Events = list;
        for (const auto& e : c.events)
            add(e.type, e.pressed, e.x, e.y, e.data);
        auto veto = recorder->ExecutingEvent.connect([&](int32_t, bool& cancel) { cancel = c.cancelAll; });
        for (int pass = 0; pass < 5; ++pass)
            recorder->ReplayEvents(0, -1);
        EXPECT_DOUBLE_EQ(nowMs(), 50.0) << c.name;
        EXPECT_EQ(backend->yieldCount(), 5) << c.name;
        EXPECT_TRUE(backend->injections().empty()) << c.name;
    }
}

TEST_F(ReplayControlTest, ThePanicKeyStopsOnlyWhenTheUserPressesIt) {
    recorder->setStopKey(vk::Escape);
    for (int i = 0; i < 20; ++i) {
        add(KeyBoard, true, 0, 0, vk::Escape); // replayed presses of the stop key never stop it
        add(KeyBoard, false, 0, 0, vk::Escape);
        add(Wait, false, 0, 0, 25);
    }
    backend->scheduleKey(203, vk::Escape, true);
    backend->scheduleKey(204, vk::Escape, false);
    recorder->watchStopKey(true);
    recorder->ReplayEvents(0, -1);
    EXPECT_TRUE(recorder->stoppedByUser());
    EXPECT_LE(nowMs(), 213.0) << "stopped within a slice of the press";
    for (const auto& in : backend->injections())
        EXPECT_LT(in.at, 204ms) << "nothing is injected after the stop";
    // Later passes of the same replay do nothing; watching again starts afresh.
    backend->clearInjections();
    recorder->ReplayEvents(0, 1);
    EXPECT_TRUE(backend->injections().empty());
    recorder->watchStopKey(true);
    EXPECT_FALSE(recorder->stoppedByUser());
    recorder->ReplayEvents(0, 1);
    EXPECT_EQ(backend->injections().size(), 2u);

    // Turned off (0) or not watched, the key does nothing.
    for (int32_t key : {0, int32_t{vk::Escape}}) {
        recorder->setStopKey(key);
        recorder->watchStopKey(key == 0);
        if (key != 0) recorder->watchStopKey(false);
        backend->scheduleKey(static_cast<int64_t>(nowMs()) + 30, vk::Escape, true);
        backend->scheduleKey(static_cast<int64_t>(nowMs()) + 31, vk::Escape, false);
        const double start = nowMs();
        recorder->ReplayEvents(0, 8);
        EXPECT_FALSE(recorder->stoppedByUser()) << "key " << key;
        EXPECT_DOUBLE_EQ(nowMs() - start, 75.0) << "key " << key;
    }
}

TEST_F(ReplayControlTest, TheStopKeyEndsARecordingAndLeavesItsPressOut) {
    recorder->setStopKey(vk::Escape);
    backend->scheduleKey(20, 'H', true);
    backend->scheduleKey(30, 'H', false);
    backend->scheduleKey(52, vk::Escape, true);
    backend->scheduleKey(56, vk::Escape, false);
    stopAt(500); // only when the key does not stop it
    recorder->watchStopKey(true);
    recorder->InitiateRecording(10);
    EXPECT_TRUE(recorder->stoppedByUser());
    EXPECT_LE(nowMs(), 60.0) << "ended at the first yield after the press";
    auto got = eventsOf(*list);
    std::erase_if(got, [](const Ev& e) { return e.type == Wait; });
    EXPECT_EQ(got, (std::vector<Ev>{keyEv('H', true), keyEv('H', false)}));

    // A stop by the user holds until the key is watched again: a recording then ends at once.
    const int32_t count = list->EventCount;
    const double stoppedAt = nowMs();
    recorder->InitiateRecording(10);
    EXPECT_EQ(list->EventCount, count);
    EXPECT_DOUBLE_EQ(nowMs(), stoppedAt);

    // Unwatched, the key is recorded like any other and the recording runs on.
    recorder->watchStopKey(false);
    list = makeList();
    recorder->Events = list;
    const auto t = static_cast<int64_t>(nowMs());
    backend->scheduleKey(t + 20, vk::Escape, true);
    backend->scheduleKey(t + 30, vk::Escape, false);
    stopAt(t + 60);
    recorder->InitiateRecording(10);
    EXPECT_FALSE(recorder->stoppedByUser());
    got = eventsOf(*list);
    std::erase_if(got, [](const Ev& e) { return e.type == Wait; });
    EXPECT_EQ(got, (std::vector<Ev>{keyEv(vk::Escape, true), keyEv(vk::Escape, false)}));
}

TEST_F(ReplayControlTest, RecordingDropsTheGestureThatStoppedIt) {
    // Input at x >= 1000 goes to the program's own windows.
    recorder->setOwnInputTest([](int32_t, CursorPoint at) { return at.x >= 1000; });
    backend->setCursor(10, 10);
    backend->scheduleKey(20, vk::LButton, true); // into the target
    backend->scheduleKey(40, vk::LButton, false);
    backend->scheduleKey(60, 'H', true);
    backend->scheduleKey(80, 'H', false);
    backend->scheduleCursor(100, 1005, 5);
    backend->scheduleKey(150, vk::LButton, true); // into the program's own window
    backend->scheduleKey(170, vk::LButton, false);
    backend->scheduleKey(200, vk::LControl, true);
    backend->scheduleKey(220, 'R', true);
    stopAt(225);
    recorder->InitiateRecording(10);
    auto got = eventsOf(*list);
    std::erase_if(got, [](const Ev& e) { return e.type == Wait; });
    EXPECT_EQ(got,
              (std::vector<Ev>{moveEv(10, 10), clickEv(vk::LButton, true, 10, 10), clickEv(vk::LButton, false, 10, 10),
                               keyEv('H', true, 10, 10), keyEv('H', false, 10, 10), moveEv(1005, 5)}));

    // A hotkey pressed into another window and released before the stop leaves nothing either.
    backend->setKeyDown(vk::LControl, false);
    backend->setKeyDown('R', false);
    backend->setCursor(10, 10);
    list = makeList();
    recorder->Events = list;
    const int64_t t = static_cast<int64_t>(nowMs());
    backend->scheduleKey(t + 20, 'Q', true);
    backend->scheduleKey(t + 40, 'Q', false);
    backend->scheduleKey(t + 60, vk::LShift, true);
    backend->scheduleKey(t + 80, vk::F1 + 8, true);
    backend->scheduleKey(t + 90, vk::F1 + 8, false);
    backend->scheduleAction(t + 105, [&] { recorder->StopProcess({vk::Shift, vk::LShift, vk::F1 + 8}); });
    recorder->InitiateRecording(10);
    got = eventsOf(*list);
    std::erase_if(got, [](const Ev& e) { return e.type == Wait; });
    EXPECT_EQ(got, (std::vector<Ev>{moveEv(10, 10), keyEv('Q', true, 10, 10), keyEv('Q', false, 10, 10)}));
}

TEST_F(ReplayControlTest, RecordingLeavesOutTheProgramsCommandKeys) {
    constexpr int32_t F9 = vk::F1 + 8, F10 = vk::F1 + 9, F11 = vk::F1 + 10;
    recorder->setCommandKeys({{F9, modifier::Control}, {F10, modifier::Control}, {F11, modifier::Alt}});
    // Started by Ctrl+F9, still held; Z was held before as well and is the user's.
    for (int32_t k : {int32_t{vk::LControl}, F9, int32_t{'Z'}})
        backend->setKeyDown(k, true);
    recorder->setStartGesture({F9, vk::Control, vk::LControl, vk::RControl});
    backend->scheduleKey(5, F9, false);
    backend->scheduleKey(8, vk::LControl, false);
    backend->scheduleKey(9, 'Z', false);
    backend->scheduleKey(15, 'H', true);
    backend->scheduleKey(25, 'H', false);
    backend->scheduleKey(45, vk::LControl, true); // Ctrl+F10: a command
    backend->scheduleKey(55, F10, true);
    backend->scheduleKey(65, F10, false);
    backend->scheduleKey(75, vk::LControl, false);
    backend->scheduleKey(95, 'Q', true);
    backend->scheduleKey(105, 'Q', false);
    backend->scheduleKey(115, vk::RMenu, true); // Alt+F11 within one poll: a command
    backend->scheduleKey(117, F11, true);
    backend->scheduleKey(122, F11, false);
    backend->scheduleKey(123, vk::RMenu, false);
    backend->scheduleKey(135, vk::LShift, true); // Shift+Ctrl+F10 is not Ctrl+F10
    backend->scheduleKey(135, vk::LControl, true);
    backend->scheduleKey(145, F10, true);
    backend->scheduleKey(155, F10, false);
    backend->scheduleKey(165, vk::LShift, false);
    backend->scheduleKey(175, 'A', true); // Ctrl+A with the Ctrl still held: the user's
    backend->scheduleKey(185, 'A', false);
    backend->scheduleKey(195, vk::LControl, false);
    stopAt(210);
    recorder->InitiateRecording(10);

    std::vector<Ev> keys;
    int32_t waited = 0;
    int32_t waitedBeforeQ = -1;
    for (const Ev& e : eventsOf(*list)) {
        if (e.type == Wait) waited += e.data;
        if (e.type == KeyBoard) keys.push_back(e);
        if (e == keyEv('Q', true)) waitedBeforeQ = waited;
    }
    EXPECT_EQ(keys,
              (std::vector<Ev>{keyEv('Z', false), keyEv('H', true), keyEv('H', false), keyEv('Q', true),
                               keyEv('Q', false), keyEv(vk::Shift, true), keyEv(vk::Control, true),
                               keyEv(vk::LShift, true), keyEv(vk::LControl, true), keyEv(F10, true), keyEv(F10, false),
                               keyEv(vk::Shift, false), keyEv(vk::LShift, false), keyEv('A', true), keyEv('A', false),
                               keyEv(vk::Control, false), keyEv(vk::LControl, false)}));
    EXPECT_EQ(waitedBeforeQ, 100) << "the Waits around what was left out keep their time";

    // The start gesture is for one recording only.
    backend->setKeyDown(vk::LControl, true);
    list = makeList();
    recorder->Events = list;
    const auto t = static_cast<int64_t>(nowMs());
    backend->scheduleKey(t + 5, vk::LControl, false);
    stopAt(t + 30);
    recorder->InitiateRecording(10);
    keys.clear();
    for (const Ev& e : eventsOf(*list))
        if (e.type == KeyBoard) keys.push_back(e);
    EXPECT_EQ(keys, (std::vector<Ev>{keyEv(vk::Control, false), keyEv(vk::LControl, false)}));
}

} // namespace
} // namespace tvk::testing
