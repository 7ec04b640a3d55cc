#include "recorder/x11/WheelAccumulator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tvk {

namespace {

// Far beyond any real turn, and within 32 bits however long nobody takes the sum.
constexpr double kLimit = std::numeric_limits<int32_t>::max();

void add(double& sum, double delta) {
    sum = std::clamp(sum + delta, -kLimit, kLimit);
}

} // namespace

void WheelAccumulator::button(int number, bool emulated) {
    if (emulated) return;
    switch (number) {
    case 4:
        add(m_vertical, 120);
        break;
    case 5:
        add(m_vertical, -120);
        break;
    case 6:
        add(m_horizontal, -120);
        break;
    case 7:
        add(m_horizontal, 120);
        break;
    default:
        break;
    }
}

void WheelAccumulator::scroll(WheelAxis axis, double value, double increment) {
    if (increment == 0 || !std::isfinite(value) || !std::isfinite(increment)) return;
    // X scrolls down and right for positive values; a wheel turned away from the user is positive.
    const double notches = value / increment;
    if (axis == WheelAxis::Vertical) {
        add(m_vertical, -notches * 120);
    } else {
        add(m_horizontal, notches * 120);
    }
}

WheelTurns WheelAccumulator::take() {
    const auto whole = [](double& sum) {
        const double taken = std::trunc(sum);
        sum -= taken;
        return static_cast<int32_t>(taken);
    };
    WheelTurns turns;
    turns.vertical = whole(m_vertical);
    turns.horizontal = whole(m_horizontal);
    return turns;
}

} // namespace tvk
