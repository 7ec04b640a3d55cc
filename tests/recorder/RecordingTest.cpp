#include "RecorderFixture.h"

#include "events/RuntimeError.h"
#include "recorder/VirtualKeys.h"

#include <limits>

namespace tvk::testing {
namespace {

using RecordingTest = RecorderFixture;

TEST_F(RecordingTest, KeyPressAndReleaseAreEachPrecededByTheirWait) {
    // Polls run at 0, 10, 20, ...: the press is seen at 40, the release at 80.
    backend->scheduleKey(35, 'A', true);
    backend->scheduleKey(75, 'A', false);
    stopAt(120);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(40), keyEv('A', true), waitEv(40), keyEv('A', false)}));
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(RecordingTest, SidedModifierRecordsGenericAndSidedCodeTogether) {
    backend->scheduleKey(15, vk::RShift, true);
    backend->scheduleKey(35, vk::RShift, false);
    stopAt(60);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(20), keyEv(vk::Shift, true), keyEv(vk::RShift, true), waitEv(20),
                                                keyEv(vk::Shift, false), keyEv(vk::RShift, false)}));
}

TEST_F(RecordingTest, ModifiersChangingWithAKeyInOnePollPressFirstAndReleaseLast) {
    // AltGr+Q (left Ctrl with right Alt) typed within one poll, then released within the next.
    for (int32_t code : {vk::RMenu, vk::LControl, static_cast<int32_t>('Q')})
        backend->scheduleKey(15, code, true);
    backend->scheduleKey(22, 'Q', false);
    backend->scheduleKey(25, vk::RMenu, false);
    backend->scheduleKey(25, vk::LControl, false);
    stopAt(50);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list),
              (std::vector<Ev>{waitEv(20), keyEv(vk::Control, true), keyEv(vk::Menu, true), keyEv(vk::LControl, true),
                               keyEv(vk::RMenu, true), keyEv('Q', true), waitEv(10), keyEv('Q', false),
                               keyEv(vk::Control, false), keyEv(vk::Menu, false), keyEv(vk::LControl, false),
                               keyEv(vk::RMenu, false)}));
}

TEST_F(RecordingTest, WheelTurnsOfOnePollBecomeOneEventPerAxisWhateverTheDetail) {
    list->MouseUpDetail = 1000; // thins moves, never turns
    backend->setCursor(40, 50);
    backend->scheduleWheel(15, WheelAxis::Vertical, 120);
    backend->scheduleWheel(17, WheelAxis::Vertical, 120);
    backend->scheduleWheel(17, WheelAxis::Horizontal, -60);
    backend->scheduleCursor(22, 41, 52);
    backend->scheduleWheel(25, WheelAxis::Vertical, -120);
    backend->scheduleWheel(33, WheelAxis::Vertical, 60);
    backend->scheduleWheel(34, WheelAxis::Vertical, -60); // turned back within the poll: nothing
    stopAt(50);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{moveEv(40, 50), waitEv(20), wheelEv(240, false, 40, 50),
                                                wheelEv(-60, true, 40, 50), waitEv(10), wheelEv(-120, false, 41, 52)}));
}

TEST_F(RecordingTest, WaitsEndAtTheMomentsThePlatformGivesItsChanges) {
    backend->setReportChangeTimes(true);
    backend->scheduleKey(13, 'A', true);
    backend->scheduleKey(58, 'A', false);
    backend->scheduleKey(61, vk::LButton, true);
    backend->scheduleCursor(85, 5, 5); // a move has no time of its own: stamped at the poll (90)
    backend->scheduleKey(77, vk::RShift, true);
    backend->scheduleKey(79, 'B', true);
    // Released before the stop: keys still held at the stop would be cut from the recording.
    backend->scheduleKey(92, 'B', false);
    backend->scheduleKey(93, vk::RShift, false);
    stopAt(110);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(13), keyEv('A', true), waitEv(45), keyEv('A', false), waitEv(3),
                                                clickEv(vk::LButton, true, 0, 0), waitEv(16), keyEv(vk::Shift, true),
                                                keyEv(vk::RShift, true), waitEv(2), keyEv('B', true), waitEv(11),
                                                moveEv(5, 5), waitEv(2), keyEv('B', false, 5, 5), waitEv(1),
                                                keyEv(vk::Shift, false, 5, 5), keyEv(vk::RShift, false, 5, 5)}));
}

