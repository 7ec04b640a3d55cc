#pragma once

#include "script/ScriptHost.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tvk {

class ScriptControl;
class clsEvents;

// The replay window's filter: the list's script compiled once per Start with the two lists as
// named objects, and the call of ElementInvoked(Index) before each event.
class FilterScript {
public:
    struct CompileError {
        int number;
        std::string description;
        int line;
        int column;
    };

    // Message boxes of the script appear as Qt message boxes.
    FilterScript();
    // The script's message boxes and output go to `host` (a console command has no windows).
    explicit FilterScript(script::ScriptHost host);
    ~FilterScript();

    // Resets the engine, adds `code`, then the objects StoredEvents and CurrentEvents (their
    // members not made global). Throws CompileError when the code does not compile.
    void prepare(const std::string& code, std::shared_ptr<clsEvents> stored, std::shared_ptr<clsEvents> current);
    // The new Cancel for the event at `index`: Not ElementInvoked(index) as a truth value, so only
    // True lets it run. A runtime error of the script, a missing function, a result with no truth
    // value or a call out of time leaves `cancel` as it was (the event runs); faults of the host
    // (anything that is not a RuntimeError) propagate.
    bool judge(int32_t index, bool cancel);

private:
    std::unique_ptr<ScriptControl> m_engine;
};

} // namespace tvk
