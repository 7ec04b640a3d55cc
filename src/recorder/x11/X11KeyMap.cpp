#include "recorder/x11/X11KeyMap.h"

#include "recorder/KeyNames.h"
#include "recorder/VirtualKeys.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <string_view>
#include <utility>

namespace tvk {

namespace {

struct FixedKey {
    std::string_view name;
    int32_t vk;
};

// Keys that type no character, by XKB key name; sided modifiers also drive their generic code.
constexpr FixedKey kFixedKeys[] = {
    {"ESC", vk::Escape},    {"BKSP", vk::Back},     {"TAB", vk::Tab},         {"RTRN", vk::Return},
    {"KPEN", vk::Return},   {"SPCE", vk::Space},    {"CAPS", vk::Capital},    {"LFSH", vk::LShift},
    {"RTSH", vk::RShift},   {"LCTL", vk::LControl}, {"RCTL", vk::RControl},   {"LALT", vk::LMenu},
    {"RALT", vk::RMenu},    {"LWIN", vk::LWin},     {"RWIN", vk::RWin},       {"COMP", vk::Apps},
    {"NMLK", vk::NumLock},  {"SCLK", vk::Scroll},   {"PRSC", vk::Snapshot},   {"PAUS", vk::Pause},
    {"INS", vk::Insert},    {"DELE", vk::Delete},   {"HOME", vk::Home},       {"END", vk::End},
    {"PGUP", vk::Prior},    {"PGDN", vk::Next},     {"UP", vk::Up},           {"DOWN", vk::Down},
    {"LEFT", vk::Left},     {"RGHT", vk::Right},    {"KPAD", vk::Add},        {"KPSU", vk::Subtract},
    {"KPMU", vk::Multiply}, {"KPDV", vk::Divide},   {"MUTE", vk::VolumeMute}, {"VOL-", vk::VolumeDown},
    {"VOL+", vk::VolumeUp},
};

// Keypad keys with NumLock off act as the navigation keys printed on them, as on Windows.
constexpr int32_t kKeypadNavigation[] = {vk::Insert, vk::End,   vk::Down, vk::Next, vk::Left,
                                         vk::Clear,  vk::Right, vk::Home, vk::Up,   vk::Prior};

struct KeysymKey {
    unsigned long keysym;
    int32_t vk;
};

// Keys found by their keysym: those whose XKB names differ between keycode sets. The first
// entry of a virtual key is the keysym that injects it when no key of the layout has it.
constexpr KeysymKey kKeysymKeys[] = {
    {XK_KP_Separator, vk::Separator},
    {XK_KP_Equal, vk::OemNecEqual},
    {XK_KP_Decimal, vk::Decimal},
    {XK_KP_Add, vk::Add},
    {XK_KP_Subtract, vk::Subtract},
    {XK_KP_Multiply, vk::Multiply},
    {XK_KP_Divide, vk::Divide},
    {XK_KP_Enter, vk::Return},
    {XK_Select, vk::Select},
    {XK_Print, vk::Snapshot},
    {XK_Execute, vk::Execute},
    {XK_Help, vk::Help},
    {XK_Kana_Shift, vk::Kana},
    {XK_Kana_Lock, vk::Kana},
    {XK_Hangul, vk::Kana},
    {XK_Kanji, vk::Kanji},
    {XK_Hangul_Hanja, vk::Kanji},
    {XK_Henkan_Mode, vk::Convert},
    {XK_Muhenkan, vk::NonConvert},
    {XF86XK_Sleep, vk::Sleep},
    {XF86XK_Back, vk::BrowserBack},
    {XF86XK_Forward, vk::BrowserForward},
    {XF86XK_Refresh, vk::BrowserRefresh},
    {XF86XK_Reload, vk::BrowserRefresh},
    {XF86XK_Stop, vk::BrowserStop},
    {XF86XK_Search, vk::BrowserSearch},
    {XF86XK_Favorites, vk::BrowserFavorites},
    {XF86XK_HomePage, vk::BrowserHome},
    {XF86XK_AudioMute, vk::VolumeMute},
    {XF86XK_AudioLowerVolume, vk::VolumeDown},
    {XF86XK_AudioRaiseVolume, vk::VolumeUp},
    {XF86XK_AudioNext, vk::MediaNextTrack},
    {XF86XK_AudioPrev, vk::MediaPrevTrack},
    {XF86XK_AudioStop, vk::MediaStop},
    {XF86XK_AudioPlay, vk::MediaPlayPause},
    {XF86XK_AudioPause, vk::MediaPlayPause},
    {XF86XK_Mail, vk::LaunchMail},
    {XF86XK_AudioMedia, vk::LaunchMediaSelect},
    {XF86XK_MyComputer, vk::LaunchApp1},
    {XF86XK_Explorer, vk::LaunchApp1},
    {XF86XK_Calculator, vk::LaunchApp2},
};

// Character keys by XKB key name with the virtual key of their US position.
constexpr FixedKey kCharacterKeys[] = {
    {"TLDE", vk::Oem3},     {"AE11", vk::OemMinus},  {"AE12", vk::OemPlus}, {"AD11", vk::Oem4},
    {"AD12", vk::Oem6},     {"BKSL", vk::Oem5},      {"AC10", vk::Oem1},    {"AC11", vk::Oem7},
    {"AB08", vk::OemComma}, {"AB09", vk::OemPeriod}, {"AB10", vk::Oem2},    {"LSGT", vk::Oem102},
};

// Punctuation codes handed to character keys whose US position is taken by another key.
constexpr int32_t kOemPool[] = {vk::Oem1, vk::Oem2,   vk::Oem3,    vk::Oem4,     vk::Oem5,     vk::Oem6,     vk::Oem7,
                                vk::Oem8, vk::Oem102, vk::OemPlus, vk::OemComma, vk::OemMinus, vk::OemPeriod};

constexpr std::string_view kLetterRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
constexpr std::string_view kLetterRowPrefixes[] = {"AD", "AC", "AB"};

// The US-position virtual key of a character key, 0 when the name is no character key.
int32_t positionalCharacterKey(std::string_view name) {
    for (const auto& k : kCharacterKeys) {
        if (k.name == name) return k.vk;
    }
    if (name.size() != 4 || name[2] < '0' || name[2] > '9' || name[3] < '0' || name[3] > '9') return 0;
    const int col = (name[2] - '0') * 10 + (name[3] - '0');
    if (name.substr(0, 2) == "AE" && col >= 1 && col <= 10) return vk::Digit0 + col % 10;
    for (size_t row = 0; row < 3; ++row) {
        if (name.substr(0, 2) == kLetterRowPrefixes[row] && col >= 1 && col <= int(kLetterRows[row].size())) {
            return kLetterRows[row][static_cast<size_t>(col - 1)];
        }
    }
    return 0;
}

bool isKnownName(std::string_view name) {
    const auto named = [&](const FixedKey& k) { return k.name == name; };
    if (std::any_of(std::begin(kFixedKeys), std::end(kFixedKeys), named)) return true;
    if (name.size() == 4 && name.starts_with("FK")) return true;
    if (name.starts_with("KP") && name.size() == 3) return true;
    return name == "KPDL" || positionalCharacterKey(name) != 0;
}

// The key's name, or the first of its aliases this map knows when the name is not known.
const std::string& knownName(const X11Key& key) {
    if (isKnownName(key.xkbName)) return key.xkbName;
    for (const auto& alias : key.aliases) {
        if (isKnownName(alias)) return alias;
    }
    return key.xkbName;
}

// Unicode code point of the character a keysym types, 0 when none.
char32_t keysymCharacter(unsigned long keysym) {
    switch (keysym) { // dead keys name the accent they add
    case XK_dead_grave:
        return U'`';
    case XK_dead_acute:
        return U'\u00B4';
    case XK_dead_circumflex:
        return U'^';
    case XK_dead_tilde:
        return U'~';
    case XK_dead_diaeresis:
        return U'\u00A8';
    default:
        break;
    }
    if (keysym > 0x1FFFFFFFUL) return 0;
    const char32_t c = xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(keysym));
    return c < 0x20 || c == 0x7F ? 0 : c; // control characters type nothing a name could show
}

// The virtual key Windows gives a character on every layout with Latin letters.
int32_t virtualKeyOfLatinCharacter(char32_t ch) {
    if (ch == U'+') return vk::OemPlus;
    if (ch == U'!') return vk::Oem8;
    return virtualKeyOfCharacter(ch);
}

std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

bool isLevel3Shift(unsigned long keysym) {
    return keysym == XK_ISO_Level3_Shift || keysym == XK_Mode_switch;
}

const std::vector<uint8_t> kNoKeys;
const std::string kNoName;

} // namespace

