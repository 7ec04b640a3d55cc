#pragma once

#include <cstddef>
#include <functional>

namespace tvk::script {

// Bytes held by script values on this thread (strings, arrays, objects, dictionary entries) and the
// ceiling of the script call that is running. Charging past the ceiling first asks the running engine
// to collect unreachable garbage, then raises error 7 (Out of memory) without charging anything, so
// a script that hits the ceiling leaves everything as it was before the allocation it attempted.
class MemoryMeter {
public:
    // Counts `bytes` more; error 7 when that would pass the ceiling of the running call.
    static void charge(size_t bytes);
    // Error 7 unless `bytes` more would still fit under the ceiling (nothing is counted): for work
    // that builds a large result before it becomes a value.
    static void require(size_t bytes);
    // Counts `bytes` fewer (what an earlier charge counted).
    static void release(size_t bytes) noexcept;
    // Bytes counted now.
    static size_t held() noexcept;

    // The ceiling and the garbage collector in force while one call into an engine runs; the
    // outer call's come back when it ends. No ceiling holds outside any call.
    class Scope {
    public:
        Scope(size_t ceiling, std::function<void()> collect);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        size_t m_savedCeiling;
        std::function<void()> m_savedCollect;
    };
};

} // namespace tvk::script
