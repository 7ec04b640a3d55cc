#pragma once

#include "recorder/InputBackend.h"

#include <cstdint>
#include <vector>

namespace tvk {

// Keeps the program's own key commands out of a recording: the combinations of its global
// hotkeys wherever the user presses them, and the keys of the gesture that started it.
class CommandKeyFilter {
public:
    // A command: a key (virtual-key code) pressed while exactly these modifier bits are down.
    struct Combination {
        int32_t vk = 0;
        uint32_t modifiers = 0;
    };

    void setCombinations(std::vector<Combination> combinations) { m_combinations = std::move(combinations); }

    // Starts a recording: of the keys `held` now, those in startKeys leave out their release.
    void begin(const KeyStateTable& held, const std::vector<int32_t>& startKeys);
    // Whether a recording leaves out a change of key k that a poll found (`now`: the keys down after
    // it): the press of a combination's key while exactly its modifiers are down, and the release of
    // every key left out or hidden.
    bool leavesOut(int32_t k, bool down, const KeyStateTable& now);
    // Leaves out the release of key k (a modifier whose press was taken back).
    void hide(int32_t k);

private:
    bool isCommand(int32_t k, const KeyStateTable& now) const;

    std::vector<Combination> m_combinations;
    KeyStateTable m_hidden{};
};

} // namespace tvk