std::string keysymText(unsigned long keysym) {
    const char32_t c = keysymCharacter(keysym);
    if (c == 0) return {};
    const char32_t upper = xkb_keysym_to_utf32(xkb_keysym_to_upper(static_cast<xkb_keysym_t>(keysym)));
    return utf8(upper >= 0x20 ? upper : c);
}

unsigned long keysymOfVirtualKey(int32_t code) {
    if (code >= vk::F1 && code <= vk::F24) return XK_F1 + static_cast<unsigned long>(code - vk::F1);
    if (code >= vk::Numpad0 && code <= vk::Numpad0 + 9) return XK_KP_0 + static_cast<unsigned long>(code - vk::Numpad0);
    for (const auto& k : kKeysymKeys) {
        if (k.vk == code) return k.keysym;
    }
    return 0;
}

void X11KeyMap::claimKeycode(int32_t code, int kc) {
    auto& injectCode = m_keycodes[static_cast<size_t>(code)];
    if (injectCode == 0) injectCode = static_cast<uint8_t>(kc);
}

void X11KeyMap::assignFixed(const X11Key& key, int32_t code, std::string name) {
    const auto kc = static_cast<size_t>(key.keycode);
    m_vks[kc] = {static_cast<uint8_t>(code)};
    if (const int32_t generic = vk::genericOf(code)) m_vks[kc].push_back(static_cast<uint8_t>(generic));
    m_names[kc] = std::move(name);
    claimKeycode(code, key.keycode);
    // The generic modifiers inject their left side.
    if (const int32_t generic = vk::genericOf(code);
        generic != 0 && (code == vk::LShift || code == vk::LControl || code == vk::LMenu ||
                         m_keycodes[static_cast<size_t>(generic)] == 0)) {
        m_keycodes[static_cast<size_t>(generic)] = static_cast<uint8_t>(key.keycode);
    }
}

