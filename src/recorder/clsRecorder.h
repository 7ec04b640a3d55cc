#pragma once

#include "events/Signal.h"
#include "events/clsEvents.h"
#include "recorder/CommandKeyFilter.h"
#include "recorder/InputBackend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tvk {

// Records user input into its Events list by polling, and replays a range of that list.
// Both loops run on the caller's thread and yield through the backend between steps; any
// handler run inside a yield may stop them, replace Events, or drop the window that owns
// this recorder (the loops keep what they use alive through shared ownership).
class clsRecorder : public std::enable_shared_from_this<clsRecorder> {
public:
    // Raises 91 without a backend.
    explicit clsRecorder(std::shared_ptr<InputBackend> backend);
    ~clsRecorder();

    std::shared_ptr<clsEvents> Events; // the list recorded into and replayed; set by the owner

    // Polls every lngInterval ms and appends one event per change until StopProcess or, while it
    // is watched, the user's press of the stop key. When it stops, the trailing gesture that
    // stopped it is removed (see stopTailStart): presses of keys still held, input to the
    // program's own windows (setOwnInputTest), the stop's gesture keys and the stop key.
    // Raises 91 without a list and 5 for an interval below 1.
    void InitiateRecording(int32_t lngInterval);
    // Replays StartIndex..EndIndex once (indices IsEvent rejects become 0 / EventCount - 1),
    // yielding at least every 10 ms; a pass that injects and waits nothing idles for 10 ms.
    // Raises 91 without a list and 6 for a key code outside 0..255 (the replay ends there).
    void ReplayEvents(int32_t StartIndex, int32_t EndIndex);
    // Ends every running loop at its next step (a wait ends at its next slice).
    void StopProcess();
    // The same, for a stop by a gesture whose keys (a hotkey and its modifiers) a recording drops.
    void StopProcess(std::vector<int32_t> gestureKeys);

    // The panic key: while watched, a press of it that the backend did not inject stops the
    // recording or replays and every later one until watched again. 0 (or a code outside 1..255) turns it off.
    void setStopKey(int32_t vk) { m_stopKey = vk; }
    // Starts (on) or ends watching; either way forgets an earlier stop by the user.
    void watchStopKey(bool on);
    bool stoppedByUser() const { return m_stoppedByUser; }
    // The program's global hotkeys: a recording leaves out every press of one, with its release and
    // the modifier presses that led straight to it.
    void setCommandKeys(std::vector<CommandKeyFilter::Combination> keys) { m_commandKeys.setCombinations(keys); }
    // The keys of the gesture that starts the next recording (a hotkey and its modifiers): those
    // still held when it starts leave no release in it.
    void setStartGesture(std::vector<int32_t> keys) { m_startGesture = std::move(keys); }
    // Says whether recorded input of vk at a position went to one of the program's own windows.
    void setOwnInputTest(std::function<bool(int32_t vk, CursorPoint at)> test) { m_ownInput = std::move(test); }

    static constexpr double kMinSpeed = 0.1, kMaxSpeed = 10;
    // Replays run `speed` times as fast: waits and the glide's steps last 1/speed of their time.
    // Clamped to kMinSpeed..kMaxSpeed; a value that is no number means 1.
    void setSpeed(double speed);
    double speed() const { return m_speed; }

    // Raised before each replayed event; any subscriber may set Cancel to skip it.
    Signal<int32_t, bool&> ExecutingEvent;

    // Releases every key and button the replays pressed and did not release.
    void releaseHeldInput();
    bool isRecording() const { return m_recordingDepth > 0; }
    // Presses of keys without a virtual-key code during the last recording (they are not in the list).
    int32_t unrecordedKeys() const { return m_unrecordedKeys; }
    bool isReplaying() const { return m_replayDepth > 0; }
    InputBackend& backend() { return *m_backend; }

private:
    struct Glide {
        int32_t targetX = 0, targetY = 0;
        double posX = 0, posY = 0;
        double stepX = 0, stepY = 0;
        double stepsPlanned = 0; // MouseDetail / 10 when the glide began
        int64_t stepsTaken = 0;
        bool active() const { return stepX != 0 || stepY != 0; }
    };

    std::shared_ptr<clsEvents> requireEvents() const;
    void recordChange(int32_t k, bool down, int32_t& stamp, CursorPoint& current, CursorPoint& lastRecorded);
    void recordWheel(int32_t& stamp, CursorPoint& current, CursorPoint& lastRecorded);
    void addWaitEvent(int32_t& stamp);
    void addWaitUntil(int32_t& stamp, int32_t at);
    void selectMouseDetail(bool pressed);
    void yieldNow();
    void yieldIfDue();
    void checkStopKey();
    void trimStopGesture(clsEvents& list, int32_t first, std::vector<bool>& own);
    void takeBackModifiers(clsEvents& list, int32_t first, std::vector<bool>& own, const KeyStateTable& now);
    void waitInterval(int32_t ms, std::optional<std::chrono::nanoseconds>& scheduleEnd);
    // Sleeps until `deadline`, yielding at least every yield period; false when a stop came.
    bool sleepYielding(std::chrono::nanoseconds deadline);
    void stepGlide();
    void replayClick(const clsEvents& list, int32_t index, int32_t data, bool pressed);
    void replayMove(const clsEvents& list, int32_t index);
    void replayWheel(const clsEvents& list, int32_t index, int32_t delta, bool horizontal);
    void replayKey(int32_t data, bool pressed);

    std::shared_ptr<InputBackend> m_backend;
    int32_t m_mouseDetail = 50;
    double m_speed = 1;
    KeyStateTable m_keyStates{};
    Glide m_glide;
    bool m_stopRequested = false;
    std::array<bool, 256> m_heldKeys{};
    std::vector<int32_t> m_heldButtons; // in the order the replay pressed them
    std::chrono::nanoseconds m_lastYield{0};
    int32_t m_stopKey = 0;
    bool m_watchingStopKey = false;
    bool m_stoppedByUser = false;
    uint64_t m_stopKeyPresses = 0; // the user's presses of the stop key when watching began
    std::vector<int32_t> m_gestureKeys;
    std::vector<int32_t> m_startGesture;
    CommandKeyFilter m_commandKeys;
    std::function<bool(int32_t, CursorPoint)> m_ownInput;
    int32_t m_unrecordedKeys = 0;
    int m_recordingDepth = 0;
    int m_replayDepth = 0;
};

} // namespace tvk
