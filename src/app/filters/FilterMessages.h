#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace tvk {

// The Filters window's texts in the "Messages" database: names and English texts, in the order
// the English language file lists them. %1, %2, ... are filled in by the window.
const std::vector<std::pair<const char*, const char*>>& filterMessages();

// The current language's text of one of filterMessages(), or its English text when the language
// file has none (a file written before the entry existed).
QString filterMessage(const char* name);

} // namespace tvk
