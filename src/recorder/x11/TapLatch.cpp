#include "recorder/x11/TapLatch.h"

namespace tvk {

void TapLatch::observe(int code, bool down) {
    if (code < 0 || code > 255) return;
    Entry& e = m_entries[static_cast<size_t>(code)];
    const bool last = e.count > 0 ? (e.first != ((e.count - 1) % 2 == 1)) : e.reported;
    if (down == last) return;
    if (e.count == 0) e.first = down;
    ++e.count;
    // Dropping the two newest entries keeps the sequence alternating and ends it in `down`.
    if (e.count > kMaxPending) e.count = static_cast<uint8_t>(e.count - 2);
}

bool TapLatch::report(int code, bool actual) {
    if (code < 0 || code > 255) return actual;
    Entry& e = m_entries[static_cast<size_t>(code)];
    if (e.count == 0) {
        e.reported = actual;
        return actual;
    }
    e.reported = e.first;
    e.first = !e.first;
    --e.count;
    return e.reported;
}

bool TapLatch::pending(int code) const {
    return code >= 0 && code <= 255 && m_entries[static_cast<size_t>(code)].count > 0;
}

} // namespace tvk
