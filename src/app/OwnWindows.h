#pragma once

#include "recorder/InputBackend.h"

namespace tvk {

// Whether recorded input went to one of this program's windows: a button press at a point that
// one of its visible windows covers, or a key while one of its windows has the keyboard focus.
bool isOwnInput(int32_t vk, CursorPoint at);

} // namespace tvk
