#include "recorder/simulated/SimulatedBackend.h"

#include "recorder/KeyNames.h"
#include "recorder/VirtualKeys.h"

#include <algorithm>

namespace tvk {

namespace {

using namespace std::chrono_literals;

bool inKeyRange(int32_t code) {
    return code >= 0 && code <= 255;
}

// The generic modifiers read as the union of their two sides.
std::pair<int32_t, int32_t> sidesOf(int32_t generic) {
    switch (generic) {
    case vk::Shift:
        return {vk::LShift, vk::RShift};
    case vk::Control:
        return {vk::LControl, vk::RControl};
    case vk::Menu:
        return {vk::LMenu, vk::RMenu};
    default:
        return {0, 0};
    }
}

} // namespace

int16_t SimulatedBackend::asyncKeyState(int32_t code) {
    if (code < 1 || code > 254) return 0;
    bool down = m_down[static_cast<size_t>(code)];
    if (auto [left, right] = sidesOf(code); left != 0) {
        down = m_down[static_cast<size_t>(left)] || m_down[static_cast<size_t>(right)];
    }
    return down ? static_cast<int16_t>(-32768) : int16_t{0};
}

CursorPoint SimulatedBackend::cursorPos() {
    return m_cursor;
}

void SimulatedBackend::setCursorPos(int32_t x, int32_t y) {
    m_cursor = {x, y};
    m_injections.push_back({Injection::Kind::Cursor, m_now, 0, 0, 0, m_cursor});
}

void SimulatedBackend::mouseEvent(uint32_t flags, int32_t data) {
    m_injections.push_back({Injection::Kind::Button, m_now, 0, flags, data, m_cursor});
    const int32_t extra = data == 2 ? vk::XButton2 : vk::XButton1;
    if (flags & mouse::LeftDown) setPhysical(vk::LButton, true);
    if (flags & mouse::LeftUp) setPhysical(vk::LButton, false);
    if (flags & mouse::RightDown) setPhysical(vk::RButton, true);
    if (flags & mouse::RightUp) setPhysical(vk::RButton, false);
    if (flags & mouse::MiddleDown) setPhysical(vk::MButton, true);
    if (flags & mouse::MiddleUp) setPhysical(vk::MButton, false);
    if (flags & mouse::XDown) setPhysical(extra, true);
    if (flags & mouse::XUp) setPhysical(extra, false);
}

void SimulatedBackend::keybdEvent(uint8_t code, uint8_t /*scan*/, uint32_t flags) {
    m_injections.push_back({Injection::Kind::Key, m_now, code, flags, 0, m_cursor});
    setPhysical(code, (flags & KeyEventKeyUp) == 0);
}

int32_t SimulatedBackend::tickCount() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(m_now).count();
    return static_cast<int32_t>(static_cast<uint32_t>(m_tickBase) + static_cast<uint32_t>(ms));
}

void SimulatedBackend::sleep(int32_t ms) {
    if (ms > 0) advance(std::chrono::milliseconds(ms) + m_overshoot);
    m_sleepEnds.push_back(m_now);
}

void SimulatedBackend::sleepUntil(Nanos deadline) {
    if (deadline > m_now) advance(deadline - m_now + m_overshoot);
    m_sleepEnds.push_back(m_now);
}

void SimulatedBackend::yield() {
    ++m_yields;
    advance(m_yieldCost);
    // Actions run in time order; the entry is taken off the timeline before it runs, so an
    // action may schedule more, or run a nested loop that yields again.
    for (;;) {
        auto due = std::find_if(m_timeline.begin(), m_timeline.end(),
                                [&](const Scheduled& s) { return s.kind == 2 && s.at <= m_now; });
        if (due == m_timeline.end()) break;
        auto action = std::move(due->action);
        m_timeline.erase(due);
        action();
    }
    InputBackend::yield();
}

uint32_t SimulatedBackend::mapVirtualKey(uint32_t code, uint32_t mapType) {
    if (mapType != 0 || code > 255) return 0;
    const auto vkCode = static_cast<int32_t>(code);
    // Scan codes of this simulated keyboard equal the key codes of the keys it names.
    return (usLayoutCharacter(vkCode) != 0 || !fixedKeyName(vkCode).empty()) ? code : 0;
}

std::string SimulatedBackend::keyNameText(int32_t lParam) {
    const int32_t scan = (lParam >> 16) & 0xFF;
    if (const char ch = usLayoutCharacter(scan)) return std::string(1, ch);
    return fixedKeyName(scan);
}

void SimulatedBackend::advance(Nanos by) {
    if (by > 0ns) m_now += by;
    applyDueChanges();
}

void SimulatedBackend::scheduleKey(int64_t atMs, int32_t code, bool down) {
    schedule({std::chrono::milliseconds(atMs), 0, 0, code, down ? 1 : 0, {}});
}

void SimulatedBackend::scheduleCursor(int64_t atMs, int32_t x, int32_t y) {
    schedule({std::chrono::milliseconds(atMs), 0, 1, x, y, {}});
}

void SimulatedBackend::scheduleAction(int64_t atMs, std::function<void()> action) {
    schedule({std::chrono::milliseconds(atMs), 0, 2, 0, 0, std::move(action)});
}

void SimulatedBackend::setKeyDown(int32_t code, bool down) {
    setPhysical(code, down);
}

void SimulatedBackend::schedule(Scheduled item) {
    item.order = m_nextOrder++;
    auto pos = std::upper_bound(m_timeline.begin(), m_timeline.end(), item, [](const auto& a, const auto& b) {
        return a.at != b.at ? a.at < b.at : a.order < b.order;
    });
    m_timeline.insert(pos, std::move(item));
    applyDueChanges();
}

void SimulatedBackend::applyDueChanges() {
    auto it = m_timeline.begin();
    while (it != m_timeline.end() && it->at <= m_now) {
        if (it->kind == 0) {
            setPhysical(it->a, it->b != 0);
            it = m_timeline.erase(it);
        } else if (it->kind == 1) {
            m_cursor = {it->a, it->b};
            it = m_timeline.erase(it);
        } else {
            ++it; // actions wait for a yield
        }
    }
}

void SimulatedBackend::setPhysical(int32_t code, bool down) {
    if (!inKeyRange(code)) return;
    if (auto [left, right] = sidesOf(code); left != 0) code = left;
    m_down[static_cast<size_t>(code)] = down;
}

} // namespace tvk
