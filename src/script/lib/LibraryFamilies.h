#pragma once

#include "script/Builtins.h"

namespace tvk::script {

// Registers every library family (one register<Family> call per family file of this folder).
void registerLibraryFamilies(BuiltinTable& table);

namespace lib {
void registerStringFunctions(BuiltinTable& table);
void registerMathFunctions(BuiltinTable& table);
void registerConversionFunctions(BuiltinTable& table);
void registerDateFunctions(BuiltinTable& table);
void registerFormatFunctions(BuiltinTable& table);
void registerEnvironmentFunctions(BuiltinTable& table);
// `New RegExp` and CreateObject("Scripting.Dictionary").
void registerObjectClasses(BuiltinTable& table);
} // namespace lib

} // namespace tvk::script
