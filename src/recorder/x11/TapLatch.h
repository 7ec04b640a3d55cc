#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tvk {

// Keeps short taps visible to a poller. Presses and releases seen between two polls (from an
// event stream) are handed out one per poll, so a key that went down and up again between two
// polls reads as down at the next poll and as up at the one after. With nothing pending a poll
// reports the state the caller read from the server. Codes are 0..255. Each transition carries
// the time the event stream gave it, so a poll can tell when the change it reports happened.
class TapLatch {
public:
    // A press (down) or release seen in the event stream at `time`; repeats of the last state are dropped.
    void observe(int code, bool down, uint32_t time = 0);
    // The state to report for code at this poll, given the server's current state.
    bool report(int code, bool actual);
    // True when code has transitions waiting for later polls.
    bool pending(int code) const;
    // The time of the transition the last report of code handed out; false when that report
    // was the server's state (no transition was pending).
    bool reportedTime(int code, uint32_t& time) const;
    // Forgets pending transitions and reported states (e.g. after the key map changed).
    void reset() { m_entries = {}; }

private:
    // Pending transitions alternate, so the first one and their count describe them all.
    static constexpr uint8_t kMaxPending = 8; // older tap pairs are dropped beyond this
    struct Entry {
        bool reported = false;
        bool first = false;
        uint8_t count = 0;
        uint8_t head = 0; // where the times of the pending transitions start
        bool timed = false;
        uint32_t reportedAt = 0;
        std::array<uint32_t, kMaxPending + 1> times{}; // a ring, oldest at head
    };

    std::array<Entry, 256> m_entries{};
};

} // namespace tvk
