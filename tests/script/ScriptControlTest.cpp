// The engine interface the program relies on: compile errors with positions, runtime errors,
// Run, named objects, Reset, the time budget and the host callbacks.
#include "script/ScriptControl.h"
#include "script/Coerce.h"

#include <gtest/gtest.h>

using namespace tvk;
using namespace tvk::script;

namespace {

ScriptError compileError(const std::string& source) {
    ScriptControl sc;
    try {
        sc.AddCode(source);
    } catch (const ScriptError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for: " << source;
    return ScriptError(0, "", 0, 0, false);
}

Value runFunction(ScriptControl& sc, const std::string& name, std::vector<Value> args = {}) {
    return sc.Run(name, std::move(args));
}

struct CompileCase {
    const char* source;
    int number, line, column;
};

TEST(ScriptControlTest, CompileErrorsCarryNumberLineAndColumn) {
    const CompileCase cases[] = {
        {"x = (1 + 2", 1006, 1, 11},
        {"Dim x\nx = 1 +\n", 1023, 2, 8},
        {"If a Then\n  b = 1\n", 1014, 3, 1},
        {"For i = 1 10\nNext", 1013, 1, 11},
        {"s = \"abc", 1033, 1, 5},
        {"x = 5 5", 1025, 1, 7},
        {"Exit For", 1039, 1, 6},
        {"Sub a(x, y)\nEnd Sub\na (1, 2)", 1044, 3, 5},
        {"Dim x\nDim x", 1041, 2, 5},
        {"x = &H123456789", 1031, 1, 5},
        {"x = &HZ", 1023, 1, 5}, // "&" and the name HZ: no left operand
        // A parenthesis that begins the arguments needs something to call before it.
        {"Class C\nSub T\nMe(1) + 2\nEnd Sub\nEnd Class", 1025, 3, 3},
        {"x(1)(2) + 3", 1025, 1, 5},
        {"x = 1 ? 2", 1032, 1, 7},
        {"Do\nx = 1\n", 1019, 3, 1},
        {"While True\n", 1018, 2, 1},
        {"Select Case 1\nCase 1\n", 1014, 3, 1},
        {"Class C\nEnd Sub", 1047, 2, 5},
        {"x = Me", 1037, 1, 5},
        {"Function f()\nEnd Sub", 1015, 2, 5},
        {"Option Explicit\nOption Explicit", 1042, 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        ScriptError e = compileError(c.source);
        EXPECT_TRUE(e.isCompileError());
        EXPECT_EQ(e.number(), c.number) << e.description();
        EXPECT_EQ(e.line(), c.line);
        EXPECT_EQ(e.column(), c.column);
        EXPECT_EQ(e.description(), err::describe(c.number, err::Wording::Script));
        // Checking without running finds the same error at the same place.
        try {
            ScriptControl::Check(c.source);
            ADD_FAILURE() << "Check found no error";
        } catch (const ScriptError& checked) {
            EXPECT_EQ(checked.number(), e.number());
            EXPECT_EQ(checked.line(), e.line());
            EXPECT_EQ(checked.column(), e.column());
            EXPECT_TRUE(checked.isCompileError());
        }
    }
}

TEST(ScriptControlTest, CheckCompilesWithoutRunningAnything) {
    // Global statements that would fail or call the host when run pass a check untouched.
    for (const char* source : {"x = 1 / 0", "MsgBox \"hi\"\nErr.Raise 5", "Option Explicit\ny = 1",
                               "Function ElementInvoked(Index)\n  ElementInvoked = Index Mod 2 = 0\nEnd Function",
                               "Class C\n  Private Sub Class_Initialize()\n    Err.Raise 6\n  End Sub\nEnd Class\n"
                               "Set o = New C"}) {
        SCOPED_TRACE(source);
        EXPECT_NO_THROW(ScriptControl::Check(source));
    }
}

TEST(ScriptControlTest, ExcessiveNestingIsACompileErrorNotACrash) {
    std::string deepParens = "x = " + std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_EQ(compileError(deepParens).number(), 28);
    std::string deepIfs;
    for (int i = 0; i < 3000; ++i)
        deepIfs += "If True Then\n";
    EXPECT_EQ(compileError(deepIfs).number(), 28);
    std::string deepNot = "x = " + [] {
        std::string s;
        for (int i = 0; i < 5000; ++i)
            s += "Not ";
        return s;
    }() + "1";
    EXPECT_EQ(compileError(deepNot).number(), 28);
}

TEST(ScriptControlTest, RuntimeErrorsCarryThePositionOfTheFailingStatement) {
    ScriptControl sc;
    try {
        sc.AddCode("Dim a\n\n  a = 1 / 0\n");
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_FALSE(e.isCompileError());
        EXPECT_EQ(e.number(), 11);
        EXPECT_EQ(e.description(), "Division by zero");
        EXPECT_EQ(e.line(), 3);
        EXPECT_EQ(e.column(), 3);
    }
    sc.AddCode("Function f(n)\n  f = n\n  f = CLng(\"x\")\nEnd Function");
    try {
        sc.Run("f", {Value::integer(1)});
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.number(), 13);
        EXPECT_EQ(e.line(), 3); // inside the function, not at the call
    }
}

TEST(ScriptControlTest, RunCallsFunctionsAndSubsWithArguments) {
    ScriptControl sc;
    sc.AddCode("Function Add(a, b)\n Add = a + b\nEnd Function\nSub Nothing1()\nEnd Sub");
    Value r = runFunction(sc, "add", {Value::integer(2), Value::string(std::string_view("40"))});
    EXPECT_EQ(r.type(), VarType::Double); // number + numeric text
    EXPECT_EQ(toDouble(r), 42);
    EXPECT_TRUE(runFunction(sc, "Nothing1").isEmpty());
    EXPECT_TRUE(sc.hasProcedure("ADD"));
    EXPECT_FALSE(sc.hasProcedure("Subtract"));
    try {
        sc.Run("Subtract", {});
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.number(), 35);
    }
    try {
        sc.Run("Add", {Value::integer(1)});
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.number(), 450);
    }
}

