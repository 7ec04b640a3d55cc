#pragma once

#include <QString>

#include <span>

namespace tvk {

// One text the program shows outside its windows' controls: message boxes, questions, dialog
// titles and status texts. `english` is the text when the language has none.
struct MessageText {
    const char* name;
    const char* english;
};

// Every such text, in the order the English language file lists them.
std::span<const MessageText> messageTexts();

// The text `name` of the "Messages" database of the loaded language, or its built-in English when
// the language has no such entry, an empty one or an array. `name` must be one of messageTexts().
QString message(const char* name);

} // namespace tvk
