#include "recorder/x11/TapLatch.h"

namespace tvk {

void TapLatch::observe(int code, bool down, uint32_t time) {
    if (code < 0 || code > 255) return;
    Entry& e = m_entries[static_cast<size_t>(code)];
    const bool last = e.count > 0 ? (e.first != ((e.count - 1) % 2 == 1)) : e.reported;
    if (down == last) return;
    if (e.count == 0) e.first = down;
    e.times[(e.head + e.count) % e.times.size()] = time;
    ++e.count;
    // Dropping the two newest entries keeps the sequence alternating and ends it in `down`.
    if (e.count > kMaxPending) {
        e.count = static_cast<uint8_t>(e.count - 2);
        e.times[(e.head + e.count - 1) % e.times.size()] = time; // the last state keeps its own time
    }
}

bool TapLatch::report(int code, bool actual) {
    if (code < 0 || code > 255) return actual;
    Entry& e = m_entries[static_cast<size_t>(code)];
    if (e.count == 0) {
        e.reported = actual;
        e.timed = false;
        return actual;
    }
    e.reported = e.first;
    e.first = !e.first;
    e.timed = true;
    e.reportedAt = e.times[e.head];
    e.head = static_cast<uint8_t>((e.head + 1) % e.times.size());
    --e.count;
    return e.reported;
}

bool TapLatch::reportedTime(int code, uint32_t& time) const {
    if (code < 0 || code > 255 || !m_entries[static_cast<size_t>(code)].timed) return false;
    time = m_entries[static_cast<size_t>(code)].reportedAt;
    return true;
}

bool TapLatch::pending(int code) const {
    return code >= 0 && code <= 255 && m_entries[static_cast<size_t>(code)].count > 0;
}

} // namespace tvk
