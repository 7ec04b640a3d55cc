// Hostile scripts meet a numbered error, never the end of the process: long expression chains,
// deeply linked data, memory beyond the budget, built-ins that would outrun the time budget.
#include "script/Coerce.h"
#include "script/ScriptControl.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace tvk;
using namespace tvk::script;

namespace {

std::string repeated(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * static_cast<size_t>(times));
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// A function F returning a chain of `links` links; `prelude` declares what the chain uses.
struct ChainCase {
    const char* name;
    std::function<std::string(int links)> body;
    const char* prelude;
    const char* shortResult; // F's result for a chain of ShortChain links, as text
};

constexpr int ShortChain = 400;

const ChainCase chainCases[] = {
    {"sum", [](int n) { return "1" + repeated(" + 1", n); }, "", "401"},
    {"and", [](int n) { return "True" + repeated(" And True", n); }, "", "True"},
    {"equals", [](int n) { return "1" + repeated(" = 1", n); }, "", "False"},
    {"concat", [](int n) { return "\"a\"" + repeated(" & \"a\"", n) + " = \"\""; }, "", "False"},
    {"power", [](int n) { return "1" + repeated(" ^ 1", n); }, "", "1"},
    {"members", [](int n) { return "TypeName(o" + repeated(".Item(1)", n) + ")"; },
     "Class C\nPublic Function Item(n)\nSet Item = Me\nEnd Function\nEnd Class\nSet o = New C\n", "C"},
    {"indexes", [](int n) { return "IsArray(a" + repeated("(0)", n) + ")"; },
     "a = Array(0)\nFor i = 1 To 500\na = Array(a)\nNext\n", "True"},
};

TEST(ScriptLimitsTest, LongChainsRunOrAreRefusedWithOutOfStackSpace) {
    for (const ChainCase& c : chainCases) {
        SCOPED_TRACE(c.name);
        ScriptControl sc;
        sc.AddCode(std::string(c.prelude) + "Function F()\nF = " + c.body(ShortChain) + "\nEnd Function");
        EXPECT_EQ(toUtf8(sc.Run("F", {})), c.shortResult);
        for (int links : {20000, 200000}) {
            try {
                sc.AddCode("Function G()\nG = " + c.body(links) + "\nEnd Function");
                ADD_FAILURE() << links << " links compiled";
            } catch (const ScriptError& e) {
                EXPECT_EQ(e.number(), 28) << e.description();
                EXPECT_TRUE(e.isCompileError());
            }
        }
        // The engine is still usable after the refusal.
        EXPECT_EQ(toUtf8(sc.Run("F", {})), c.shortResult);
    }
}

} // namespace

// Data linked 200,000 deep, freed by dropping its head: freeing must not recurse per link.
TEST(ScriptLimitsTest, DeeplyLinkedDataIsFreedWithoutRecursion) {
    const char* builders[] = {
        "a = Array(0)\nFor i = 1 To 200000\na = Array(a)\nNext\na = 0",
        "Set h = Nothing\nFor i = 1 To 200000\nSet n = New Node\nSet n.nxt = h\nSet h = n\nNext\n"
        "Set n = Nothing\nSet h = Nothing",
        "Set h = CreateObject(\"Scripting.Dictionary\")\nSet d = h\nFor i = 1 To 200000\n"
        "Set e = CreateObject(\"Scripting.Dictionary\")\nd.Add 1, e\nSet d = e\nNext\n"
        "Set d = Nothing\nSet e = Nothing\nSet h = Nothing",
    };
    for (const char* builder : builders) {
        SCOPED_TRACE(builder);
        ScriptControl sc;
        sc.setTimeBudget(std::chrono::minutes(10));
        sc.AddCode("Class Node\nPublic nxt\nEnd Class\nDim done\n");
        sc.AddCode(std::string(builder) + "\ndone = True\nFunction Finished()\nFinished = done\nEnd Function");
        EXPECT_EQ(toUtf8(sc.Run("Finished", {})), "True");
    }
}

