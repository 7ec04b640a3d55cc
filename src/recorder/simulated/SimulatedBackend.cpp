#include "recorder/simulated/SimulatedBackend.h"

#include "recorder/VirtualKeys.h"
#include "recorder/simulated/SimulatedKeyMap.h"

#include <algorithm>
#include <cstdint>

namespace tvk {

namespace {

using namespace std::chrono_literals;

bool inKeyRange(int32_t code) {
    return code >= 0 && code <= 255;
}

bool isButton(int32_t code) {
    return code == vk::LButton || code == vk::RButton || code == vk::MButton || code == vk::XButton1 ||
           code == vk::XButton2;
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

bool SimulatedBackend::isDown(int32_t code) {
    if (code < 1 || code > 254) return false;
    if (auto [left, right] = sidesOf(code); left != 0) {
        return m_down[static_cast<size_t>(left)] || m_down[static_cast<size_t>(right)];
    }
    return m_down[static_cast<size_t>(code)];
}

CursorPoint SimulatedBackend::cursorPos() {
    return m_cursor;
}

uint64_t SimulatedBackend::userPressCount(int32_t code) {
    return inKeyRange(code) ? m_userPresses[static_cast<size_t>(code)] : 0;
}

void SimulatedBackend::log(Injection::Kind kind, int32_t code, bool down, int32_t delta, WheelAxis axis) {
    m_injections.push_back({kind, m_now, code, down, delta, axis, m_cursor});
}

void SimulatedBackend::sendKey(int32_t code, bool down) {
    log(Injection::Kind::Key, code, down);
    setPhysical(code, down);
}

void SimulatedBackend::sendButton(int32_t code, bool down) {
    if (!isButton(code)) return;
    log(Injection::Kind::Button, code, down);
    setPhysical(code, down);
}

void SimulatedBackend::moveCursor(int32_t x, int32_t y) {
    m_cursor = {x, y};
    log(Injection::Kind::Cursor);
}

void SimulatedBackend::turnWheel(WheelAxis axis, int32_t delta) {
    log(Injection::Kind::Wheel, 0, false, delta, axis);
}

uint32_t SimulatedBackend::scanCode(int32_t code) {
    return SimulatedKeyMap::scanCodeOf(code);
}

std::string SimulatedBackend::keyName(uint32_t scan) {
    return SimulatedKeyMap::nameOfScanCode(scan);
}

HotkeyGrab SimulatedBackend::grabHotkey(int32_t id, int32_t code, uint32_t modifiers) {
    if (scanCode(code) == 0) return HotkeyGrab::NoSuchKey;
    const Combination combination{code, modifiers};
    if (std::find(m_heldElsewhere.begin(), m_heldElsewhere.end(), combination) != m_heldElsewhere.end())
        return HotkeyGrab::Taken;
    m_grabs[id] = combination;
    return HotkeyGrab::Grabbed;
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
    m_yieldTimes.push_back(m_now);
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

void SimulatedBackend::scheduleWheel(int64_t atMs, WheelAxis axis, int32_t delta) {
    schedule({std::chrono::milliseconds(atMs), 0, 3, axis == WheelAxis::Vertical ? 0 : 1, delta, {}});
}

bool SimulatedBackend::changeTick(int32_t code, int32_t& tick) {
    if (!m_reportChangeTimes || code < 0 || code > 255) return false;
    tick = m_changeTick[static_cast<size_t>(code)];
    return true;
}

void SimulatedBackend::setKeyDown(int32_t code, bool down) {
    userKey(code, down);
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
            if (inKeyRange(it->a)) {
                const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(it->at).count();
                const auto tick = static_cast<int32_t>(static_cast<uint32_t>(m_tickBase) + static_cast<uint32_t>(ms));
                m_changeTick[static_cast<size_t>(it->a)] = tick;
                if (const int32_t generic = vk::genericOf(it->a)) m_changeTick[static_cast<size_t>(generic)] = tick;
            }
            userKey(it->a, it->b != 0);
            it = m_timeline.erase(it);
        } else if (it->kind == 1) {
            m_cursor = {it->a, it->b};
            it = m_timeline.erase(it);
        } else if (it->kind == 3) {
            auto& sum = it->a == 0 ? m_wheel.vertical : m_wheel.horizontal;
            sum = static_cast<int32_t>(std::clamp<int64_t>(int64_t{sum} + it->b, INT32_MIN, INT32_MAX));
            it = m_timeline.erase(it);
        } else {
            ++it; // actions wait for a yield
        }
    }
}

void SimulatedBackend::userKey(int32_t code, bool down) {
    if (!inKeyRange(code)) return;
    if (down && !isDown(code)) {
        ++m_userPresses[static_cast<size_t>(code)];
        if (auto generic = vk::genericOf(code)) ++m_userPresses[static_cast<size_t>(generic)];
        const uint32_t modifiers = (isDown(vk::Shift) ? modifier::Shift : 0) |
                                   (isDown(vk::Control) ? modifier::Control : 0) |
                                   (isDown(vk::Menu) ? modifier::Alt : 0);
        for (const auto& [id, combination] : m_grabs) {
            if (combination == Combination{code, modifiers}) m_hotkeyPresses.push_back(id);
        }
    }
    setPhysical(code, down);
}

void SimulatedBackend::setPhysical(int32_t code, bool down) {
    if (!inKeyRange(code)) return;
    if (auto [left, right] = sidesOf(code); left != 0) code = left;
    m_down[static_cast<size_t>(code)] = down;
}

} // namespace tvk
