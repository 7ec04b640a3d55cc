#pragma once

namespace tvk {

class clsLanguage;

// Kinds of control whose texts are translated: captions and column headers, not the contents
// of text boxes or lists.
inline constexpr const char* kTranslatedKinds = "Menu;CommandButton;CheckBox;Label;Frame;ListView";

// Fills `target` with the English language: every window's database captured from the windows as
// designed (the program-wide language must hold no databases, so nothing is translated first), and
// the "Messages" database. Needs a QApplication.
void buildEnglishLanguage(clsLanguage& target);

} // namespace tvk
