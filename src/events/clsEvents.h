#pragma once

#include "EventRecord.h"
#include "Signal.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tvk {

// The in-memory list of recorded events with the values that travel with a recording.
// Members keep the names filter scripts use. Public fields are written without checks (scripts
// do), so every operation re-validates what it reads from them: an access outside the storage
// that exists raises runtime error 9; counts use 32-bit arithmetic with the overflow error.
class clsEvents {
public:
    // Tick source stamping EventTime: milliseconds, 32-bit, wrapping.
    using TickSource = std::function<int32_t()>;

    // Upper bound on the slots one list may hold (3 GiB of records); event files beyond it are damaged.
    static constexpr int64_t MaxSlots = int64_t{1} << 27;

    clsEvents();
    explicit clsEvents(TickSource ticks);

    // ---- Public fields, in interface order ----
    int32_t EventCount = 0;        // events are indices 0 .. EventCount - 1
    int32_t SegmentSize = 32;      // growth / shrink step of the storage, in slots
    std::string ElementProcessor;  // filter script source (UTF-8)
    int16_t EnableProcessor = 0;   // 0 off, -1 on (any non-zero reads as on)
    int32_t MouseUpDetail = 50;    // move sampling, ms, no button held
    int32_t MouseDownDetail = 100; // move sampling, ms, a button held

    // Appends an event stamped with the current tick; raises ElementAdded; returns its index.
    // Errors leave the list unchanged: 9 when EventCount names no slot of the (grown) storage,
    // 6 when the capacity overflows, 7 when the storage would exceed 2^27 slots.
    int32_t AddEvent(int32_t eventType, bool eventPressed, int32_t posX, int32_t posY, int32_t data);
    // Removes the event at index (nothing for an index IsEvent rejects); raises ElementRemoved.
    // Errors (9, 6, 7 as for AddEvent) leave the list unchanged.
    void RemoveEvent(int32_t index);
    // Replaces the whole state by the file's; on any error the list is unchanged (RuntimeError).
    void LoadFile(const std::string& path);
    // Writes the whole state; replaces the target atomically, an error leaves it intact.
    void SaveFile(const std::string& path) const;
    // True exactly when 0 <= index < EventCount.
    bool IsEvent(int32_t index) const;

    // Indexed properties: reads give 0 when !IsEvent(index); writes are ignored then.
    int32_t EventType(int32_t index) const;
    void setEventType(int32_t index, int32_t value);
    int32_t EventPosX(int32_t index) const;
    void setEventPosX(int32_t index, int32_t value);
    int32_t EventPosY(int32_t index) const;
    void setEventPosY(int32_t index, int32_t value);
    int32_t EventData(int32_t index) const;
    void setEventData(int32_t index, int32_t value);
    int32_t EventTime(int32_t index) const;
    void setEventTime(int32_t index, int32_t value);
    int16_t EventPressed(int32_t index) const;
    void setEventPressed(int32_t index, int16_t value);

    // Independent copy: storage (all slots), count, filter text and flag; details are defaults.
    std::shared_ptr<clsEvents> CloneEvents() const;

    // ---- Notifications ----
    Signal<int32_t> ElementAdded;   // after an addition, with the new index
    Signal<int32_t> ElementRemoved; // after a removal, with the removed index

    // ---- Internal state, exposed for the file format, tests and views ----
    int32_t EventCapacity() const { return m_capacity; }
    bool hasStorage() const { return !m_slots.empty(); }
    // The slots 0 .. EventCapacity (empty when the list holds no storage).
    const std::vector<EventRecord>& slots() const { return m_slots; }
    // Replaces storage, capacity and persisted fields in one step (used by the file reader).
    void replaceState(int32_t capacity, std::vector<EventRecord> slots, int32_t count, int16_t enableProcessor,
                      std::string elementProcessor, int32_t mouseUpDetail, int32_t mouseDownDetail);
    void setTickSource(TickSource ticks);
    const TickSource& tickSource() const { return m_ticks; }

private:
    // The slot of an existing event, or nullptr when !IsEvent(index); throws 9 when IsEvent
    // accepts the index but the storage has no such slot (EventCount written by a script).
    EventRecord* slotFor(int32_t index);
    const EventRecord* slotFor(int32_t index) const;
    void resizeStorage(int32_t capacity);

    TickSource m_ticks;
    int32_t m_capacity = 0;
    // Logical size is m_capacity + 1 (or 0 without storage); the vector's own geometric growth
    // keeps appends amortised O(1) while EventCapacity follows the segment rule exactly.
    std::vector<EventRecord> m_slots;
};

// Default tick source: monotonic milliseconds, wrapping at 32 bits.
int32_t monotonicTickCount();

} // namespace tvk