ScriptError runError(ScriptControl& sc, const std::string& name) {
    try {
        sc.Run(name, {});
    } catch (const ScriptError& e) {
        return e;
    }
    ADD_FAILURE() << name << " raised no error";
    return ScriptError(0, "", 0, 0, false);
}

// Every way of growing past the budget fails with error 7, and the engine goes on working.
TEST(ScriptLimitsTest, MemoryBeyondTheBudgetIsOutOfMemory) {
    ScriptControl sc;
    sc.setTimeBudget(std::chrono::minutes(5));
    sc.setMemoryBudget(size_t{24} << 20);
    sc.AddCode("Set d = CreateObject(\"Scripting.Dictionary\")\nDim s, parts, a()\n"
               "Sub GrowDictionary()\nDo\nd.Add d.Count, d.Count\nLoop\nEnd Sub\n"
               "Sub GrowText()\ns = \"\"\nDo\ns = s & Space(1000)\nLoop\nEnd Sub\n"
               "Sub SplitText()\nparts = Split(String(6000000, \",\"), \",\")\nEnd Sub\n"
               "Sub GrowArray()\nReDim a(100000)\nDo\nReDim Preserve a(UBound(a) * 2)\nLoop\nEnd Sub\n"
               "Sub Clear()\nd.RemoveAll\ns = \"\"\nparts = Empty\nErase a\nEnd Sub\n"
               "Function Small()\nSmall = Len(Space(100000)) + d.Count\nEnd Function");
    for (const char* grow : {"GrowDictionary", "GrowText", "SplitText", "GrowArray"}) {
        SCOPED_TRACE(grow);
        EXPECT_EQ(runError(sc, grow).number(), 7);
        sc.Run("Clear", {});
        EXPECT_EQ(toUtf8(sc.Run("Small", {})), "100000");
    }
}

// Objects that only reference one another are freed while the script runs; those a variable still
// reaches, directly or through an array or a dictionary, are kept whole.
TEST(ScriptLimitsTest, UnreachableCyclesAreCollectedWhileTheScriptRuns) {
    ScriptControl sc;
    sc.setTimeBudget(std::chrono::minutes(5));
    sc.setMemoryBudget(size_t{16} << 20);
    sc.AddCode("Dim ended\nClass Pair\nPublic other, tag\nSub Class_Terminate()\nended = ended + 1\nEnd Sub\n"
               "End Class\n"
               "Set ring = New Pair\nSet ring.other = New Pair\nSet ring.other.other = ring\nring.tag = \"ring\"\n"
               "Set inArray = New Pair\nSet inArray.other = inArray\nheld = Array(inArray)\nSet inArray = Nothing\n"
               "Set dict = CreateObject(\"Scripting.Dictionary\")\ndict.Add \"self\", dict\n"
               "Set inDict = New Pair\nSet inDict.other = inDict\ndict.Add \"pair\", inDict\nSet inDict = Nothing\n"
               "Sub MakeGarbage()\nFor i = 1 To 100000\nSet p = New Pair\nSet p.other = New Pair\n"
               "Set p.other.other = p\nSet d = CreateObject(\"Scripting.Dictionary\")\nd.Add \"me\", d\nNext\n"
               "End Sub\n"
               "Function Intact()\nIntact = ring.other.other Is ring And ring.tag = \"ring\" And "
               "held(0).other Is held(0) And dict(\"self\") Is dict And dict(\"pair\").other Is dict(\"pair\")\n"
               "End Function");
    sc.Run("MakeGarbage", {});
    EXPECT_EQ(toUtf8(sc.Run("Intact", {})), "True");
    sc.AddCode("Function EndedCount()\nEndedCount = ended\nEnd Function");
    EXPECT_GT(toDouble(sc.Run("EndedCount", {})), 50000);
}

