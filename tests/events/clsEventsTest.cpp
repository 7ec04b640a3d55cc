#include "events/clsEvents.h"
#include "events/RuntimeError.h"

#include "common/ErrorNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

using namespace tvk;

namespace {

using tvk::test::errorOf;

// A list stamped by a manual clock that advances one millisecond per event, with every notification
// recorded.
struct RecordedList {
    int32_t now = 1000;
    std::shared_ptr<clsEvents> list = std::make_shared<clsEvents>([this] { return now++; });
    std::vector<int32_t> added;
    std::vector<int32_t> removed;
    Signal<int32_t>::ScopedConnection a = list->ElementAdded.connect([this](int32_t i) { added.push_back(i); });
    Signal<int32_t>::ScopedConnection r = list->ElementRemoved.connect([this](int32_t i) { removed.push_back(i); });

    // Appends events whose EventData is 0, 1, 2, ...
    void addEvents(int n) {
        for (int i = 0; i < n; ++i)
            list->AddEvent(KeyBoard, true, i, -i, list->EventCount);
    }
    std::vector<int32_t> dataOfEvents() const {
        std::vector<int32_t> out;
        for (int32_t i = 0; i < list->EventCount; ++i)
            out.push_back(list->EventData(i));
        return out;
    }
};

// Everything observable of a list, to prove an error left it unchanged.
struct Snapshot {
    int32_t count, capacity, segment;
    std::vector<EventRecord> slots;
    bool storage;
    explicit Snapshot(const clsEvents& l)
        : count(l.EventCount), capacity(l.EventCapacity()), segment(l.SegmentSize), slots(l.slots()),
          storage(l.hasStorage()) {}
    bool operator==(const Snapshot&) const = default;
};

} // namespace

TEST(EventList, FirstAdditionStampsTheEventAndOpensOneSegment) {
    RecordedList t;
    EXPECT_EQ(t.list->AddEvent(MouseClick, true, 10, 20, 1), 0);
    EXPECT_EQ(t.added, std::vector<int32_t>{0});
    EXPECT_EQ(t.list->EventCapacity(), 32);
    ASSERT_EQ(t.list->slots().size(), 33u);
    EXPECT_EQ(t.list->slots()[0], (EventRecord{1000, MouseClick, 10, 20, 1, VbTrue}));
    EXPECT_EQ(t.list->AddEvent(MouseClick, false, 11, 21, 1), 1);
    EXPECT_EQ(t.list->EventTime(1), 1001);
    EXPECT_EQ(t.list->EventPressed(1), VbFalse);
}

TEST(EventList, CapacityGrowsOneSegmentBeforeTheSpareSlotIsReached) {
    RecordedList t;
    std::vector<int32_t> capacities;
    for (int i = 0; i < 97; ++i) {
        t.list->AddEvent(Wait, false, 0, 0, i);
        capacities.push_back(t.list->EventCapacity());
        EXPECT_EQ(t.list->slots().size(), static_cast<size_t>(t.list->EventCapacity()) + 1);
        EXPECT_LT(t.list->EventCount, static_cast<int32_t>(t.list->slots().size())) << "spare slot was filled";
    }
    for (int i = 0; i < 97; ++i) {
        const int32_t expected = i < 32 ? 32 : i < 64 ? 64 : i < 96 ? 96 : 128;
        EXPECT_EQ(capacities[i], expected) << "after addition " << i + 1;
    }
    ASSERT_EQ(t.added.size(), 97u);
    for (int i = 0; i < 97; ++i)
        EXPECT_EQ(t.added[i], i);
}

TEST(EventList, RemovalReleasesAtMostOneSegmentAndNeverBelowOne) {
    RecordedList t;
    t.addEvents(33);
    ASSERT_EQ(t.list->EventCapacity(), 64);
    t.list->RemoveEvent(0);
    EXPECT_EQ(t.list->EventCapacity(), 64) << "32 events are not below 64 - 32";
    t.list->RemoveEvent(0);
    EXPECT_EQ(t.list->EventCount, 31);
    EXPECT_EQ(t.list->EventCapacity(), 32);
    EXPECT_EQ(t.list->slots().size(), 33u);

    // Shrinking a large list one removal at a time releases one segment per removal only.
    RecordedList big;
    big.addEvents(200); // capacity 224
    big.list->SegmentSize = 16;
    for (int i = 0; i < 150; ++i)
        big.list->RemoveEvent(0); // 50 left
    EXPECT_EQ(big.list->EventCapacity(), 64);
    std::vector<int32_t> expected;
    for (int i = 150; i < 200; ++i)
        expected.push_back(i);
    EXPECT_EQ(big.dataOfEvents(), expected);
    EXPECT_EQ(big.list->slots().size(), 65u);
}

