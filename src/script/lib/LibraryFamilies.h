#pragma once

#include "script/Builtins.h"

namespace tvk::script {

// Registers every library family (one register<Family> call per family file of this folder).
void registerLibraryFamilies(BuiltinTable& table);

} // namespace tvk::script
