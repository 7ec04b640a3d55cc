// The event list as seen by filter scripts: every member by name, indexed properties, errors
// with the list's numbers, and the filter calls of a replay.
#include "script/EventsObject.h"
#include "events/clsEvents.h"
#include "script/Coerce.h"
#include "script/ScriptControl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace tvk;
using namespace tvk::script;

namespace {

class EventsObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        stored = std::make_shared<clsEvents>([] { return 1000; });
        for (int i = 0; i < 4; ++i)
            stored->AddEvent(i % 4, i % 2 == 0, 10 * i, 20 * i, 65 + i);
        current = stored->CloneEvents();
    }

    // Compiles the code, then adds the two lists, as a replay prepares its filter.
    void load(const std::string& code) {
        sc.setLanguage("VBScript");
        sc.AddCode(code);
        sc.AddObject("StoredEvents", makeEventsObject(stored));
        sc.AddObject("CurrentEvents", makeEventsObject(current));
    }

    int errorOf(const std::string& statement) {
        try {
            sc.AddCode(statement);
        } catch (const ScriptError& e) {
            return e.number();
        }
        return 0;
    }

    // The events a replay would run, per the filter call's rule.
    std::vector<int> runs() {
        std::vector<int> out;
        for (int i = 0; i < current->EventCount; ++i) {
            bool cancel = false;
            try {
                cancel = vbCBool(vbNot(sc.Run("ElementInvoked", {Value::lng(i)})));
            } catch (const ScriptError&) {
                // errors let the event run
            }
            if (!cancel) out.push_back(i);
        }
        return out;
    }

    ScriptControl sc;
    std::shared_ptr<clsEvents> stored, current;
};

TEST_F(EventsObjectTest, MembersHaveTheirIdsInInterfaceOrder) {
    auto obj = makeEventsObject(stored);
    const char* names[] = {"EventCount",      "SegmentSize",  "ElementProcessor", "EnableProcessor", "MouseUpDetail",
                           "MouseDownDetail", "AddEvent",     "RemoveEvent",      "LoadFile",        "SaveFile",
                           "IsEvent",         "EventType",    "EventPosX",        "EventPosY",       "EventData",
                           "EventTime",       "EventPressed", "CloneEvents"};
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(obj->memberId(utf8ToUtf16(names[i])), i + 1) << names[i];
        EXPECT_EQ(obj->memberId(lowerAscii(utf8ToUtf16(names[i]))), i + 1) << "case-insensitive " << names[i];
    }
    EXPECT_EQ(obj->memberId(u"EventCapacity"), ScriptObject::NoMember);
    EXPECT_EQ(obj->typeName(), "clsEvents");
    EXPECT_EQ(eventsOfObject(*obj), stored);
}

TEST_F(EventsObjectTest, ScriptsReadAndWriteFieldsAndIndexedProperties) {
    load("Function Probe(i)\n Probe = CurrentEvents.EventPosX(i) + CurrentEvents.EventPosY(i)\nEnd Function\n"
         "Sub Edit()\n CurrentEvents.EventPosX(1) = 100\n CurrentEvents.EventPressed(1) = True\n"
         " StoredEvents.EnableProcessor = 5\n StoredEvents.MouseUpDetail = 7\n"
         " StoredEvents.ElementProcessor = \"text \" & StoredEvents.EventCount\nEnd Sub");
    EXPECT_EQ(toLong(sc.Run("Probe", {Value::integer(2)})), 60);
    sc.Run("Edit", {});
    EXPECT_EQ(current->EventPosX(1), 100);
    EXPECT_EQ(current->EventPressed(1), -1);
    EXPECT_EQ(stored->EventPosX(1), 10) << "the working copy is independent";
    EXPECT_EQ(stored->EnableProcessor, -1) << "a truth value is stored as -1";
    EXPECT_EQ(stored->MouseUpDetail, 7);
    EXPECT_EQ(stored->ElementProcessor, "text 4");
    sc.AddCode("x = CurrentEvents.EventData(99) + CurrentEvents.EventType(-1)\n"
               "CurrentEvents.EventPosX(99) = 5");
    EXPECT_EQ(current->EventCount, 4) << "writes outside the list are ignored";
}

TEST_F(EventsObjectTest, MethodsAddRemoveAndClone) {
    load("Function Add()\n Add = StoredEvents.AddEvent(3, True, 1, 2, 65)\nEnd Function\n"
         "Function CloneCount()\n Set c = StoredEvents.CloneEvents()\n c.RemoveEvent 0\n"
         " CloneCount = c.EventCount & \"/\" & StoredEvents.EventCount & \"/\" & TypeName(c)\nEnd Function");
    Value index = sc.Run("Add", {});
    EXPECT_EQ(index.type(), VarType::Long);
    EXPECT_EQ(toLong(index), 4);
    EXPECT_EQ(stored->EventCount, 5);
    EXPECT_EQ(stored->EventData(4), 65);
    EXPECT_EQ(toUtf8(sc.Run("CloneCount", {})), "4/5/clsEvents");
    sc.AddCode("StoredEvents.RemoveEvent 0\nStoredEvents.RemoveEvent 77");
    EXPECT_EQ(stored->EventCount, 4);
    sc.AddCode("If Not StoredEvents.IsEvent(3) Or StoredEvents.IsEvent(4) Then Err.Raise 5");
}

