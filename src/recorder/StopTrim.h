#pragma once

#include "events/clsEvents.h"

#include <cstdint>
#include <vector>

namespace tvk {

// What ended a recording, for removing the gesture itself from the end of the list.
struct StopGesture {
    std::vector<int32_t> heldKeys;    // keys recorded as down and not yet up when it stopped
    std::vector<int32_t> gestureKeys; // keys of the command that stopped it (a hotkey and its modifiers)
};

// First index of the tail of a recording that belongs to the gesture that stopped it; EventCount
// when nothing does. The recording is list[first ...]; own[i] says whether event first + i went to
// one of the program's own windows. Only the trailing run of Waits, moves and stop events counts:
// stop events are own clicks and keys, presses of held keys, and any key event of gestureKeys.
// The tail starts at the first stop event of that run, so events in the middle are never cut.
int32_t stopTailStart(const clsEvents& list, int32_t first, const std::vector<bool>& own, const StopGesture& stop);

} // namespace tvk
