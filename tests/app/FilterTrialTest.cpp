// The filter trial as pure logic: verdicts, errors, copies, limits; and the script colouring.
#include "app/filters/FilterTrial.h"
#include "app/filters/VbsHighlighter.h"
#include "events/clsEvents.h"

#include <gtest/gtest.h>

#include <memory>

namespace tvk {
namespace {

std::unique_ptr<clsEvents> listWith(const std::string& script) {
    auto events = std::make_unique<clsEvents>();
    events->AddEvent(3, true, 0, 0, 65);
    events->AddEvent(2, false, 5, 6, 0);
    events->AddEvent(0, false, 0, 0, 250);
    events->ElementProcessor = script;
    return events;
}

TEST(FilterTrialTest, VerdictsFollowTheScriptAndFailuresLetTheEventRun) {
    const auto events = listWith("Function ElementInvoked(Index)\r\n"
                                 "  If Index = 2 Then Err.Raise 5\r\n"
                                 "  ElementInvoked = CurrentEvents.EventType(Index) = 3\r\n"
                                 "End Function");
    const FilterTrial::Result r = FilterTrial::run(*events);
    ASSERT_EQ(r.errorNumber, 0);
    ASSERT_TRUE(r.hasFunction);
    ASSERT_EQ(r.verdicts.size(), 3u);
    EXPECT_TRUE(r.verdicts[0].runs);
    EXPECT_EQ(r.verdicts[0].type, 3);
    EXPECT_FALSE(r.verdicts[1].runs);
    EXPECT_EQ(r.verdicts[1].error, 0);
    EXPECT_TRUE(r.verdicts[2].runs);
    EXPECT_EQ(r.verdicts[2].error, 5);
    EXPECT_FALSE(r.stopped);
}

TEST(FilterTrialTest, TheListItselfIsNeverChanged) {
    const auto events = listWith("Function ElementInvoked(Index)\r\n"
                                 "  CurrentEvents.EventData(Index) = 1 : StoredEvents.EventPosX(Index) = 7\r\n"
                                 "  If Index = 0 Then StoredEvents.RemoveEvent 0\r\n"
                                 "  ElementInvoked = True\r\n"
                                 "End Function");
    const FilterTrial::Result r = FilterTrial::run(*events);
    EXPECT_EQ(r.verdicts.size(), 3u);
    EXPECT_EQ(events->EventCount, 3);
    EXPECT_EQ(events->EventData(0), 65);
    EXPECT_EQ(events->EventPosX(1), 5);
}

TEST(FilterTrialTest, CompileErrorsAndMissingFunctionsGiveNoVerdicts) {
    const FilterTrial::Result broken = FilterTrial::run(*listWith("Function ElementInvoked(Index)\r\nx = (1"));
    EXPECT_EQ(broken.errorNumber, 1006);
    EXPECT_EQ(broken.line, 2);
    EXPECT_TRUE(broken.verdicts.empty());
    const FilterTrial::Result none = FilterTrial::run(*listWith("MsgBox \"a\" : MsgBox \"b\""));
    EXPECT_EQ(none.errorNumber, 0);
    EXPECT_FALSE(none.hasFunction);
    EXPECT_EQ(none.messages, (std::vector<std::string>{"a", "b"}));
}

TEST(FilterTrialTest, AFilterThatGrowsTheListStopsAtALimit) {
    // Each call adds an event, so the run would never reach the end of the working copy.
    const FilterTrial::Result r =
        FilterTrial::run(*listWith("Function ElementInvoked(Index)\r\n"
                                   "  CurrentEvents.AddEvent 0, False, 0, 0, 1 : MsgBox Index\r\n"
                                   "  ElementInvoked = True\r\n"
                                   "End Function"),
                         std::chrono::milliseconds(200));
    EXPECT_TRUE(r.stopped);
    EXPECT_LE(r.verdicts.size(), FilterTrial::MaxVerdicts);
    EXPECT_LE(r.messages.size(), FilterTrial::MaxMessages);
}

// One letter per character: Plain, Keyword, String, Number, Date, Comment.
QString kindsOf(const QString& line) {
    QString out;
    for (VbsHighlighter::Kind k : VbsHighlighter::classify(line))
        out += QLatin1Char("pksndc"[static_cast<int>(k)]);
    return out;
}

TEST(VbsHighlighterTest, ClassifiesEachKindOfText) {
    struct Case {
        const char* line;
        const char* kinds;
    };
    const Case cases[] = {
        {"If x Then", "kkpppkkkk"},
        {"s = \"a\"\"b\" ' c", "ppppsssssspccc"},
        {"n = &H1F + 2.5e3", "ppppnnnnpppnnnnn"},
        {"x = \"x\" &hi", "ppppssspppp"},
        {"d = #1/2/2000# Rem", "ppppddddddddddpccc"},
        {"Rem all of it", "ccccccccccccc"},
        {"o.End = o.rem", "ppppppppppppp"},
        {"s = \"open", "ppppsssss"},
        {"end sub", "kkkpkkk"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kindsOf(QString::fromUtf8(c.line)), QString::fromLatin1(c.kinds)) << c.line;
}

} // namespace
} // namespace tvk