TEST_F(EventsObjectTest, ListErrorsReachTheScriptWithTheirNumbers) {
    load("");
    EXPECT_EQ(errorOf("x = StoredEvents.EventPosX(\"abc\")"), 13);
    EXPECT_EQ(errorOf("StoredEvents.EventPosX(0) = 3000000000"), 6);
    EXPECT_EQ(errorOf("StoredEvents.AddEvent 1, 2"), 450);
    EXPECT_EQ(errorOf("StoredEvents.NoSuchThing = 1"), 438);
    EXPECT_EQ(errorOf("x = StoredEvents.EventPosX(Null)"), 94);
    EXPECT_EQ(errorOf("StoredEvents.EventCount = 100000\nx = StoredEvents.EventPosX(50000)"), 9);
    EXPECT_EQ(errorOf("StoredEvents.EventCount = 4"), 0);
    int direct = 0;
    try {
        clsEvents().LoadFile("/nonexistent/dir/none.tvk");
    } catch (const RuntimeError& e) {
        direct = e.number();
    }
    EXPECT_NE(direct, 0);
    EXPECT_EQ(errorOf("StoredEvents.LoadFile \"/nonexistent/dir/none.tvk\""), direct);
    EXPECT_EQ(errorOf("Set StoredEvents.EventCount = Nothing"), 438);
}

TEST_F(EventsObjectTest, FilterCannotReplaceTheLists) {
    load("Sub Drop()\n Set CurrentEvents = Nothing\nEnd Sub"); // compiled before the lists exist
    for (int i = 0; i < 2; ++i) {
        try {
            sc.Run("Drop", {});
            ADD_FAILURE() << "replaced on call " << i;
        } catch (const ScriptError& e) {
            EXPECT_EQ(e.number(), 501);
        }
    }
    EXPECT_EQ(errorOf("Set StoredEvents = Nothing"), 501); // compiled after
    EXPECT_EQ(errorOf("x = CurrentEvents.EventCount"), 0);
}

TEST_F(EventsObjectTest, SaveAndLoadThroughTheScript) {
    auto path = std::filesystem::temp_directory_path() / ("tvk_script_events_" + std::to_string(::getpid()) + ".tvk");
    load("Sub Save(p)\n StoredEvents.SaveFile p\nEnd Sub\nSub LoadInto(p)\n CurrentEvents.LoadFile p\nEnd Sub");
    stored->ElementProcessor = "Function ElementInvoked(i)\nEnd Function";
    sc.Run("Save", {Value::string(std::string_view(path.string()))});
    current->RemoveEvent(0);
    sc.Run("LoadInto", {Value::string(std::string_view(path.string()))});
    EXPECT_EQ(current->EventCount, 4);
    EXPECT_EQ(current->ElementProcessor, stored->ElementProcessor);
    EXPECT_EQ(current->EventPosY(3), 60);
    std::filesystem::remove(path);
}

TEST_F(EventsObjectTest, FilterDecidesWhichEventsRun) {
    load("Function ElementInvoked(Index)\n ElementInvoked = (Index Mod 2 = 0)\nEnd Function");
    EXPECT_EQ(runs(), (std::vector<int>{0, 2})) << "even indexes run";
}

TEST_F(EventsObjectTest, FilterThatAssignsNothingCancelsEveryEvent) {
    load("Function ElementInvoked(Index)\nEnd Function");
    EXPECT_TRUE(runs().empty());
}

TEST_F(EventsObjectTest, FailingFilterLetsEveryEventRun) {
    load("Function ElementInvoked(Index)\n ElementInvoked = Index / 0\nEnd Function");
    EXPECT_EQ(runs(), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(EventsObjectTest, FilterEditsLaterEventsOfTheWorkingCopy) {
    load("Function ElementInvoked(Index)\n If CurrentEvents.IsEvent(Index + 1) Then "
         "CurrentEvents.EventPosX(Index + 1) = 100 + Index\n ElementInvoked = True\nEnd Function");
    EXPECT_EQ(runs().size(), 4u);
    EXPECT_EQ(current->EventPosX(3), 102);
    EXPECT_EQ(stored->EventPosX(3), 30);
}

TEST_F(EventsObjectTest, GlobalsOfTheFilterLiveAcrossCalls) {
    load("Dim seen\nFunction ElementInvoked(Index)\n seen = seen + 1\n ElementInvoked = (seen <= 2)\nEnd Function");
    EXPECT_EQ(runs(), (std::vector<int>{0, 1}));
}

} // namespace
