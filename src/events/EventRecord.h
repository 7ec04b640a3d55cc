#pragma once

#include <cstdint>

namespace tvk {

// Event type codes stored in EventRecord::EventType. Other codes may be written by scripts;
// the replayer ignores them.
enum EventTypeCode : int32_t { Wait = 0, MouseClick = 1, MouseMove = 2, KeyBoard = 3, MouseWheel = 4 };

// Truth values are 16 bits wide, true = -1 (all bits set), in memory and in event files.
inline constexpr int16_t VbTrue = -1;
inline constexpr int16_t VbFalse = 0;

// One recorded event; the field order is the order on disk (22 bytes, no padding there).
struct EventRecord {
    int32_t EventTime = 0;
    int32_t EventType = 0;
    int32_t EventPosX = 0;
    int32_t EventPosY = 0;
    int32_t EventData = 0;
    int16_t EventPressed = 0;

    friend bool operator==(const EventRecord&, const EventRecord&) = default;
};

} // namespace tvk