X11KeyMap::X11KeyMap(const std::vector<X11Key>& keys) {
    struct CharacterKey {
        const X11Key* key;
        int32_t positional;
        char32_t typed;
    };
    std::vector<CharacterKey> characterKeys;
    std::vector<std::pair<const X11Key*, std::string>> keypad;
    std::vector<const X11Key*> level3; // the right Alt key first
    int latinLetters = 0;
    int otherLetters = 0;

    // Keys whose code follows from their name or keysym come first, so they win injection.
    for (const auto& key : keys) {
        if (key.keycode < 8 || key.keycode > 255) continue;
        const std::string& name = knownName(key);
        int32_t code = 0;
        for (const auto& k : kFixedKeys) {
            if (k.name == name) code = k.vk;
        }
        if (name.size() == 4 && name.starts_with("FK") && name[2] >= '0' && name[2] <= '9' && name[3] >= '0' &&
            name[3] <= '9') {
            const int n = (name[2] - '0') * 10 + (name[3] - '0');
            if (n >= 1 && n <= 24) code = vk::F1 + n - 1;
        }
        const bool keypadDigit = name.size() == 3 && name.starts_with("KP") && name[2] >= '0' && name[2] <= '9';
        if (keypadDigit || name == "KPDL") {
            keypad.push_back({&key, name});
            continue;
        }
        if (isLevel3Shift(key.keysym) && (code == 0 || code == vk::RMenu)) {
            level3.insert(code == vk::RMenu ? level3.begin() : level3.end(), &key);
            continue;
        }
        if (code != 0) {
            assignFixed(key, code, name == "KPEN" ? "Num Enter" : fixedKeyName(code));
            continue;
        }
        for (const auto& k : kKeysymKeys) {
            if (k.keysym == key.keysym) code = k.vk;
        }
        if (code != 0) {
            assignFixed(key, code, fixedKeyName(code));
            continue;
        }
        const int32_t positional = positionalCharacterKey(name);
        const char32_t typed = keysymCharacter(key.keysym);
        if (positional == 0 && typed == 0) {
            if (key.keysym == 0) m_spare.push_back(key.keycode);
            continue;
        }
        characterKeys.push_back({&key, positional, typed});
        if (positional >= vk::LetterA && positional <= vk::LetterZ && typed != 0) {
            ++((typed >= U'a' && typed <= U'z') || (typed >= U'A' && typed <= U'Z') ? latinLetters : otherLetters);
        }
    }

    // AltGr: Windows reports it as left Ctrl with right Alt. It injects right Alt when it is the
    // right Alt key or no key is.
    for (const X11Key* key : level3) {
        const auto kc = static_cast<size_t>(key->keycode);
        m_vks[kc] = {uint8_t(vk::RMenu), uint8_t(vk::Menu), uint8_t(vk::LControl), uint8_t(vk::Control)};
        m_names[kc] = fixedKeyName(vk::RMenu);
        if (m_keycodes[size_t(vk::RMenu)] == 0) {
            m_keycodes[size_t(vk::RMenu)] = static_cast<uint8_t>(key->keycode);
            m_rightAltIsAltGr = true;
        }
        claimKeycode(vk::Menu, key->keycode);
    }

    // Layouts with Latin letters give letters and some punctuation the code of their character
    // (a German Z is the Z key); others keep every key at its US position (a Russian Я is Z).
    const bool byCharacter = latinLetters >= otherLetters;
    std::array<bool, 256> taken{};
    std::vector<int32_t> chosen(characterKeys.size(), 0);
    for (size_t i = 0; i < characterKeys.size(); ++i) {
        const auto& c = characterKeys[i];
        const bool digitRow = c.positional >= vk::Digit0 && c.positional <= vk::Digit0 + 9;
        const int32_t byLayout = byCharacter && !digitRow ? virtualKeyOfLatinCharacter(c.typed) : 0;
        if (byLayout != 0) {
            chosen[i] = byLayout;
            taken[static_cast<size_t>(byLayout)] = true;
        }
    }
    for (size_t i = 0; i < characterKeys.size(); ++i) {
        if (chosen[i] != 0 || characterKeys[i].positional == 0) continue;
        int32_t code = characterKeys[i].positional;
        if (taken[static_cast<size_t>(code)]) {
            // Two keys must not share a code, or replay could not tell them apart.
            const auto* free = std::find_if(std::begin(kOemPool), std::end(kOemPool),
                                            [&](int32_t c) { return !taken[static_cast<size_t>(c)]; });
            if (free != std::end(kOemPool)) code = *free;
        }
        chosen[i] = code;
        taken[static_cast<size_t>(code)] = true;
    }
    for (size_t i = 0; i < characterKeys.size(); ++i) {
        if (chosen[i] == 0) continue; // a character no code stands for, on a key of no known place
        const auto& c = characterKeys[i];
        const auto kc = static_cast<size_t>(c.key->keycode);
        m_vks[kc] = {static_cast<uint8_t>(chosen[i])};
        m_names[kc] = keysymText(c.key->keysym);
        if (m_names[kc].empty() && c.positional != 0) m_names[kc] = std::string(1, usLayoutCharacter(c.positional));
        claimKeycode(chosen[i], c.key->keycode);
    }

    // Keypad keys last: with NumLock off they stand for navigation keys, which the main block injects.
    for (const auto& [key, name] : keypad) {
        const auto kc = static_cast<size_t>(key->keycode);
        const bool decimal = name == "KPDL";
        const int32_t withNumLock = decimal ? vk::Decimal : vk::Numpad0 + (name[2] - '0');
        const int32_t without = decimal ? vk::Delete : kKeypadNavigation[name[2] - '0'];
        m_vks[kc] = {static_cast<uint8_t>(withNumLock)};
        m_vksNumLockOff[kc] = {static_cast<uint8_t>(without)};
        m_names[kc] = fixedKeyName(withNumLock);
        // The keypad key itself injects its NumLock code, even where another key has that keysym too.
        m_keycodes[static_cast<size_t>(withNumLock)] = static_cast<uint8_t>(key->keycode);
        claimKeycode(without, key->keycode);
    }
    std::sort(m_spare.begin(), m_spare.end(), std::greater<>());
}

const std::vector<uint8_t>& X11KeyMap::virtualKeysOf(int kc, bool numLock) const {
    if (kc < 0 || kc > 255) return kNoKeys;
    const auto& off = m_vksNumLockOff[static_cast<size_t>(kc)];
    return !numLock && !off.empty() ? off : m_vks[static_cast<size_t>(kc)];
}

int X11KeyMap::keycodeOf(int32_t code) const {
    return code >= 0 && code <= 255 ? m_keycodes[size_t(code)] : 0;
}

int X11KeyMap::scanCodeOf(int32_t code) const {
    const int kc = keycodeOf(code);
    return kc >= 8 ? kc - 8 : 0;
}

const std::string& X11KeyMap::nameOfScanCode(int scan) const {
    const int kc = scan + 8;
    return scan > 0 && kc <= 255 ? m_names[static_cast<size_t>(kc)] : kNoName;
}

} // namespace tvk