TEST(ScriptControlTest, GlobalsLiveAcrossCallsUntilReset) {
    ScriptControl sc;
    sc.AddCode("Dim calls\ncalls = 10\nFunction Bump()\n calls = calls + 1\n Bump = calls\nEnd Function");
    EXPECT_EQ(toLong(runFunction(sc, "Bump")), 11);
    EXPECT_EQ(toLong(runFunction(sc, "Bump")), 12);
    sc.AddCode("calls = calls * 2");
    EXPECT_EQ(toLong(runFunction(sc, "Bump")), 25);
    sc.Reset();
    EXPECT_FALSE(sc.hasProcedure("Bump"));
    sc.AddCode("Function Read()\n Read = IsEmpty(calls)\nEnd Function");
    EXPECT_TRUE(toBool(runFunction(sc, "Read")));
}

// A small host object with one property and one method, counting its calls.
class Probe final : public ScriptObject {
public:
    int value = 7;
    int calls = 0;
    std::string typeName() const override { return "Probe"; }
    int memberId(std::u16string_view name) const override {
        if (equalsNoCase(name, std::string_view("Value"))) return 1;
        if (equalsNoCase(name, std::string_view("Twice"))) return 2;
        return NoMember;
    }
    Value invoke(int id, std::span<Value> args) override {
        ++calls;
        if (id == 1) return Value::lng(value);
        if (id == 2) {
            expectArgs(args, 1, 1);
            return Value::lng(toLong(args[0]) * 2);
        }
        throw RuntimeError(438);
    }
    void assign(int id, std::span<Value>, const Value& v, bool) override {
        if (id != 1) throw RuntimeError(438);
        value = toLong(v);
    }
};

