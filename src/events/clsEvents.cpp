#include "clsEvents.h"

#include "EventFileReader.h"
#include "EventFileWriter.h"
#include "RuntimeError.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <string>

namespace tvk {

namespace {

// A script can write any SegmentSize; growing by a billion slots must fail with "Out of memory" instead
// of exhausting the machine.
constexpr int64_t kMaxSlots = clsEvents::MaxSlots;

[[noreturn]] void throwSubscript(int64_t slot, size_t slotCount) {
    throw RuntimeError(err::SubscriptOutOfRange, "Subscript out of range: slot " + std::to_string(slot) +
                                                     " of a storage of " + std::to_string(slotCount) + " slots");
}

// Slot count of storage with upper index `capacity`, checked the way array redimensioning checks it.
size_t slotCountFor(int32_t capacity) {
    if (capacity < 0) {
        throw RuntimeError(err::SubscriptOutOfRange,
                           "Subscript out of range: storage upper bound " + std::to_string(capacity));
    }
    const int64_t count = int64_t{capacity} + 1;
    if (count > kMaxSlots) {
        throw RuntimeError(err::OutOfMemory,
                           "Out of memory: storage of " + std::to_string(count) + " event slots is too large");
    }
    return static_cast<size_t>(count);
}

} // namespace

int32_t monotonicTickCount() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    // Conversion to a narrower signed type is modular, which gives the wrapping 32-bit tick count.
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ms.count())));
}

clsEvents::clsEvents() : m_ticks(monotonicTickCount) {}

clsEvents::clsEvents(TickSource ticks) : m_ticks(ticks ? std::move(ticks) : TickSource(monotonicTickCount)) {}

int32_t clsEvents::AddEvent(int32_t eventType, bool eventPressed, int32_t posX, int32_t posY, int32_t data) {
    // Everything is checked before the list changes, so an error leaves it exactly as it was.
    int32_t newCapacity = m_capacity;
    if (EventCount >= m_capacity) newCapacity = checkedAdd(m_capacity, SegmentSize);
    const size_t newSlotCount = slotCountFor(newCapacity);
    if (EventCount < 0 || static_cast<size_t>(EventCount) >= newSlotCount) throwSubscript(EventCount, newSlotCount);
    const int32_t index = EventCount;
    const int32_t newCount = checkedAdd(EventCount, 1);
    const int32_t time = m_ticks();

    if (newCapacity != m_capacity || !hasStorage()) resizeStorage(newCapacity);
    m_slots[static_cast<size_t>(index)] =
        EventRecord{time, eventType, posX, posY, data, eventPressed ? VbTrue : VbFalse};
    EventCount = newCount;
    ElementAdded.emit(index);
    return index;
}

void clsEvents::RemoveEvent(int32_t index) {
    if (!IsEvent(index)) return;
    const int32_t newCount = EventCount - 1; // EventCount > index >= 0, so no overflow

    // Events index + 1 .. newCount move down one slot; they must all exist.
    if (newCount > index && static_cast<size_t>(newCount) >= m_slots.size()) throwSubscript(newCount, m_slots.size());

    bool release = newCount < 1;
    int32_t newCapacity = m_capacity;
    if (!release && newCount < checkedSub(m_capacity, SegmentSize)) {
        newCapacity = std::max(m_capacity - SegmentSize, SegmentSize);
        slotCountFor(newCapacity);
    }

    // A non-positive SegmentSize can make the shrink step a growth: allocate before anything moves.
    if (newCapacity > m_capacity) resizeStorage(newCapacity);
    EventCount = newCount;
    for (int32_t i = index + 1; i <= newCount; ++i)
        m_slots[static_cast<size_t>(i - 1)] = m_slots[static_cast<size_t>(i)];
    if (release) {
        std::vector<EventRecord>().swap(m_slots);
        m_capacity = 0;
    } else if (newCapacity < m_capacity) {
        resizeStorage(newCapacity);
    }
    ElementRemoved.emit(index);
}

