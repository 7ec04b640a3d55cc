#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace tvk {

// Texts of the "Messages" database that the status bar and the hotkey messages show, with their
// English wording, which is also what shows when the loaded language lacks an entry.
// Placeholders are %1, %2, ... in the order each name's comment in Messages.cpp gives.
const std::vector<std::pair<const char*, const char*>>& statusMessages();

// The text of Messages entry `name` in the loaded language, else its English wording.
QString messageText(const char* name);

} // namespace tvk
