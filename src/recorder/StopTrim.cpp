#include "recorder/StopTrim.h"

#include <algorithm>

namespace tvk {

namespace {

bool contains(const std::vector<int32_t>& keys, int32_t key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

} // namespace

int32_t stopTailStart(const clsEvents& list, int32_t first, const std::vector<bool>& own, const StopGesture& stop) {
    const int32_t count = list.EventCount;
    int32_t cut = count;
    if (first < 0 || first > count) return cut;
    for (int32_t i = count - 1; i >= first; --i) {
        const int32_t type = list.EventType(i);
        if (type == Wait || type == MouseMove) continue;
        const auto offset = static_cast<size_t>(i - first);
        const bool ownInput = offset < own.size() && own[offset];
        const int32_t data = list.EventData(i);
        const bool pressed = list.EventPressed(i) != 0;
        const bool stopEvent = ownInput || (type == KeyBoard && pressed && contains(stop.heldKeys, data)) ||
                               (type == KeyBoard && contains(stop.gestureKeys, data));
        if (!stopEvent) break;
        cut = i;
    }
    return cut;
}

} // namespace tvk
