// The replay's filter call: which failures let the event run and which reach the replay.
#include "app/replay/FilterScript.h"
#include "events/clsEvents.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace tvk {
namespace {

struct Filter {
    FilterScript filter;
    explicit Filter(const std::string& body, script::ScriptHost host = {}) : filter(std::move(host)) {
        auto events = std::make_shared<clsEvents>();
        events->AddEvent(3, true, 0, 0, 65);
        filter.prepare(body, events, events);
    }
};

TEST(FilterScriptTest, VerdictsAndSwallowedScriptFailures) {
    struct Case {
        const char* what;
        std::string code;
        bool ifCancelled, ifNot; // judge(0, true) and judge(0, false)
    };
    const auto fn = [](const std::string& body) {
        return "Function ElementInvoked(Index)\n" + body + "\nEnd Function";
    };
    const Case cases[] = {
        {"True lets it run", fn("ElementInvoked = True"), false, false},
        {"False cancels it", fn("ElementInvoked = False"), true, true},
        {"Not is bitwise: 65 is no True", fn("ElementInvoked = CurrentEvents.EventData(Index)"), true, true},
        {"-1 is True", fn("ElementInvoked = -1"), false, false},
        {"a runtime error keeps Cancel", fn("ElementInvoked = 1 / 0"), true, false},
        {"a raised error keeps Cancel", fn("Err.Raise 5000"), true, false},
        {"a result with no truth value keeps Cancel", fn("ElementInvoked = \"abc\""), true, false},
        {"a missing function keeps Cancel", "Dim x", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Filter f(c.code);
        EXPECT_EQ(f.filter.judge(0, true), c.ifCancelled);
        EXPECT_EQ(f.filter.judge(0, false), c.ifNot);
    }
}

TEST(FilterScriptTest, ACallOutOfTimeKeepsCancel) {
    Filter f("Function ElementInvoked(Index)\nDo\nLoop\nEnd Function");
    EXPECT_TRUE(f.filter.judge(0, true));
}

// Only the script's own failures are swallowed: a fault of the program around it is not hidden.
TEST(FilterScriptTest, AHostFaultReachesTheReplay) {
    script::ScriptHost host;
    host.msgBox = [](const std::string&, int, const std::string&) -> int { throw std::logic_error("host fault"); };
    Filter f("Function ElementInvoked(Index)\nMsgBox \"x\"\nElementInvoked = True\nEnd Function", host);
    EXPECT_THROW(f.filter.judge(0, true), std::logic_error);
}

} // namespace
} // namespace tvk