TEST(EventList, RemovingTheOnlyEventReleasesTheStorage) {
    RecordedList t;
    t.addEvents(1);
    t.list->RemoveEvent(0);
    EXPECT_EQ(t.removed, std::vector<int32_t>{0});
    EXPECT_FALSE(t.list->hasStorage());
    EXPECT_EQ(t.list->EventCapacity(), 0);
    EXPECT_EQ(t.list->EventCount, 0);
    EXPECT_EQ(t.list->AddEvent(Wait, false, 0, 0, 5), 0);
    EXPECT_EQ(t.list->EventCapacity(), 32);
}

TEST(EventList, RemovalOutsideTheEventsChangesNothing) {
    RecordedList t;
    t.addEvents(3);
    const Snapshot before(*t.list);
    for (int32_t index : {-1, 3, 4, INT_MIN, INT_MAX})
        t.list->RemoveEvent(index);
    EXPECT_TRUE(Snapshot(*t.list) == before);
    EXPECT_TRUE(t.removed.empty());
}

TEST(EventList, RemovalClosesTheGapAndLeavesAStaleCopy) {
    RecordedList t;
    t.addEvents(5); // A..E as data 0..4
    t.list->RemoveEvent(2);
    EXPECT_EQ(t.dataOfEvents(), (std::vector<int32_t>{0, 1, 3, 4}));
    EXPECT_EQ(t.removed, std::vector<int32_t>{2});
    EXPECT_EQ(t.list->slots()[4].EventData, 4) << "the former last slot keeps its content";
    EXPECT_EQ(t.list->slots()[4], t.list->slots()[3]);
}

TEST(EventList, IndexedPropertiesIgnoreIndicesThatNameNoEvent) {
    RecordedList t;
    t.addEvents(2);
    EXPECT_EQ(t.list->EventData(2), 0);
    EXPECT_EQ(t.list->EventType(-1), 0);
    EXPECT_EQ(t.list->EventPressed(2), 0);
    t.list->setEventType(2, 99); // slot 2 exists but is no event
    t.list->setEventType(-1, 99);
    EXPECT_EQ(t.list->slots()[2].EventType, 0);

    t.list->setEventType(1, 7);
    t.list->setEventPosX(1, -5);
    t.list->setEventPosY(1, 6);
    t.list->setEventData(1, 8);
    t.list->setEventTime(1, -9);
    t.list->setEventPressed(1, 3);
    EXPECT_EQ(t.list->slots()[1], (EventRecord{-9, 7, -5, 6, 8, 3}));
    EXPECT_EQ(t.list->EventType(1), 7);
    EXPECT_EQ(t.list->EventPosX(1), -5);
    EXPECT_EQ(t.list->EventPosY(1), 6);
    EXPECT_EQ(t.list->EventTime(1), -9);
    EXPECT_EQ(t.list->EventPressed(1), 3);
    EXPECT_TRUE(t.added.size() == 2 && t.removed.empty()) << "writes raise no notification";
}

TEST(EventList, CloneCopiesEventsTextAndFlagButNotDetails) {
    RecordedList t;
    t.addEvents(40);
    t.list->RemoveEvent(0); // leaves a stale slot 39
    t.list->ElementProcessor = "Function ElementInvoked(Index)\nEnd Function";
    t.list->EnableProcessor = VbTrue;
    t.list->MouseUpDetail = 7;
    t.list->MouseDownDetail = 8;
    t.list->SegmentSize = 5;

    auto clone = t.list->CloneEvents();
    EXPECT_EQ(clone->slots(), t.list->slots());
    EXPECT_EQ(clone->EventCapacity(), t.list->EventCapacity());
    EXPECT_EQ(clone->EventCount, 39);
    EXPECT_EQ(clone->ElementProcessor, t.list->ElementProcessor);
    EXPECT_EQ(clone->EnableProcessor, VbTrue);
    EXPECT_EQ(clone->MouseUpDetail, 50);
    EXPECT_EQ(clone->MouseDownDetail, 100);
    EXPECT_EQ(clone->SegmentSize, 32);
    EXPECT_EQ(t.added.size(), 40u) << "cloning raises nothing";

    // Independent both ways; the clone grows from the source's capacity.
    for (int i = 0; i < 30; ++i)
        clone->AddEvent(Wait, false, 0, 0, 1000 + i);
    EXPECT_EQ(clone->EventCapacity(), 96);
    EXPECT_EQ(clone->EventData(0), 1);
    EXPECT_EQ(clone->EventData(38), 39);
    EXPECT_EQ(clone->EventData(68), 1029);
    EXPECT_EQ(t.list->EventCount, 39);
    EXPECT_EQ(t.list->EventCapacity(), 64);
    t.list->setEventData(0, -1);
    EXPECT_EQ(clone->EventData(0), 1);
    EXPECT_EQ(t.added.size(), 40u) << "the clone has its own subscribers";
}

