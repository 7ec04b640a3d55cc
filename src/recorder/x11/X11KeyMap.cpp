#include "recorder/x11/X11KeyMap.h"

#include "recorder/KeyNames.h"
#include "recorder/VirtualKeys.h"

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
    {"ESC", vk::Escape},      {"BKSP", vk::Back},     {"TAB", vk::Tab},       {"RTRN", vk::Return},
    {"KPEN", vk::Return},     {"SPCE", vk::Space},    {"CAPS", vk::Capital},  {"LFSH", vk::LShift},
    {"RTSH", vk::RShift},     {"LCTL", vk::LControl}, {"RCTL", vk::RControl}, {"LALT", vk::LMenu},
    {"RALT", vk::RMenu},      {"LWIN", vk::LWin},     {"RWIN", vk::RWin},     {"COMP", vk::Apps},
    {"NMLK", vk::NumLock},    {"SCLK", vk::Scroll},   {"PRSC", vk::Snapshot}, {"PAUS", vk::Pause},
    {"INS", vk::Insert},      {"DELE", vk::Delete},   {"HOME", vk::Home},     {"END", vk::End},
    {"PGUP", vk::Prior},      {"PGDN", vk::Next},     {"UP", vk::Up},         {"DOWN", vk::Down},
    {"LEFT", vk::Left},       {"RGHT", vk::Right},    {"KPDL", vk::Decimal},  {"KPAD", vk::Add},
    {"KPSU", vk::Subtract},   {"KPMU", vk::Multiply}, {"KPDV", vk::Divide},   {"MUTE", vk::VolumeMute},
    {"VOL-", vk::VolumeDown}, {"VOL+", vk::VolumeUp},
};

// Character keys by XKB key name with the virtual key of their US position.
constexpr FixedKey kCharacterKeys[] = {
    {"TLDE", vk::Oem3},     {"AE11", vk::OemMinus},  {"AE12", vk::OemPlus}, {"AD11", vk::Oem4},
    {"AD12", vk::Oem6},     {"BKSL", vk::Oem5},      {"AC10", vk::Oem1},    {"AC11", vk::Oem7},
    {"AB08", vk::OemComma}, {"AB09", vk::OemPeriod}, {"AB10", vk::Oem2},    {"LSGT", vk::Oem102},
};

constexpr std::string_view kLetterRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
constexpr std::string_view kLetterRowPrefixes[] = {"AD", "AC", "AB"};

// The US-position virtual key of a character key, 0 when the name is no character key.
int32_t positionalCharacterKey(std::string_view name) {
    for (const auto& k : kCharacterKeys) {
        if (k.name == name) return k.vk;
    }
    if (name.size() != 4) return 0;
    const int col = (name[2] - '0') * 10 + (name[3] - '0');
    if (name.substr(0, 2) == "AE" && col >= 1 && col <= 10) return vk::Digit0 + col % 10;
    for (size_t row = 0; row < 3; ++row) {
        if (name.substr(0, 2) == kLetterRowPrefixes[row] && col >= 1 && col <= int(kLetterRows[row].size())) {
            return kLetterRows[row][static_cast<size_t>(col - 1)];
        }
    }
    return 0;
}

// Unicode code point of the character a keysym types, 0 when none.
char32_t keysymCharacter(unsigned long keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) return char32_t(keysym);
    if ((keysym & 0xFF000000UL) == 0x01000000UL) return char32_t(keysym & 0x00FFFFFFUL);
    switch (keysym) { // dead keys name the accent they add
    case 0xFE50:
        return U'`';
    case 0xFE51:
        return U'\u00B4';
    case 0xFE52:
        return U'^';
    case 0xFE53:
        return U'~';
    case 0xFE57:
        return U'\u00A8';
    default:
        return 0;
    }
}

char32_t toUpper(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    return c;
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

const std::vector<uint8_t> kNoKeys;
const std::string kNoName;

} // namespace

std::string keysymText(unsigned long keysym) {
    const char32_t c = keysymCharacter(keysym);
    return c == 0 ? std::string() : utf8(toUpper(c));
}

void X11KeyMap::assign(int kc, const std::string& xkbName, unsigned long keysym) {
    if (kc < 8 || kc > 255) return;
    const auto code = static_cast<size_t>(kc);
    int32_t vkCode = 0;
    for (const auto& k : kFixedKeys) {
        if (k.name == xkbName) vkCode = k.vk;
    }
    if (xkbName.size() == 4 && xkbName.starts_with("FK")) {
        const int n = (xkbName[2] - '0') * 10 + (xkbName[3] - '0');
        if (n >= 1 && n <= 24) vkCode = vk::F1 + n - 1;
    }
    if (xkbName.size() == 3 && xkbName.starts_with("KP") && xkbName[2] >= '0' && xkbName[2] <= '9') {
        vkCode = vk::Numpad0 + (xkbName[2] - '0');
    }

    std::string name;
    if (vkCode != 0) {
        name = xkbName == "KPEN" ? "Num Enter" : fixedKeyName(vkCode);
    } else if (const int32_t positional = positionalCharacterKey(xkbName)) {
        // Letters and punctuation follow the layout; the top row keeps its digits on every layout.
        const char32_t typed = keysymCharacter(keysym);
        const int32_t byLayout = virtualKeyOfCharacter(typed);
        const bool digitRow = positional >= vk::Digit0 && positional <= vk::Digit0 + 9;
        vkCode = (byLayout != 0 && !digitRow) ? byLayout : positional;
        name = keysymText(keysym);
        if (name.empty()) name = std::string(1, usLayoutCharacter(positional));
    }
    if (vkCode == 0) return;

    m_vks[code] = {static_cast<uint8_t>(vkCode)};
    if (const int32_t generic = vk::genericOf(vkCode)) m_vks[code].push_back(static_cast<uint8_t>(generic));
    m_names[code] = std::move(name);
    // The first key code found injects the key; the generic modifiers inject their left side.
    auto& injectCode = m_keycodes[static_cast<size_t>(vkCode)];
    if (injectCode == 0) injectCode = static_cast<uint8_t>(kc);
    if (const int32_t generic = vk::genericOf(vkCode);
        generic != 0 && (xkbName[0] == 'L' || m_keycodes[static_cast<size_t>(generic)] == 0)) {
        m_keycodes[static_cast<size_t>(generic)] = static_cast<uint8_t>(kc);
    }
}

const std::vector<uint8_t>& X11KeyMap::virtualKeysOf(int kc) const {
    return kc >= 0 && kc <= 255 ? m_vks[static_cast<size_t>(kc)] : kNoKeys;
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