TEST_F(RecordingTest, ButtonsCarryTheCursorOfTheirChangeAndKeysTheLastRead) {
    backend->setCursor(300, 200); // the first poll records where the cursor is
    backend->scheduleCursor(22, 310, 205);
    backend->scheduleKey(25, vk::LButton, true);
    backend->scheduleCursor(33, 330, 215); // not read again before the key
    backend->scheduleKey(38, 'K', true);
    backend->scheduleKey(45, vk::LButton, false);
    backend->scheduleKey(45, vk::XButton2, true);
    stopAt(60);
    list->MouseUpDetail = 1000; // keep later moves out of this test
    list->MouseDownDetail = 1000;
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list),
              (std::vector<Ev>{moveEv(300, 200), waitEv(30), clickEv(vk::LButton, true, 310, 205), waitEv(10),
                               keyEv('K', true, 310, 205), waitEv(10), clickEv(vk::LButton, false, 330, 215),
                               clickEv(vk::XButton2, true, 330, 215)}));
}

TEST_F(RecordingTest, UnrecordedKeysAndKeysHeldBeforeTheStart) {
    backend->setKeyDown('Q', true); // held before: only its release is recorded
    backend->scheduleKey(15, vk::Clear, true);
    backend->scheduleKey(15, 10, true);
    backend->scheduleKey(15, 11, true);
    backend->scheduleKey(25, 'Q', false);
    backend->scheduleAction(20, [this] { backend->pressUnmappedKey(); });
    stopAt(50);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(30), keyEv('Q', false)}));
    EXPECT_EQ(recorder->unrecordedKeys(), 1) << "a key without a code is counted, not lost silently";

    stopAt(80); // each recording counts its own
    recorder->InitiateRecording(10);
    EXPECT_EQ(recorder->unrecordedKeys(), 0);
}

TEST_F(RecordingTest, MoveSpacingFollowsTheDetailOfTheButtonState) {
    list->MouseUpDetail = 50;
    list->MouseDownDetail = 100;
    for (int t = 1; t < 900; ++t)
        backend->scheduleCursor(t, t, 2 * t); // moves every millisecond
    backend->scheduleKey(295, vk::LButton, true);
    backend->scheduleKey(595, vk::LButton, false);
    stopAt(900);
    recorder->InitiateRecording(10);

    std::vector<int32_t> moveTimes;
    for (int32_t i = 0; i < list->EventCount; ++i) {
        if (list->EventType(i) == MouseMove) {
            moveTimes.push_back(list->EventTime(i));
            EXPECT_EQ(list->EventPosY(i), 2 * list->EventPosX(i)) << "position read at the poll, index " << i;
        }
    }
    // Released: every 50 ms; from the press at 300 every 100 ms; from the release at 600 every 50 ms.
    EXPECT_EQ(moveTimes,
              (std::vector<int32_t>{10, 60, 110, 160, 210, 260, 310, 410, 510, 610, 660, 710, 760, 810, 860}));
}

TEST_F(RecordingTest, WaitExcludesTimeSpentInTheListHandlers) {
    // A slow list view: each appended event costs 7 ms, which belongs to no Wait.
    auto connection = list->ElementAdded.connect([this](int32_t) { backend->advance(std::chrono::milliseconds(7)); });
    backend->scheduleKey(35, 'A', true);
    backend->scheduleKey(75, 'A', false);
    stopAt(150);
    recorder->InitiateRecording(10);
    // Press seen at 40 (Wait 40, stamp 47 after its handler); the key event's handler ends at 54,
    // later polls run at 64, 74, 84: the release Wait is 84 - 47.
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(40), keyEv('A', true), waitEv(37), keyEv('A', false)}));
}

TEST_F(RecordingTest, WaitsStayPositiveAcrossTheTickCountWrap) {
    backend->setTickBase(std::numeric_limits<int32_t>::max() - 15);
    backend->scheduleKey(35, 'A', true);
    backend->scheduleKey(45, 'A', false);
    stopAt(60);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(40), keyEv('A', true), waitEv(10), keyEv('A', false)}));
}

