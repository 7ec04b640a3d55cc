#pragma once

#include <cstdint>
#include <string>

namespace tvk {

class InputBackend;

// Windows-style English name of a key that types no character ("Enter", "Shift", "Num 5", "F13");
// empty for character keys, mouse buttons and unknown codes.
std::string fixedKeyName(int32_t vk);
// The character a character key types on a US layout ('A', '7', ';', '\\'); 0 for other keys.
char usLayoutCharacter(int32_t vk);
// The virtual key of a US-layout character (either case for letters); 0 when none types it.
int32_t virtualKeyOfCharacter(char32_t ch);

// Name of virtual key vk as the system reports it: its scan code looked up, then that scan
// code's name (extended bit clear); empty when the key has no scan code or no name.
std::string keyName(InputBackend& backend, int32_t vk);

} // namespace tvk
