#pragma once

#include <cstdint>
#include <string>

namespace tvk {

// Windows-style English name of a key that types no character ("Enter", "Shift", "Num 5", "F13");
// empty for character keys, mouse buttons and unknown codes.
std::string fixedKeyName(int32_t vk);
// The character a character key types on a US layout ('A', '7', ';', '\\'); 0 for other keys.
char usLayoutCharacter(int32_t vk);
// The virtual key of a US-layout character (either case for letters); 0 when none types it.
int32_t virtualKeyOfCharacter(char32_t ch);

} // namespace tvk