TEST(ScriptControlTest, NamedObjectsAreReachableOnlyByTheirName) {
    ScriptControl sc;
    auto probe = std::make_shared<Probe>();
    sc.AddCode("Function Get1()\n Get1 = Thing.Value + Thing.Twice(10)\nEnd Function\n"
               "Function Bare()\n Bare = IsEmpty(Value)\nEnd Function\n"
               "Sub SetIt(v)\n Thing.Value = v\nEnd Sub");
    sc.AddObject("Thing", probe); // added after the code, as the replay window does
    EXPECT_EQ(toLong(runFunction(sc, "Get1")), 27);
    EXPECT_TRUE(toBool(runFunction(sc, "Bare"))) << "members must not become global names";
    runFunction(sc, "SetIt", {Value::integer(99)});
    EXPECT_EQ(probe->value, 99);
    sc.Reset();
    sc.AddCode("Function Gone()\n Gone = IsEmpty(Thing)\nEnd Function");
    EXPECT_TRUE(toBool(runFunction(sc, "Gone")));
}

TEST(ScriptControlTest, CallSitesKeepWorkingForDifferentObjectsOfOneKind) {
    ScriptControl sc;
    auto a = std::make_shared<Probe>(), b = std::make_shared<Probe>();
    a->value = 1;
    b->value = 2;
    sc.AddObject("A", a);
    sc.AddObject("B", b);
    sc.AddCode("Function Sum()\n For Each o In Array(A, B, A)\n  Sum = Sum + o.Value\n Next\nEnd Function");
    EXPECT_EQ(toLong(runFunction(sc, "Sum")), 4);
}

TEST(ScriptControlTest, RunawayScriptsStopAtTheTimeBudget) {
    ScriptControl sc;
    sc.setTimeBudget(std::chrono::milliseconds(50));
    const char* loops[] = {"Do\nLoop", "On Error Resume Next\nDo\n x = 1 / 0\nLoop", "While True\nWend",
                           "Function F()\n F = F()\nEnd Function\nOn Error Resume Next\nDo\n x = F()\nLoop",
                           "For i = 1 To 2\n i = 1\nNext"};
    for (const char* source : loops) {
        SCOPED_TRACE(source);
        try {
            sc.AddCode(source);
            FAIL() << "no timeout";
        } catch (const ScriptError& e) {
            EXPECT_EQ(e.number(), 1000);
            EXPECT_FALSE(e.isCompileError());
            EXPECT_GE(e.line(), 1) << "the statement that was running";
        }
    }
    // The engine stays usable after a timeout.
    sc.AddCode("Function Ok()\n Ok = 1\nEnd Function");
    EXPECT_EQ(toLong(runFunction(sc, "Ok")), 1);
}

TEST(ScriptControlTest, DeepRecursionIsOutOfStackSpace) {
    ScriptControl sc;
    sc.AddCode("Function Down(n)\n Down = Down(n + 1)\nEnd Function");
    try {
        sc.Run("Down", {Value::integer(0)});
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.number(), 28);
    }
    // Code that executes itself recurses without any procedure call.
    for (const char* selfRunning : {"s = \"Execute s\"\nExecute s", "s = \"Eval(s)\"\nx = Eval(s)"}) {
        try {
            sc.AddCode(selfRunning);
            FAIL() << selfRunning;
        } catch (const ScriptError& e) {
            EXPECT_EQ(e.number(), 28) << selfRunning;
        }
    }
    sc.AddCode("Function Depth(n)\n If n = 0 Then Depth = 0 Else Depth = 1 + Depth(n - 1)\nEnd Function");
    EXPECT_EQ(toLong(runFunction(sc, "Depth", {Value::integer(500)})), 500);
}

TEST(ScriptControlTest, OnlyVBScriptIsAKnownLanguage) {
    ScriptControl sc;
    EXPECT_NO_THROW(sc.setLanguage("VBScript"));
    EXPECT_NO_THROW(sc.setLanguage("vbscript"));
    EXPECT_THROW(sc.setLanguage("JScript"), ScriptError);
    EXPECT_THROW(sc.setLanguage(""), ScriptError);
}