// Each long built-in looks at the clock while it works on a large input: when the budget is spent
// before it starts, it ends with the time-out. The script reads Timer first, from a host clock that
// takes longer than the whole budget, so the budget is spent whatever the speed of the machine; the
// statements between start no check of their own. (A budget of zero means no limit. A plain ReDim is
// one allocation, bounded by the memory budget, and looks at the clock only before it.)
TEST(ScriptLimitsTest, LongBuiltinsStopAtTheTimeBudget) {
    ScriptControl sc;
    bool slowClock = false;
    ScriptHost host;
    host.clock = [&slowClock] {
        if (slowClock) std::this_thread::sleep_for(std::chrono::milliseconds(3));
        return std::chrono::system_clock::now();
    };
    sc.setHost(host);
    sc.setTimeBudget(std::chrono::minutes(5));
    sc.AddCode("Dim s, parts, x, a, t\ns = Replace(Space(1000000), \" \", \"ab,\")\nparts = Split(s, \",\")\n"
               "Set re = New RegExp\nre.Global = True\nre.Pattern = \"b\"\nReDim a(1000000)\n");
    const char* calls[] = {
        "x = Split(s, \",\")",       "x = Join(parts, \";\")",   "x = Replace(s, \"a\", \"c\")",
        "x = Filter(parts, \"a\")",  "x = re.Replace(s, \"-\")", "Set x = re.Execute(s)",
        "ReDim Preserve a(2000000)",
    };
    sc.setTimeBudget(std::chrono::milliseconds(1));
    slowClock = true;
    // Spent budget alone stops nothing: a call without a long built-in ends normally.
    sc.AddCode("Sub Once()\nt = Timer\nx = Len(s)\nEnd Sub");
    EXPECT_NO_THROW(sc.Run("Once", {}));
    for (const char* call : calls) {
        SCOPED_TRACE(call);
        sc.AddCode(std::string("Sub Once()\nt = Timer\n") + call + "\nEnd Sub");
        EXPECT_EQ(runError(sc, "Once").number(), 1000);
    }
}

// The tallest expression accepted still evaluates at the deepest recursion the engine allows: the
// call depth guard and the expression height limit together fit the native stack.
TEST(ScriptLimitsTest, TallestExpressionRunsAtTheDeepestRecursion) {
    ScriptControl sc;
    sc.setTimeBudget(std::chrono::minutes(5));
    std::string chain = "1" + repeated(" + 1", 990);
    sc.AddCode("Function R()\nOn Error Resume Next\nDim x\nx = R()\nR = " + chain + "\nEnd Function");
    EXPECT_EQ(toUtf8(sc.Run("R", {})), "991");
}

// A host may allow fewer nested calls than the engine's own limit; the limit survives a Reset.
TEST(ScriptLimitsTest, CallDepthLimitEndsRecursionWithOutOfStackSpace) {
    ScriptControl sc;
    sc.setCallDepthLimit(50);
    for (int round = 0; round < 2; ++round) {
        sc.AddCode("Function D(n)\nIf n = 0 Then D = 0 Else D = D(n - 1) + 1\nEnd Function");
        EXPECT_EQ(toUtf8(sc.Run("D", {Value::lng(49)})), "49");
        try {
            sc.Run("D", {Value::lng(50)});
            ADD_FAILURE() << "51 nested calls ran";
        } catch (const ScriptError& e) {
            EXPECT_EQ(e.number(), 28) << e.description();
        }
        sc.Reset();
    }
    sc.setCallDepthLimit(0); // below the range: one call, none nested
    sc.AddCode("Function D(n)\nIf n = 0 Then D = 0 Else D = D(n - 1) + 1\nEnd Function");
    EXPECT_EQ(toUtf8(sc.Run("D", {Value::lng(0)})), "0");
    EXPECT_THROW(sc.Run("D", {Value::lng(1)}), ScriptError);
}
