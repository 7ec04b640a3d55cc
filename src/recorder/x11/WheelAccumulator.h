#pragma once

#include "recorder/InputBackend.h"

namespace tvk {

// Sums wheel turns between two polls in 120ths of a notch, positive away from the user or to the
// right. Turns arrive as clicks of buttons 4 to 7 or, from devices that scroll smoothly, as
// scroll valuator motion in the device's own increments; the button clicks such a device sends
// besides (emulated ones) are not counted twice. Fractions of a 120th carry to the next take.
class WheelAccumulator {
public:
    // A press of X button 4 (up), 5 (down), 6 (left) or 7 (right); other buttons are ignored.
    void button(int button, bool emulated);
    // Scroll valuator motion: value in the device's units, one notch per increment (a negative
    // increment scrolls the other way). Ignored for an increment of 0 or values that are not finite.
    void scroll(WheelAxis axis, double value, double increment);
    // The turns since the last take, each axis bounded to 32 bits.
    WheelTurns take();
    void reset() { *this = {}; }

private:
    double m_vertical = 0;
    double m_horizontal = 0;
};

} // namespace tvk