TEST(EventList, CloneOfAnEmptyListHoldsNoStorage) {
    RecordedList t;
    t.addEvents(1);
    t.list->RemoveEvent(0);
    t.list->ElementProcessor = "x";
    auto clone = t.list->CloneEvents();
    EXPECT_FALSE(clone->hasStorage());
    EXPECT_EQ(clone->EventCapacity(), 0);
    EXPECT_EQ(clone->ElementProcessor, "x");
    EXPECT_EQ(clone->AddEvent(Wait, false, 0, 0, 0), 0);
}

TEST(EventListNotifications, HandlersMayDisconnectAddOrRemoveWhileNotified) {
    clsEvents l([] { return 0; });
    std::vector<std::string> calls;
    Signal<int32_t>::Connection self;
    self = l.ElementAdded.connect([&](int32_t i) {
        calls.push_back("once " + std::to_string(i));
        self.disconnect();
    });
    // Adds a follow-up event for every event of type KeyBoard, from inside the notification.
    auto follow = l.ElementAdded.connect([&](int32_t i) {
        calls.push_back("follow " + std::to_string(i));
        if (l.EventType(i) == KeyBoard) l.AddEvent(Wait, false, 0, 0, i);
    });
    EXPECT_EQ(l.AddEvent(KeyBoard, true, 0, 0, 65), 0);
    EXPECT_EQ(l.EventCount, 2);
    EXPECT_EQ(l.EventData(1), 0);
    EXPECT_EQ(l.AddEvent(Wait, false, 0, 0, 9), 2);
    EXPECT_EQ(calls, (std::vector<std::string>{"once 0", "follow 0", "follow 1", "follow 2"}));
    follow.disconnect();

    // A removal handler that removes again until one event is left.
    auto trim = l.ElementRemoved.connect([&](int32_t) {
        if (l.EventCount > 1) l.RemoveEvent(0);
    });
    l.RemoveEvent(0);
    EXPECT_EQ(l.EventCount, 1);
    EXPECT_EQ(l.EventData(0), 9);
}

TEST(EventListNotifications, AHandlerMayDropTheLastReferenceToTheList) {
    auto owner = std::make_shared<clsEvents>();
    int calls = 0;
    owner->ElementAdded.connect([&](int32_t) {
        ++calls;
        owner.reset(); // the window that owned the list closes from inside the notification
    });
    owner->ElementAdded.connect([&](int32_t) { ++calls; });
    clsEvents* raw = owner.get();
    EXPECT_EQ(raw->AddEvent(Wait, false, 0, 0, 0), 0);
    EXPECT_EQ(calls, 1) << "handlers of a destroyed list are not called afterwards";
    EXPECT_EQ(owner, nullptr);
}

