#pragma once

#include "EventRecord.h"

#include <cstddef>
#include <cstdint>

// Sizes and little-endian field access shared by the event file reader and writer.
namespace tvk::EventFileLayout {

inline constexpr size_t kFixedFieldsSize = 18; // capacity 4, count 4, flag 2, details 4 + 4
inline constexpr size_t kTextOffset = 10;
inline constexpr size_t kRecordSize = 22;

inline uint32_t loadU32(const unsigned char* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
// Conversions to signed types are modular, so these give the two's complement value.
inline int32_t load32(const unsigned char* p) {
    return static_cast<int32_t>(loadU32(p));
}
inline int16_t load16(const unsigned char* p) {
    return static_cast<int16_t>(uint16_t(p[0] | p[1] << 8));
}

inline void store32(unsigned char* p, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
inline void store16(unsigned char* p, int16_t value) {
    const auto v = static_cast<uint16_t>(value);
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline EventRecord loadRecord(const unsigned char* p) {
    return EventRecord{load32(p), load32(p + 4), load32(p + 8), load32(p + 12), load32(p + 16), load16(p + 20)};
}
inline void storeRecord(unsigned char* p, const EventRecord& r) {
    store32(p, r.EventTime);
    store32(p + 4, r.EventType);
    store32(p + 8, r.EventPosX);
    store32(p + 12, r.EventPosY);
    store32(p + 16, r.EventData);
    store16(p + 20, r.EventPressed);
}

} // namespace tvk::EventFileLayout
