#pragma once

#include <QIODevice>
#include <QSettings>

namespace tvk {

// The settings file layout: "[Section]" lines followed by "Key=Value" lines, every section alike (the
// name "General" included). A section, key or value that would not survive as plain text (line breaks,
// surrounding blanks, a leading quote, "=" in a key, "]" in a section) is written in double quotes with
// backslash escapes. Reading never fails: lines it cannot understand are skipped.
namespace IniFile {

// Fills `map` with "Section/Key" -> text. Always true, so a damaged file never stops the program.
bool read(QIODevice& device, QSettings::SettingsMap& map);
// Writes `map` grouped by section (the text before the last "/" of each key).
bool write(QIODevice& device, const QSettings::SettingsMap& map);

} // namespace IniFile
} // namespace tvk
