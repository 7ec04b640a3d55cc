#pragma once

#include "events/RuntimeError.h"

#include <functional>

namespace tvk::test {

// Number of the RuntimeError that `f` raises, or 0 when it returns normally.
inline int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace tvk::test