TEST_F(RecordingTest, StopFromAHandlerEndsTheLoopAfterThatPoll) {
    backend->scheduleKey(5, 'B', true);   // seen at the poll at 10
    backend->scheduleKey(15, 'B', false); // seen at the poll at 20
    backend->scheduleKey(25, 'C', true);  // after the last poll: never seen
    stopAt(30);                           // runs in the yield after the poll at 20
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(10), keyEv('B', true), waitEv(10), keyEv('B', false)}));
    EXPECT_DOUBLE_EQ(nowMs(), 30.0);
}

TEST_F(RecordingTest, AKeyStillHeldAtTheStopIsNotRecorded) {
    backend->scheduleKey(15, 'B', true);
    stopAt(30);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(20)}));
}

TEST_F(RecordingTest, RejectsAMissingListAndANonPositiveInterval) {
    stopAt(0);
    for (int32_t interval : {0, -10}) {
        try {
            recorder->InitiateRecording(interval);
            ADD_FAILURE() << "interval " << interval << " accepted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::InvalidCall);
        }
    }
    recorder->Events.reset();
    try {
        recorder->InitiateRecording(10);
        ADD_FAILURE() << "recorded without a list";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::ObjectNotSet);
    }
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(RecordingTest, HandlerReplacingTheListRedirectsLaterEvents) {
    auto second = makeList();
    backend->scheduleKey(15, 'A', true);
    backend->scheduleAction(25, [&] {
        recorder->Events = second;
        list.reset(); // the first list is dropped while the loop runs
    });
    backend->scheduleKey(35, 'A', false);
    stopAt(50);
    std::weak_ptr<clsEvents> first = list;
    recorder->InitiateRecording(10);
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(eventsOf(*second), (std::vector<Ev>{waitEv(20), keyEv('A', false)}));
}

TEST_F(RecordingTest, HandlerDroppingTheRecorderDoesNotEndTheRunningLoopUnsafely) {
    std::weak_ptr<clsRecorder> weak = recorder;
    clsRecorder* raw = recorder.get();
    backend->scheduleAction(20, [this] { recorder.reset(); });
    backend->scheduleKey(25, 'Z', true);
    backend->scheduleKey(35, 'Z', false);
    backend->scheduleAction(50, [raw] { raw->StopProcess(); }); // alive until the loop returns
    raw->InitiateRecording(10);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(30), keyEv('Z', true), waitEv(10), keyEv('Z', false)}));
}

TEST_F(RecordingTest, ReplayNestedInARecordingIsRecorded) {
    auto source = makeList();
    source->AddEvent(KeyBoard, true, 0, 0, 'N');
    backend->scheduleAction(20, [&] {
        recorder->Events = source;
        recorder->ReplayEvents(0, -1);
        recorder->Events = list;
    });
    backend->scheduleKey(35, 'U', true); // the user goes on, so N is not the stop's
    backend->scheduleKey(45, 'U', false);
    stopAt(60);
    recorder->InitiateRecording(10);
    EXPECT_EQ(eventsOf(*list), (std::vector<Ev>{waitEv(20), keyEv('N', true), waitEv(20), keyEv('U', true), waitEv(10),
                                                keyEv('U', false)}));
}

TEST_F(RecordingTest, OneStopEndsANestedReplayAndTheRecording) {
    auto source = makeList();
    source->AddEvent(KeyBoard, true, 0, 0, 'N');
    source->AddEvent(Wait, false, 0, 0, 30);
    source->AddEvent(KeyBoard, true, 0, 0, 'M');
    backend->scheduleAction(20, [&] {
        recorder->Events = source;
        recorder->ReplayEvents(0, -1);
    });
    stopAt(35); // inside the replay's wait, which ends at its next slice
    recorder->InitiateRecording(10);
    EXPECT_EQ(list->EventCount, 0);
    ASSERT_EQ(injectionsOf(Kind::Key).size(), 1u);
    EXPECT_EQ(injectionsOf(Kind::Key)[0].code, 'N');
    EXPECT_DOUBLE_EQ(nowMs(), 40.0);
}

} // namespace
} // namespace tvk::testing
