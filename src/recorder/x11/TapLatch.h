#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tvk {

// Keeps short taps visible to a poller. Presses and releases seen between two polls (from an
// event stream) are handed out one per poll, so a key that went down and up again between two
// polls reads as down at the next poll and as up at the one after. With nothing pending a poll
// reports the state the caller read from the server. Codes are 0..255.
class TapLatch {
public:
    // A press (down) or release seen in the event stream; repeats of the last state are dropped.
    void observe(int code, bool down);
    // The state to report for code at this poll, given the server's current state.
    bool report(int code, bool actual);
    // True when code has transitions waiting for later polls.
    bool pending(int code) const;
    // Forgets pending transitions and reported states (e.g. after the key map changed).
    void reset() { m_entries = {}; }

private:
    // Pending transitions alternate, so the first one and their count describe them all.
    struct Entry {
        bool reported = false;
        bool first = false;
        uint8_t count = 0;
    };
    static constexpr uint8_t kMaxPending = 8; // older tap pairs are dropped beyond this

    std::array<Entry, 256> m_entries{};
};

} // namespace tvk
