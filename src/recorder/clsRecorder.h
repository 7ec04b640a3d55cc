#pragma once

#include "events/Signal.h"
#include "events/clsEvents.h"

#include <cstdint>
#include <memory>

namespace tvk {

class InputBackend;

// Records user input into its Events list by polling, and replays a range of that list.
// Both loops run on the caller's thread and yield through the backend between steps; any
// handler run inside a yield may stop them, replace Events, or drop the window that owns
// this recorder (the loops keep what they use alive through shared ownership).
class clsRecorder : public std::enable_shared_from_this<clsRecorder> {
public:
    explicit clsRecorder(std::shared_ptr<InputBackend> backend);
    ~clsRecorder();

    std::shared_ptr<clsEvents> Events; // the list recorded into and replayed; set by the owner

    // Polls every lngInterval ms and appends one event per change until StopProcess.
    void InitiateRecording(int32_t lngInterval);
    // Replays StartIndex..EndIndex once (indices IsEvent rejects become 0 / EventCount - 1).
    void ReplayEvents(int32_t StartIndex, int32_t EndIndex);
    // Ends every running loop at its next step.
    void StopProcess();

    // Raised before each replayed event; any subscriber may set Cancel to skip it.
    Signal<int32_t, bool&> ExecutingEvent;

    // Releases every key and button the replays pressed and did not release.
    void releaseHeldInput();
    bool isRecording() const { return m_recordingDepth > 0; }
    bool isReplaying() const { return m_replayDepth > 0; }
    InputBackend& backend() { return *m_backend; }

private:
    // (implementation state: key tables, glide state, StopRequested, MouseDetail)
    std::shared_ptr<InputBackend> m_backend;
    int m_recordingDepth = 0;
    int m_replayDepth = 0;
};

} // namespace tvk
