#include "script/MemoryMeter.h"

#include "events/RuntimeError.h"

#include <limits>

namespace tvk::script {

namespace {
struct MeterState {
    size_t held = 0;
    size_t ceiling = std::numeric_limits<size_t>::max();
    std::function<void()> collect;
    bool collecting = false;
};

MeterState& state() {
    thread_local MeterState s;
    return s;
}
} // namespace

void MemoryMeter::charge(size_t bytes) {
    MeterState& s = state();
    if (bytes > s.ceiling || s.held > s.ceiling - bytes) {
        // Garbage may be holding the room: collect once, then look again.
        if (s.collect && !s.collecting) {
            s.collecting = true;
            try {
                s.collect();
            } catch (...) {
                s.collecting = false;
                throw;
            }
            s.collecting = false;
        }
        if (bytes > s.ceiling || s.held > s.ceiling - bytes) throw RuntimeError(err::OutOfMemory);
    }
    s.held += bytes;
}

void MemoryMeter::require(size_t bytes) {
    charge(bytes);
    release(bytes);
}

void MemoryMeter::release(size_t bytes) noexcept {
    MeterState& s = state();
    s.held = bytes > s.held ? 0 : s.held - bytes;
}

size_t MemoryMeter::held() noexcept {
    return state().held;
}

MemoryMeter::Scope::Scope(size_t ceiling, std::function<void()> collect)
    : m_savedCeiling(state().ceiling), m_savedCollect(std::move(state().collect)) {
    state().ceiling = ceiling;
    state().collect = std::move(collect);
}

MemoryMeter::Scope::~Scope() {
    state().ceiling = m_savedCeiling;
    state().collect = std::move(m_savedCollect);
}

} // namespace tvk::script