TEST(EventListScriptFields, EventCountBeyondTheStorageRaisesSubscriptOutOfRange) {
    RecordedList t;
    t.addEvents(3); // 33 slots
    t.list->EventCount = 1000;
    const Snapshot before(*t.list);
    EXPECT_EQ(errorOf([&] { t.list->EventType(500); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { t.list->setEventData(33, 1); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { t.list->AddEvent(Wait, false, 0, 0, 0); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { t.list->RemoveEvent(0); }), err::SubscriptOutOfRange);
    EXPECT_TRUE(Snapshot(*t.list) == before) << "a failed operation changes nothing";
    EXPECT_EQ(t.removed.size(), 0u);
    EXPECT_EQ(t.list->EventType(32), 0) << "slots that exist stay readable";

    t.list->EventCount = -4;
    EXPECT_FALSE(t.list->IsEvent(0));
    EXPECT_EQ(errorOf([&] { t.list->AddEvent(Wait, false, 0, 0, 0); }), err::SubscriptOutOfRange);
    t.list->RemoveEvent(0);
    EXPECT_EQ(t.list->EventCount, -4);

    clsEvents empty;
    empty.EventCount = INT_MAX;
    EXPECT_EQ(errorOf([&] { empty.EventData(INT_MAX - 1); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { empty.AddEvent(Wait, false, 0, 0, 0); }), err::SubscriptOutOfRange);
}

TEST(EventListScriptFields, NonPositiveSegmentSizeNeverHangsOrCorrupts) {
    clsEvents zero;
    zero.SegmentSize = 0;
    EXPECT_EQ(zero.AddEvent(Wait, false, 0, 0, 1), 0); // the single slot of capacity 0 takes it
    EXPECT_EQ(zero.slots().size(), 1u);
    EXPECT_EQ(errorOf([&] { zero.AddEvent(Wait, false, 0, 0, 2); }), err::SubscriptOutOfRange);
    EXPECT_EQ(zero.EventCount, 1);

    clsEvents negative;
    negative.SegmentSize = -3;
    EXPECT_EQ(errorOf([&] { negative.AddEvent(Wait, false, 0, 0, 1); }), err::SubscriptOutOfRange);
    EXPECT_FALSE(negative.hasStorage());
    EXPECT_EQ(negative.EventCount, 0);
}

TEST(EventListScriptFields, HugeSegmentSizeFailsInsteadOfExhaustingMemory) {
    clsEvents l;
    l.SegmentSize = 1 << 30;
    EXPECT_EQ(errorOf([&] { l.AddEvent(Wait, false, 0, 0, 1); }), err::OutOfMemory);
    EXPECT_FALSE(l.hasStorage());
    l.SegmentSize = 32;
    l.AddEvent(Wait, false, 0, 0, 1);
    l.AddEvent(Wait, false, 0, 0, 2);
    l.SegmentSize = -(1 << 30); // a removal would grow the storage by a billion slots
    EXPECT_EQ(errorOf([&] { l.RemoveEvent(0); }), err::OutOfMemory);
    EXPECT_EQ(l.EventCount, 2);
    EXPECT_EQ(l.EventData(0), 1);
}

TEST(EventListScriptFields, CountArithmeticRaisesOverflow) {
    clsEvents l;
    l.AddEvent(Wait, false, 0, 0, 1); // capacity 32
    l.SegmentSize = INT_MAX;
    l.EventCount = 40;
    EXPECT_EQ(errorOf([&] { l.AddEvent(Wait, false, 0, 0, 1); }), err::Overflow);
    EXPECT_EQ(l.EventCapacity(), 32);
    l.EventCount = 2;
    l.SegmentSize = INT_MIN; // capacity - SegmentSize does not fit 32 bits
    EXPECT_EQ(errorOf([&] { l.RemoveEvent(0); }), err::Overflow);
    EXPECT_EQ(l.EventCount, 2);
}

// Random operations with random script-written fields: whatever happens, the storage always matches
// the capacity, and an operation that raises an error leaves the list exactly as it was.
TEST(EventListScriptFields, StorageStaysConsistentUnderRandomScriptWrites) {
    std::mt19937 rng(20261206);
    auto list = std::make_unique<clsEvents>([] { return 7; });
    auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(std::min(lo, hi), std::max(lo, hi))(rng);
    };
    int errors = 0;
    for (int step = 0; step < 20000; ++step) {
        clsEvents& l = *list;
        const Snapshot before(l);
        try {
            switch (pick(0, 9)) {
            case 0:
                l.SegmentSize = pick(-40, 40);
                break;
            case 1:
                l.EventCount = pick(-5, l.EventCapacity() + 40);
                break;
            case 2:
            case 3:
                l.RemoveEvent(pick(-2, l.EventCount + 1));
                break;
            case 4:
                l.setEventData(pick(-2, l.EventCount + 1), step);
                break;
            case 5:
                (void)l.EventData(pick(-2, l.EventCount + 1));
                break;
            default:
                l.AddEvent(Wait, false, 0, 0, step);
                break;
            }
        } catch (const RuntimeError& e) {
            ++errors;
            EXPECT_TRUE(Snapshot(l) == before) << "error " << e.number() << " at step " << step;
        }
        if (l.hasStorage()) {
            ASSERT_EQ(l.slots().size(), static_cast<size_t>(l.EventCapacity()) + 1) << step;
        } else {
            ASSERT_EQ(l.EventCapacity(), 0) << step;
        }
        if (l.EventCount > 400 || l.EventCapacity() > 4000) list = std::make_unique<clsEvents>([] { return 7; });
    }
    EXPECT_GT(errors, 0) << "the random walk should reach the error paths";
}

TEST(EventList, ReplaceStateRejectsStorageThatDoesNotMatchItsCapacity) {
    RecordedList t;
    t.addEvents(2);
    const Snapshot before(*t.list);
    EXPECT_EQ(errorOf([&] { t.list->replaceState(4, std::vector<EventRecord>(3), 1, 0, "", 1, 2); }), err::InvalidCall);
    EXPECT_EQ(errorOf([&] { t.list->replaceState(-1, {}, 0, 0, "", 1, 2); }), err::InvalidCall);
    EXPECT_TRUE(Snapshot(*t.list) == before);
    t.list->replaceState(1, std::vector<EventRecord>(2), 1, VbTrue, "t", 3, 4);
    EXPECT_EQ(t.list->EventCapacity(), 1);
    EXPECT_EQ(t.list->EventCount, 1);
    EXPECT_EQ(t.list->MouseDownDetail, 4);
}
