#include "events/ErrorTable.h"

namespace tvk::err {

namespace {

#define TVK_ERROR_ENTRY(name, number, text, ...) Entry{number, #name, text, std::string_view{__VA_ARGS__}},
constexpr Entry Entries[] = {TVK_ERROR_TABLE(TVK_ERROR_ENTRY)};
#undef TVK_ERROR_ENTRY

// Each row's position in Entries.
enum Row : int {
#define TVK_ERROR_ROW(name, ...) Row##name,
    TVK_ERROR_TABLE(TVK_ERROR_ROW)
#undef TVK_ERROR_ROW
};

// The row of `number`, or nullptr. A switch over the list: the compiler picks the lookup, and a
// number listed twice is a duplicate case.
const Entry* find(int number) {
    switch (number) {
#define TVK_ERROR_CASE(name, number, ...)                                                                              \
    case number:                                                                                                       \
        return &Entries[Row##name];
        TVK_ERROR_TABLE(TVK_ERROR_CASE)
#undef TVK_ERROR_CASE
    default:
        return nullptr;
    }
}

} // namespace

std::span<const Entry> table() {
    return Entries;
}

std::string_view describe(int number, Wording wording) {
    const Entry* entry = find(number);
    if (!entry) return GenericText;
    if (wording == Wording::Script && !entry->scriptText.empty()) return entry->scriptText;
    return entry->text.empty() ? GenericText : entry->text;
}

} // namespace tvk::err