void clsEvents::LoadFile(const std::string& path) {
    EventFileState state = EventFileReader::readFile(path);
    replaceState(state.capacity, std::move(state.slots), state.count, state.enableProcessor,
                 std::move(state.elementProcessor), state.mouseUpDetail, state.mouseDownDetail);
}

void clsEvents::SaveFile(const std::string& path) const {
    EventFileWriter::writeFile(path, *this);
}

bool clsEvents::IsEvent(int32_t index) const {
    return index >= 0 && index < EventCount;
}

EventRecord* clsEvents::slotFor(int32_t index) {
    return const_cast<EventRecord*>(static_cast<const clsEvents*>(this)->slotFor(index));
}

const EventRecord* clsEvents::slotFor(int32_t index) const {
    if (!IsEvent(index)) return nullptr;
    if (static_cast<size_t>(index) >= m_slots.size()) throwSubscript(index, m_slots.size());
    return &m_slots[static_cast<size_t>(index)];
}

#define TVK_INDEXED_PROPERTY(Name, setter, Type)                                                                       \
    Type clsEvents::Name(int32_t index) const {                                                                        \
        const EventRecord* slot = slotFor(index);                                                                      \
        return slot ? slot->Name : Type{0};                                                                            \
    }                                                                                                                  \
    void clsEvents::setter(int32_t index, Type value) {                                                                \
        if (EventRecord* slot = slotFor(index)) slot->Name = value;                                                    \
    }

TVK_INDEXED_PROPERTY(EventType, setEventType, int32_t)
TVK_INDEXED_PROPERTY(EventPosX, setEventPosX, int32_t)
TVK_INDEXED_PROPERTY(EventPosY, setEventPosY, int32_t)
TVK_INDEXED_PROPERTY(EventData, setEventData, int32_t)
TVK_INDEXED_PROPERTY(EventTime, setEventTime, int32_t)
TVK_INDEXED_PROPERTY(EventPressed, setEventPressed, int16_t)

#undef TVK_INDEXED_PROPERTY

std::shared_ptr<clsEvents> clsEvents::CloneEvents() const {
    auto clone = std::make_shared<clsEvents>(m_ticks);
    if (EventCount > 0) {
        clone->m_slots = m_slots;
        clone->m_capacity = m_capacity;
    }
    clone->ElementProcessor = ElementProcessor;
    clone->EnableProcessor = EnableProcessor;
    clone->EventCount = EventCount;
    return clone;
}

void clsEvents::replaceState(int32_t capacity, std::vector<EventRecord> slots, int32_t count, int16_t enableProcessor,
                             std::string elementProcessor, int32_t mouseUpDetail, int32_t mouseDownDetail) {
    const bool consistent =
        capacity >= 0 && (slots.empty() ? capacity == 0 : slots.size() == static_cast<size_t>(capacity) + 1);
    if (!consistent) {
        throw RuntimeError(err::InvalidCall, "Invalid procedure call or argument: " + std::to_string(slots.size()) +
                                                 " slots do not match capacity " + std::to_string(capacity));
    }
    m_capacity = capacity;
    m_slots = std::move(slots);
    EventCount = count;
    EnableProcessor = enableProcessor;
    ElementProcessor = std::move(elementProcessor);
    MouseUpDetail = mouseUpDetail;
    MouseDownDetail = mouseDownDetail;
}

void clsEvents::setTickSource(TickSource ticks) {
    m_ticks = ticks ? std::move(ticks) : TickSource(monotonicTickCount);
}

void clsEvents::resizeStorage(int32_t capacity) {
    const size_t count = slotCountFor(capacity);
    try {
        // vector::resize grows its buffer geometrically, so a segment step does not copy the whole list.
        m_slots.resize(count);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory);
    } catch (const std::length_error&) {
        throw RuntimeError(err::OutOfMemory);
    }
    m_capacity = capacity;
}

} // namespace tvk
