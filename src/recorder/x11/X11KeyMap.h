#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tvk {

// One key of the server's keyboard map, as the key map needs it.
struct X11Key {
    int keycode = 0;
    std::string xkbName;              // XKB key name
    unsigned long keysym = 0;         // first level of the active group, 0 when the key has none
    std::vector<std::string> aliases; // other names of the key, tried when xkbName is not known
};

// The link between X key codes and virtual-key codes for the current keyboard map. Fixed keys
// (modifiers, function, navigation, keypad) are found by their XKB key names, which hold on
// every layout; media, browser and launch keys by their keysyms; character keys by the character
// their first level types where the virtual key follows the character, by their US position
// otherwise, so that no two character keys share a code. Scan codes are X key codes minus 8.
class X11KeyMap {
public:
    X11KeyMap() = default;
    // The map of a keyboard; keys outside 8..255 are ignored.
    explicit X11KeyMap(const std::vector<X11Key>& keys);

    // Virtual keys driven by key code kc: a sided modifier drives its generic code too, AltGr
    // drives left Ctrl and right Alt as on Windows, keypad keys follow NumLock.
    const std::vector<uint8_t>& virtualKeysOf(int kc, bool numLock = true) const;
    // The key code that injects virtual key vk, 0 when none.
    int keycodeOf(int32_t vk) const;
    // True when the key that injects right Alt is AltGr (a third-level shift) in this layout.
    bool rightAltIsAltGr() const { return m_rightAltIsAltGr; }
    // Key codes with no keysym and no virtual key, which injection may bind to a keysym; highest first.
    const std::vector<int>& spareKeycodes() const { return m_spare; }

    // Name of the key with scan code `scan` ("A", "Enter", "Num 5", "Ж"), empty when unknown.
    const std::string& nameOfScanCode(int scan) const;
    int scanCodeOf(int32_t vk) const;

private:
    void assignFixed(const X11Key& key, int32_t vk, std::string name);
    void claimKeycode(int32_t vk, int kc);

    std::array<std::vector<uint8_t>, 256> m_vks;
    std::array<std::vector<uint8_t>, 256> m_vksNumLockOff; // keypad keys only
    std::array<uint8_t, 256> m_keycodes{};
    std::array<std::string, 256> m_names;
    std::vector<int> m_spare;
    bool m_rightAltIsAltGr = false;
};

// The text a keysym types (UTF-8, upper case), empty for keysyms that type nothing.
std::string keysymText(unsigned long keysym);
// The keysym that types virtual key vk on any layout (function, keypad, media keys), 0 when none.
unsigned long keysymOfVirtualKey(int32_t vk);

} // namespace tvk
