// Compiles arbitrary patterns and runs them over arbitrary text: no crash, hang or sanitizer report, and
// every reported match lies inside the text.
#include "events/RuntimeError.h"
#include "script/lib/Regex.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace rx = tvk::script::regex;

// Input: one options byte, then the pattern and the text separated by the first zero byte; each byte pair is
// one UTF-16 code unit when the options ask for it, else one byte is one unit.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    std::u16string pattern, text;
    std::u16string* target = &pattern;
    const bool wide = flags & 4;
    for (size_t i = 1; i < size; i += wide ? 2 : 1) {
        char16_t c = data[i];
        if (wide && i + 1 < size) c = static_cast<char16_t>(c | (data[i + 1] << 8));
        if (c == 0 && target == &pattern) {
            target = &text;
            continue;
        }
        target->push_back(c);
    }
    try {
        rx::Regex re(pattern, rx::Options{(flags & 1) != 0, (flags & 2) != 0});
        std::vector<int> caps;
        size_t from = 0;
        for (int n = 0; n < 64 && from <= text.size() && re.search(text, from, caps, 200'000); ++n) {
            for (size_t g = 0; g < caps.size(); g += 2) {
                const bool unset = caps[g] == -1 && caps[g + 1] == -1;
                if (!unset &&
                    !(caps[g] >= 0 && caps[g] <= caps[g + 1] && static_cast<size_t>(caps[g + 1]) <= text.size()))
                    std::abort();
            }
            rx::expandReplacement(u"[$1|$&|$`|$'|$$|$12]", text, caps);
            from = static_cast<size_t>(caps[1] > caps[0] ? caps[1] : caps[1] + 1);
        }
    } catch (const tvk::RuntimeError&) {
        // Malformed patterns and exhausted budgets are reported as script errors.
    }
    return 0;
}
