#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tvk {

class clsEvents;

// A dry run of a list's filter script: ElementInvoked(Index) is called for every event of a copy
// of the list, as a replay would call it, and nothing is injected. The list itself is never
// changed: the script's StoredEvents and CurrentEvents are both copies.
class FilterTrial {
public:
    struct Verdict {
        int32_t index = 0;
        int32_t type = 0; // the event's type before the call
        bool runs = true; // a failing call lets the event run, as in a replay
        int error = 0;    // the call's error number, 0 when it returned
        std::string description;
    };
    struct Result {
        int errorNumber = 0; // a compile (or global code) error: no verdicts then
        std::string errorDescription;
        int line = 0, column = 0;
        bool hasFunction = false; // without ElementInvoked every event runs and there are no verdicts
        std::vector<Verdict> verdicts;
        std::vector<std::string> messages; // MsgBox and output texts of the script, in order
        int32_t eventCount = 0;            // events in the list
        bool stopped = false;              // a limit ended the run before the last event
    };

    static constexpr size_t MaxVerdicts = 100000;
    static constexpr size_t MaxMessages = 1000; // later ones are dropped

    // Runs the script stored in `list` over copies of it. The run stops after `limit` or
    // MaxVerdicts events (each call also has the replay's per-call budget); message boxes are
    // recorded, not shown.
    static Result run(const clsEvents& list, std::chrono::milliseconds limit = std::chrono::seconds(5));
};

} // namespace tvk
