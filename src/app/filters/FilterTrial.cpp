#include "app/filters/FilterTrial.h"

#include "events/clsEvents.h"
#include "script/EventsObject.h"
#include "script/ScriptControl.h"
#include "script/ScriptError.h"

namespace tvk {

FilterTrial::Result FilterTrial::run(const clsEvents& list, std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    Result result;
    auto stored = list.CloneEvents();
    auto current = list.CloneEvents();
    result.eventCount = current->EventCount;

    ScriptControl control;
    control.setLanguage("VBScript");
    control.setTimeBudget(std::chrono::milliseconds(1000)); // as the replay's filter calls
    script::ScriptHost host;
    auto record = [&result](const std::string& text) {
        if (result.messages.size() < MaxMessages) result.messages.push_back(text);
    };
    host.msgBox = [record](const std::string& prompt, int, const std::string&) {
        record(prompt);
        return 1;
    };
    host.output = record;
    control.setHost(host);
    control.Reset();
    const auto deadline = Clock::now() + limit;
    try {
        control.AddCode(list.ElementProcessor);
    } catch (const ScriptError& e) {
        result.errorNumber = e.number();
        result.errorDescription = e.description();
        result.line = e.line();
        result.column = e.column();
        return result;
    }
    control.AddObject("StoredEvents", makeEventsObject(stored));
    control.AddObject("CurrentEvents", makeEventsObject(current));
    result.hasFunction = control.hasProcedure("ElementInvoked");
    if (!result.hasFunction) return result;
    // The script may add or remove events of the working copy: the count is read at each step.
    for (int32_t i = 0; i < current->EventCount; ++i) {
        if (Clock::now() >= deadline || result.verdicts.size() >= MaxVerdicts) {
            result.stopped = true;
            break;
        }
        Verdict v;
        v.index = i;
        v.type = current->EventType(i);
        try {
            v.runs = !vbCBool(vbNot(control.Run("ElementInvoked", {script::Value::lng(i)})));
        } catch (const RuntimeError& e) {
            v.error = e.number();
            v.description = script::scriptDescription(e);
        }
        result.verdicts.push_back(std::move(v));
    }
    return result;
}

} // namespace tvk
