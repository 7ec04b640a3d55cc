#include "script/lib/LibraryFamilies.h"

namespace tvk::script {

// The one table of library families; each family file adds its register call here.
void registerLibraryFamilies(BuiltinTable& table) {
    (void)table;
}

} // namespace tvk::script
