#pragma once

#include "EventRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tvk {

// Everything an event file holds, decoded: the persisted state of one event list.
struct EventFileState {
    int32_t capacity = 0;         // upper slot index of the storage
    int32_t count = 0;            // number of events
    int16_t enableProcessor = 0;  // filter flag as stored
    std::string elementProcessor; // filter text, UTF-8
    int32_t mouseUpDetail = 50;
    int32_t mouseDownDetail = 100;
    std::vector<EventRecord> slots; // capacity + 1 slots

    friend bool operator==(const EventFileState&, const EventFileState&) = default;
};

} // namespace tvk