TEST(ScriptControlTest, MsgBoxAndInputBoxGoThroughTheHost) {
    ScriptControl sc;
    std::string seenPrompt, seenTitle;
    int seenButtons = -1;
    ScriptHost host;
    host.msgBox = [&](const std::string& p, int b, const std::string& t) {
        seenPrompt = p;
        seenButtons = b;
        seenTitle = t;
        return 6;
    };
    host.inputBox = [](const std::string&, const std::string&, const std::string& def) {
        return std::make_pair(def + "!", true);
    };
    sc.setHost(host);
    sc.Reset();
    sc.AddCode("Function Ask()\n Ask = MsgBox(\"Go on?\", vbYesNo, \"Title\")\nEnd Function\n"
               "Function Name()\n Name = InputBox(\"Name\", \"T\", \"Bob\")\nEnd Function");
    EXPECT_EQ(toLong(runFunction(sc, "Ask")), 6);
    EXPECT_EQ(seenPrompt, "Go on?");
    EXPECT_EQ(seenButtons, 4);
    EXPECT_EQ(seenTitle, "Title");
    EXPECT_EQ(toUtf8(runFunction(sc, "Name")), "Bob!");
}

TEST(ScriptControlTest, FilterVerdictFollowsNotOfTheResult) {
    // The replay cancels an event when CBool(Not result) is true: only True lets it run.
    struct Case {
        Value result;
        bool cancel;
    } cases[] = {
        {Value::boolean(true), false},
        {Value::boolean(false), true},
        {Value::integer(0), true},
        {Value::integer(5), true},
        {Value(), true},
        {Value::lng(-1), false},
        {Value::string(std::string_view("True")), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vbCBool(vbNot(c.result)), c.cancel) << typeName(c.result);
    EXPECT_THROW(vbCBool(vbNot(Value::null())), RuntimeError);
    EXPECT_THROW(vbNot(Value::string(std::string_view("abc"))), RuntimeError);
}

TEST(ScriptControlTest, EvalSeesTheGlobalsAndReportsErrors) {
    ScriptControl sc;
    sc.setLanguage("VBScript");
    sc.AddCode("Dim base\nbase = 40\nFunction Two()\nTwo = 2\nEnd Function");
    EXPECT_EQ(sc.Eval("base + Two()").rawInt(), 42);
    try {
        sc.Eval("base +");
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_EQ(e.number(), 1002);
        EXPECT_TRUE(e.isCompileError());
    }
    EXPECT_THROW(sc.Eval("1 / 0"), ScriptError);
}

TEST(ScriptControlTest, EachEngineKeepsItsOwnLocale) {
    // SetLocale in one engine neither leaks to another nor outlives the call on this thread.
    ScriptControl german, english;
    german.setLanguage("VBScript");
    english.setLanguage("VBScript");
    german.AddCode("SetLocale 1031\nFunction Text(x)\nText = CStr(x)\nEnd Function");
    english.AddCode("Function Text(x)\nText = CStr(x)\nEnd Function");
    EXPECT_EQ(toUtf8(german.Run("Text", {Value::dbl(1.5)})), "1,5");
    EXPECT_EQ(toUtf8(english.Run("Text", {Value::dbl(1.5)})), "1.5");
    EXPECT_EQ(toUtf8(Value::dbl(2.5)), "2.5") << "outside any call";
    EXPECT_EQ(toUtf8(german.Run("Text", {Value::dbl(1.5)})), "1,5") << "the engine remembers its choice";
}

TEST(ScriptControlTest, DefaultFilterScriptLetsEveryEventRun) {
    ScriptControl sc;
    sc.setLanguage("VBScript");
    sc.AddCode("Function ElementInvoked(Index)\r\n\r\n   ElementInvoked = True ' Allow this element\r\n\r\nEnd "
               "Function");
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(vbCBool(vbNot(sc.Run("ElementInvoked", {Value::lng(i)}))));
}

TEST(ScriptControlTest, ObjectsSurviveResetWithoutReachingTheOldEngine) {
    ScriptControl sc;
    sc.AddCode("Class K\n Public Function Hello()\n  Hello = 1\n End Function\nEnd Class\n"
               "Function Make()\n Set Make = New K\nEnd Function\n"
               "Dim a, b\nSet a = New K\nSet b = New K\n"); // a cycle-free pair
    Value k = runFunction(sc, "Make");
    ASSERT_TRUE(k.isObject());
    int id = k.obj()->memberId(u"hello");
    EXPECT_EQ(toLong(k.obj()->invoke(id, {})), 1);
    sc.Reset();
    EXPECT_THROW(k.obj()->invoke(id, {}), RuntimeError);
}

TEST(ScriptControlTest, ReferenceCyclesAreReleasedAtReset) {
    // Leak checking (LeakSanitizer) fails this test if the cycle survives.
    ScriptControl sc;
    sc.AddCode("Class N\n Public Other\n Private Sub Class_Terminate()\n  x = 1\n End Sub\nEnd Class\n"
               "Set a = New N\nSet b = New N\nSet a.Other = b\nSet b.Other = a\nSet a = Nothing\nSet b = Nothing");
    sc.Reset();
}

TEST(ScriptControlTest, ResetDuringARunIsRefused) {
    ScriptControl sc;
    ScriptHost host;
    host.msgBox = [&sc](const std::string&, int, const std::string&) {
        EXPECT_THROW(sc.Reset(), ScriptError);
        return 1;
    };
    sc.setHost(host);
    sc.Reset();
    sc.AddCode("MsgBox \"x\"");
}

} // namespace

