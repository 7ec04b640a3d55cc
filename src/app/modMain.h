#pragma once

#include <QString>

#include <cstdint>

class QAbstractItemView;
class QWidget;

namespace tvk {

class InputBackend;
class clsLanguage;
class clsSettings;

// The program-wide language database, created on first use and kept until the end.
clsLanguage& language();
// The program-wide settings store, created on first use (the user's own file unless a test
// chose another with useSettingsFile first).
clsSettings& settings();
void useSettingsFile(const QString& path);

// Folder of the running executable with symbolic links resolved, and its "Languages" folder.
QString executableFolder();
QString languagesFolder();
// Tests point the program at a folder of their own; empty text restores the default.
void setLanguagesFolderOverride(const QString& folder);

// Reads "General"/"Language" (default "English"), loads that language file and retranslates every
// loaded window. A well-formed file that breaks the format raises its RuntimeError after the
// windows were retranslated with what did load.
void LoadLanguage();
// LoadLanguage for callers that must go on: a failure is shown in a message box owned by `owner`.
// Returns false when it failed.
bool loadLanguageReporting(QWidget* owner);

// Name of a key value as the list shows it after "VK_": the fixed names of 1 to 6, else the
// modifier prefixes ("Alt+", "Ctrl+", "Shift+") of bits 8 to 15 and the backend's key name of
// bits 0 to 7. keyValue is cut to bits 0 to 7 and modifiers receives bits 8 to 15, except for 1 to 6.
QString GetKeyName(InputBackend& backend, int32_t& keyValue, int32_t& modifiers);

// Closes (unloads) every loaded window but `keep`, in load order.
void UnloadOtherForms(QWidget* keep);

// Brings row `index` of `view` into view when it lies outside top .. top + rows per page,
// leaving `offset` rows of context on the side it scrolled from.
void ScrollToItem(QAbstractItemView* view, int index, int offset);

} // namespace tvk
