#include "recorder/clsRecorder.h"

#include "events/RuntimeError.h"
#include "recorder/StopTrim.h"
#include "recorder/VirtualKeys.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace tvk {

namespace {

using namespace std::chrono_literals;

// The longest a replay goes without letting the window system run.
constexpr auto kYieldPeriod = 10ms;

// Counts a running loop for isRecording / isReplaying, also when the loop ends by an error.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

// Tick difference with the wrap of the 32-bit tick counter (a recording may span the wrap).
int32_t tickDifference(int32_t later, int32_t earlier) {
    return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

bool isButton(int32_t code) {
    return code == vk::LButton || code == vk::RButton || code == vk::MButton || code == vk::XButton1 ||
           code == vk::XButton2;
}

constexpr int32_t kMaxWheelNotches = 1000;

bool isModifier(int32_t code) {
    return (code >= vk::Shift && code <= vk::Menu) || code == vk::LWin || code == vk::RWin ||
           (code >= vk::LShift && code <= vk::RMenu);
}

// Nearest integer, halves to the even neighbour; callers keep the value within 32 bits.
int32_t roundHalfEven(double v) {
    return static_cast<int32_t>(std::nearbyint(v));
}

} // namespace

clsRecorder::clsRecorder(std::shared_ptr<InputBackend> backend) : m_backend(std::move(backend)) {
    if (!m_backend) throw RuntimeError(err::ObjectNotSet);
}

clsRecorder::~clsRecorder() {
    StopProcess();
    // Dropping the recorder must not leave keys of a replay held down; nothing can report here.
    try {
        releaseHeldInput();
    } catch (...) {
    }
}

std::shared_ptr<clsEvents> clsRecorder::requireEvents() const {
    auto list = Events;
    if (!list) throw RuntimeError(err::ObjectNotSet);
    return list;
}

void clsRecorder::StopProcess() {
    m_stopRequested = true;
}

void clsRecorder::StopProcess(std::vector<int32_t> gestureKeys) {
    m_gestureKeys = std::move(gestureKeys);
    StopProcess();
}

void clsRecorder::watchStopKey(bool on) {
    m_watchingStopKey = on && m_stopKey > 0 && m_stopKey <= 255;
    m_stoppedByUser = false;
    if (m_watchingStopKey) m_stopKeyPresses = m_backend->userPressCount(m_stopKey);
}

void clsRecorder::checkStopKey() {
    if (!m_watchingStopKey || m_stoppedByUser) return;
    if (m_backend->userPressCount(m_stopKey) == m_stopKeyPresses) return;
    m_stoppedByUser = true;
    m_stopRequested = true;
}

void clsRecorder::yieldNow() {
    m_backend->yield();
    m_lastYield = m_backend->monotonicNow();
    checkStopKey();
}

void clsRecorder::yieldIfDue() {
    if (m_backend->monotonicNow() - m_lastYield >= kYieldPeriod) yieldNow();
}

void clsRecorder::InitiateRecording(int32_t lngInterval) {
    // Handlers run inside the yields may drop the last outside reference to this recorder.
    const auto self = weak_from_this().lock();
    const auto backend = m_backend;
    if (lngInterval < 1) throw RuntimeError(err::InvalidCall);
    DepthGuard depth(m_recordingDepth);

    m_stopRequested = false;
    m_gestureKeys.clear();
    const std::vector<int32_t> startGesture = std::exchange(m_startGesture, {});
    const auto recordedList = requireEvents();
    // As with replays, a stop by the user holds until the stop key is watched again.
    if (m_watchingStopKey && m_stoppedByUser) return;
    const int32_t first = recordedList->EventCount;
    std::vector<bool> own; // per event of this recording: it went to one of the program's windows
    m_mouseDetail = recordedList->MouseUpDetail;
    int32_t stamp = backend->tickCount();
    int64_t countdown = 0;
    CursorPoint current;
    CursorPoint lastRecorded;
    backend->beginPolling();
    backend->readKeyStates(m_keyStates);
    m_commandKeys.begin(m_keyStates, startGesture);
    m_unrecordedKeys = 0;

    KeyStateTable now{};
    while (!m_stopRequested) {
        backend->readKeyStates(now);
        const bool keysChanged = now != m_keyStates;
        // One poll may find a modifier and a key changed together (AltGr+Q typed within a poll):
        // modifier presses go first and their releases last, the order in which a person types.
        for (int pass = 0; keysChanged && pass < 3; ++pass) {
            for (int32_t k = 0; k <= 255; ++k) {
                const bool down = now[static_cast<size_t>(k)];
                if (down == m_keyStates[static_cast<size_t>(k)]) continue;
                if (k >= 10 && k <= 12) continue; // never recorded
                if (pass != (!isModifier(k) ? 1 : down ? 0 : 2)) continue;
                if (m_commandKeys.leavesOut(k, down, now)) {
                    if (down) takeBackModifiers(*recordedList, first, own, now);
                    continue;
                }
                recordChange(k, down, stamp, current, lastRecorded);
                const auto list = requireEvents();
                if (list == recordedList && list->EventCount > first) {
                    own.resize(static_cast<size_t>(list->EventCount - first));
                    own.back() = m_ownInput && m_ownInput(k, current);
                }
            }
        }
        m_keyStates = now;
        m_unrecordedKeys = backend->unrecordableKeyPresses();
        recordWheel(stamp, current, lastRecorded);

        countdown -= lngInterval;
        if (countdown <= 0) {
            countdown = 0; // stays expired until the cursor moves; never drifts towards overflow
            current = backend->cursorPos();
            if (current != lastRecorded) {
                addWaitEvent(stamp);
                requireEvents()->AddEvent(MouseMove, false, current.x, current.y, 0);
                lastRecorded = backend->cursorPos();
                countdown = m_mouseDetail;
            }
        }
        backend->sleep(lngInterval);
        backend->yield();
        checkStopKey();
    }
    m_unrecordedKeys = backend->unrecordableKeyPresses();
    trimStopGesture(*recordedList, first, own);
}

void clsRecorder::trimStopGesture(clsEvents& list, int32_t first, std::vector<bool>& own) {
    // Only a list that holds exactly what this recording appended (no handler replaced or cut it).
    if (Events.get() != &list || list.EventCount < first) return;
    own.resize(static_cast<size_t>(list.EventCount - first));
    StopGesture stop;
    stop.gestureKeys = std::move(m_gestureKeys);
    m_gestureKeys.clear();
    if (m_stoppedByUser) stop.gestureKeys.push_back(m_stopKey);
    for (int32_t k = 8; k <= 255; ++k) {
        if (m_keyStates[static_cast<size_t>(k)]) stop.heldKeys.push_back(k);
    }
    const int32_t cut = stopTailStart(list, first, own, stop);
    for (int32_t i = list.EventCount - 1; i >= cut; --i)
        list.RemoveEvent(i);
}

void clsRecorder::takeBackModifiers(clsEvents& list, int32_t first, std::vector<bool>& own, const KeyStateTable& now) {
    // The presses of modifiers still down that came straight before a command key (past Waits and
    // moves) were its modifiers: they go, and their releases with them.
    if (Events.get() != &list) return;
    for (int32_t i = list.EventCount - 1; i >= first; --i) {
        const int32_t type = list.EventType(i);
        if (type == Wait || type == MouseMove) continue;
        const int32_t code = list.EventData(i);
        if (type != KeyBoard || list.EventPressed(i) == 0 || !isModifier(code) || !now[static_cast<size_t>(code)])
            return;
        m_commandKeys.hide(code);
        list.RemoveEvent(i);
        const auto offset = static_cast<size_t>(i - first);
        if (offset < own.size()) own.erase(own.begin() + static_cast<std::ptrdiff_t>(offset));
    }
}

void clsRecorder::recordChange(int32_t k, bool down, int32_t& stamp, CursorPoint& current, CursorPoint& lastRecorded) {
    // Where the platform knows when the change happened, the Wait before it ends then, not at this poll.
    int32_t at = 0;
    const bool exact = m_backend->changeTick(k, at);
    int32_t type = KeyBoard;
    if (k >= 1 && k <= 7) {
        selectMouseDetail(down);
        exact ? addWaitUntil(stamp, at) : addWaitEvent(stamp);
        current = m_backend->cursorPos();
        type = MouseClick;
    } else {
        exact ? addWaitUntil(stamp, at) : addWaitEvent(stamp); // a key keeps the position last read
    }
    requireEvents()->AddEvent(type, down, current.x, current.y, k);
    lastRecorded = m_backend->cursorPos();
}

void clsRecorder::recordWheel(int32_t& stamp, CursorPoint& current, CursorPoint& lastRecorded) {
    // The turns of one poll become one event per axis, whatever the mouse detail.
    const WheelTurns turns = m_backend->takeWheelTurns();
    for (const bool horizontal : {false, true}) {
        const int32_t delta = horizontal ? turns.horizontal : turns.vertical;
        if (delta == 0) continue;
        addWaitEvent(stamp);
        current = m_backend->cursorPos();
        requireEvents()->AddEvent(MouseWheel, horizontal, current.x, current.y, delta);
        lastRecorded = m_backend->cursorPos();
    }
}

void clsRecorder::addWaitEvent(int32_t& stamp) {
    if (m_backend->tickCount() == stamp) return;
    const int32_t elapsed = tickDifference(m_backend->tickCount(), stamp);
    requireEvents()->AddEvent(Wait, false, 0, 0, elapsed);
    // Time spent appending (and in the list's handlers) belongs to no Wait.
    stamp = m_backend->tickCount();
}

void clsRecorder::addWaitUntil(int32_t& stamp, int32_t at) {
    // Changes found by one poll may be recorded out of their order (modifiers first): a change
    // earlier than the last recorded moment adds no Wait and leaves that moment as it is.
    const int32_t elapsed = tickDifference(at, stamp);
    if (elapsed <= 0) return;
    requireEvents()->AddEvent(Wait, false, 0, 0, elapsed);
    stamp = at;
}

void clsRecorder::selectMouseDetail(bool pressed) {
    const auto list = requireEvents();
    m_mouseDetail = pressed ? list->MouseDownDetail : list->MouseUpDetail;
}

void clsRecorder::ReplayEvents(int32_t StartIndex, int32_t EndIndex) {
    const auto self = weak_from_this().lock();
    const auto backend = m_backend;
    {
        const auto list = requireEvents();
        if (!list->IsEvent(StartIndex)) StartIndex = 0;
        if (!list->IsEvent(EndIndex)) EndIndex = checkedSub(list->EventCount, 1);
        m_stopRequested = false;
        m_mouseDetail = list->MouseUpDetail;
    }
    DepthGuard depth(m_replayDepth);
    if (m_watchingStopKey && m_stoppedByUser) return;

    const auto passStart = backend->monotonicNow();
    bool acted = false;                                  // whether this pass injected or waited at all
    std::optional<std::chrono::nanoseconds> scheduleEnd; // where the last wait was due to end
    for (int64_t i = StartIndex; i <= EndIndex; ++i) {
        // Whatever the list holds, the window system gets its turn at least every slice.
        yieldIfDue();
        if (m_stopRequested) return;
        const auto index = static_cast<int32_t>(i);
        bool cancel = false;
        ExecutingEvent.emit(index, cancel);
        if (cancel) continue;

        // Read after the notification: a subscriber may have edited the event or replaced the list.
        const auto list = requireEvents();
        const int32_t data = list->EventData(index);
        const bool pressed = list->EventPressed(index) != 0;
        switch (list->EventType(index)) {
        case Wait:
            acted = acted || data > 0;
            waitInterval(data, scheduleEnd);
            break;
        case MouseClick:
            acted = true;
            replayClick(*list, index, data, pressed);
            break;
        case MouseMove:
            acted = true;
            replayMove(*list, index);
            break;
        case KeyBoard:
            acted = true;
            replayKey(data, pressed);
            break;
        case MouseWheel:
            replayWheel(*list, index, data, pressed);
            break;
        default:
            break; // codes written by scripts are ignored
        }
    }
    // A pass that did nothing idles one slice, so that endless passes of it do not spin.
    if (!acted && !m_stopRequested) {
        backend->sleepUntil(passStart + kYieldPeriod);
        yieldNow();
    }
}

void clsRecorder::replayClick(const clsEvents& list, int32_t index, int32_t data, bool pressed) {
    selectMouseDetail(pressed);
    m_glide.stepX = m_glide.stepY = 0;
    m_backend->moveCursor(list.EventPosX(index), list.EventPosY(index));
    // Data that names no button moves the cursor only.
    if (!isButton(data)) return;
    m_backend->sendButton(data, pressed);
    std::erase(m_heldButtons, data);
    if (pressed) m_heldButtons.push_back(data);
}

void clsRecorder::replayWheel(const clsEvents& list, int32_t index, int32_t delta, bool horizontal) {
    // Like a click, a turn happens where it was recorded: the glide ends there.
    m_glide.stepX = m_glide.stepY = 0;
    m_backend->moveCursor(list.EventPosX(index), list.EventPosY(index));
    // Scripts may write any delta: one event turns at most kMaxWheelNotches notches, so that a
    // replay never spends long injecting clicks it cannot be stopped within.
    const int32_t turn = std::clamp(delta, -kMaxWheelNotches * 120, kMaxWheelNotches * 120);
    m_backend->turnWheel(horizontal ? WheelAxis::Horizontal : WheelAxis::Vertical, turn);
}

void clsRecorder::replayMove(const clsEvents& list, int32_t index) {
    const CursorPoint from = m_backend->cursorPos();
    m_glide.targetX = list.EventPosX(index);
    m_glide.targetY = list.EventPosY(index);
    if (m_mouseDetail < 10) {
        // Less than one planned step: no glide, straight to the target.
        m_glide.stepX = m_glide.stepY = 0;
        m_backend->moveCursor(m_glide.targetX, m_glide.targetY);
        return;
    }
    m_glide.stepsPlanned = m_mouseDetail / 10.0;
    m_glide.stepsTaken = 0;
    m_glide.posX = from.x;
    m_glide.posY = from.y;
    m_glide.stepX = (static_cast<double>(m_glide.targetX) - from.x) / m_glide.stepsPlanned;
    m_glide.stepY = (static_cast<double>(m_glide.targetY) - from.y) / m_glide.stepsPlanned;
}

void clsRecorder::replayKey(int32_t data, bool pressed) {
    if (data < 0 || data > 255) throw RuntimeError(err::Overflow);
    m_backend->sendKey(data, pressed);
    m_heldKeys[static_cast<size_t>(data)] = pressed;
}

void clsRecorder::waitInterval(int32_t ms, std::optional<std::chrono::nanoseconds>& scheduleEnd) {
    if (ms <= 0) return;
    // Each slice sleeps until its own deadline from the start of the wait, so neither a late
    // wake-up nor the time spent in yields adds up over the slices. A wait that follows the
    // previous one within a slice starts where that one was due to end, so the latency of each
    // wake-up and injection does not add up over a replay either; a longer delay (a slow
    // handler) is not caught up.
    // At another speed every moment of the wait, its glide steps included, comes 1/speed as late.
    const auto at = [this](int64_t recordedMs) {
        return std::chrono::nanoseconds(std::llround(static_cast<double>(recordedMs) * 1e6 / m_speed));
    };
    const auto now = m_backend->monotonicNow();
    const auto start = scheduleEnd && now - *scheduleEnd <= 10ms ? *scheduleEnd : now;
    scheduleEnd = start + at(ms);
    int64_t slices = 0;
    while (ms > 10) {
        ms -= 10;
        stepGlide();
        ++slices;
        // Slow replays stretch a slice beyond the yield period: it still yields in time.
        if (!sleepYielding(start + at(slices * 10))) return;
        yieldNow();
        if (m_stopRequested) return; // a stop ends the wait at once: nothing follows it
    }
    if (ms > 0) sleepYielding(start + at(slices * 10 + ms));
}

bool clsRecorder::sleepYielding(std::chrono::nanoseconds deadline) {
    for (auto due = m_lastYield + kYieldPeriod; due < deadline; due = m_lastYield + kYieldPeriod) {
        m_backend->sleepUntil(due);
        yieldNow();
        if (m_stopRequested) return false;
    }
    m_backend->sleepUntil(deadline);
    return true;
}

void clsRecorder::setSpeed(double speed) {
    m_speed = std::isfinite(speed) ? std::clamp(speed, kMinSpeed, kMaxSpeed) : 1.0;
}

void clsRecorder::stepGlide() {
    if (!m_glide.active()) return;
    ++m_glide.stepsTaken;
    if (static_cast<double>(m_glide.stepsTaken) >= m_glide.stepsPlanned) {
        // The last step lands on the target and ends the glide.
        m_glide.posX = m_glide.targetX;
        m_glide.posY = m_glide.targetY;
        m_glide.stepX = m_glide.stepY = 0;
    } else {
        // Rounding errors must never carry the glide past its target.
        const auto advance = [](double pos, double step, int32_t target) {
            const double next = pos + step;
            return (step > 0 && next > target) || (step < 0 && next < target) ? static_cast<double>(target) : next;
        };
        m_glide.posX = advance(m_glide.posX, m_glide.stepX, m_glide.targetX);
        m_glide.posY = advance(m_glide.posY, m_glide.stepY, m_glide.targetY);
    }
    m_backend->moveCursor(roundHalfEven(m_glide.posX), roundHalfEven(m_glide.posY));
}

void clsRecorder::releaseHeldInput() {
    const auto backend = m_backend;
    if (!backend) return;
    for (int32_t k = 255; k >= 0; --k) {
        if (!m_heldKeys[static_cast<size_t>(k)]) continue;
        m_heldKeys[static_cast<size_t>(k)] = false;
        backend->sendKey(k, false);
    }
    auto buttons = std::move(m_heldButtons);
    m_heldButtons.clear();
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it)
        backend->sendButton(*it, false);
}

} // namespace tvk