namespace {

// The error raised while adding `texts` in order, then running `run` (when not empty).
ScriptError errorAfter(const std::vector<std::string>& texts, const std::string& run) {
    ScriptControl sc;
    sc.setTimeBudget(std::chrono::milliseconds(100));
    try {
        for (const auto& t : texts)
            sc.AddCode(t);
        if (!run.empty()) sc.Run(run, {});
    } catch (const ScriptError& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return ScriptError(0, "", 0, 0, false);
}

} // namespace

// The caller maps each added text to its origin (a file): errors say which text their line is in.
TEST(ScriptControlTest, ErrorsTellWhichAddedTextTheirLineIsIn) {
    struct Case {
        std::vector<std::string> texts;
        std::string run;
        int number, line, code;
    };
    const std::string lib = "Function Fails()\n  Fails = 1 / 0\nEnd Function\nSub Spin()\n  Do\n  Loop\nEnd Sub\n";
    const Case cases[] = {
        {{lib, "x = 1\nx = Fails()\n"}, "", 11, 2, 0},                               // a procedure of the first text
        {{lib, "Sub Main()\n  Fails\nEnd Sub\n"}, "Main", 11, 2, 0},                 // reached through Run
        {{lib, "x = 1\ny = (2\n"}, "", 1006, 2, 1},                                  // compile error in the second text
        {{lib, "x = 1\n\nx = 1 / 0\n"}, "", 11, 3, 1},                               // the second text's own line
        {{lib, "ExecuteGlobal \"Sub G() : G = 1 / 0 : End Sub\"\n"}, "G", 11, 1, 1}, // code made at run time
        {{lib}, "Spin", 1000, 5, 0},                                                 // a timeout inside the first text
        {{lib}, "Missing", 35, 0, -1},                                               // no line at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texts.back() + " / " + c.run);
        ScriptError e = errorAfter(c.texts, c.run);
        EXPECT_EQ(e.number(), c.number) << e.description();
        EXPECT_EQ(e.line(), c.line);
        EXPECT_EQ(e.codeIndex(), c.code);
    }
}
