// The console host: error report format, exit codes, WScript, and the dry run over an event file.
#include "events/clsEvents.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tvk_runner_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::string& text) {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }

    // Runs the host with the arguments; returns its exit code, output and errors in `out`.
    int run(const std::string& args, std::string& out) {
        std::string cmd = std::string(TVK_RUNNER) + " " + args + " 2>&1";
        FILE* pipe = ::popen(cmd.c_str(), "r");
        if (!pipe) return -1;
        std::array<char, 4096> buf{};
        out.clear();
        size_t n;
        while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
            out.append(buf.data(), n);
        int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir;
};

TEST_F(RunnerTest, CompileErrorIsReportedWithFileLineAndColumn) {
    std::string file = write("bad.vbs", "WScript.Echo 1\nIf x Then y = 1 Else\nx = (1\n");
    std::string out;
    EXPECT_NE(run(file, out), 0);
    EXPECT_NE(out.find(file + "(3, 7) Expected ')' (1006)"), std::string::npos) << out;
    EXPECT_EQ(out.find("1\n"), std::string::npos) << "nothing runs when the code does not compile";
}

TEST_F(RunnerTest, RuntimeErrorStopsTheScriptWithItsPosition) {
    std::string file = write("div.vbs", "WScript.Echo \"before\"\n  x = 1 / 0\nWScript.Echo \"after\"\n");
    std::string out;
    EXPECT_EQ(run(file, out), 1);
    EXPECT_NE(out.find("before"), std::string::npos);
    EXPECT_EQ(out.find("after"), std::string::npos);
    EXPECT_NE(out.find(file + "(2, 3) Division by zero (11)"), std::string::npos) << out;
}

// A failing line is reported with the file it is written in, whichever file called it.
TEST_F(RunnerTest, ErrorsNameTheFileTheirLineBelongsTo) {
    std::string lib = write("lib.vbs", "Sub Fails()\n    x = 1 / 0\nEnd Sub\nSub Ok()\nEnd Sub\n");
    std::string main = write("main.vbs", "Ok\nFails\n");
    std::string out;
    EXPECT_EQ(run("--include " + lib + " " + main, out), 1);
    EXPECT_NE(out.find(lib + "(2, 5) Division by zero (11)"), std::string::npos) << out;

    std::string badLib = write("badlib.vbs", "x = 1\ny = (2\n");
    EXPECT_EQ(run("--include " + badLib + " " + main, out), 1);
    EXPECT_NE(out.find(badLib + "(2, 7) Expected ')' (1006)"), std::string::npos) << out;

    // The main file's own lines, and a library's error trapped and raised again from the main file.
    std::string again = write("again.vbs", "Ok\nOn Error Resume Next\nFails\nOn Error GoTo 0\n"
                                           "Err.Raise Err.Number\n");
    EXPECT_EQ(run("--include " + lib + " " + again, out), 1);
    EXPECT_NE(out.find(again + "(5, 1)"), std::string::npos) << out;

    // A class method and a timeout inside library code.
    std::string loops = write("loops.vbs", "Class C\n  Sub Spin()\n    Do : Loop\n  End Sub\nEnd Class\n");
    std::string spin = write("spin.vbs", "Set obj = New C\nobj.Spin\n");
    EXPECT_EQ(run("--budget 50 --include " + loops + " " + spin, out), 1);
    EXPECT_NE(out.find(loops + "(3, "), std::string::npos) << out;
}

TEST_F(RunnerTest, EchoArgumentsAndQuit) {
    std::string file = write("args.vbs", "WScript.Echo WScript.Arguments.Count, WScript.Arguments(1), 2.5, True\n"
                                         "For Each a In WScript.Arguments : s = s & a : Next\nWScript.Echo s\n"
                                         "WScript.Quit 3\nWScript.Echo \"unreached\"\n");
    std::string out;
    EXPECT_EQ(run(file + " one two", out), 3);
    EXPECT_EQ(out, "2 two 2.5 True\nonetwo\n");
}

TEST_F(RunnerTest, ArgumentsByIndexAndEchoOfSeveralValues) {
    std::string file = write("items.vbs", "Set a = WScript.Arguments\n"
                                          "WScript.Echo a.Length, a.Item(0), a(1), WScript.Arguments(0)\n"
                                          "WScript.Echo\nWScript.Echo \"x\", Empty, \"y\", Null\n"
                                          "On Error Resume Next\nv = a(2)\nWScript.Echo Err.Number\nErr.Clear\n"
                                          "v = a.Item(-1)\nWScript.Echo Err.Number\n");
    std::string out;
    EXPECT_EQ(run(file + " one two", out), 0) << out;
    EXPECT_EQ(out, "2 one two one\n\nx  y Null\n9\n9\n");
}

TEST_F(RunnerTest, HostNameVersionAndProgramFile) {
    std::string file = write("host.vbs", "WScript.Echo WScript.Name\nWScript.Echo WScript.Version\n"
                                         "WScript.Echo WScript.FullName\nWScript.Echo WScript.Path\n"
                                         "WScript.Echo WScript.Interactive\nWScript.Interactive = 0\n"
                                         "WScript.Echo WScript.Interactive\nOn Error Resume Next\n"
                                         "WScript.Interactive = \"maybe\"\nWScript.Echo Err.Number\nErr.Clear\n"
                                         "WScript.Name = \"other\"\nWScript.Echo Err.Number\n");
    const fs::path program = fs::canonical(TVK_RUNNER);
    std::string out;
    EXPECT_EQ(run(file, out), 0) << out;
    EXPECT_EQ(out, "Tavrimoskel Script Host\n5.8\n" + program.string() + "\n" + program.parent_path().string() +
                       "\nTrue\nFalse\n13\n438\n");
}

TEST_F(RunnerTest, ObjectsLeftAtTheEndRunClassTerminate) {
    // Each object held by a global variable goes when the script ends, while WScript still answers.
    std::string file = write("ending.vbs", "Class T\n Public Name\n"
                                           " Private Sub Class_Terminate : WScript.Echo \"bye \" & Name : End Sub\n"
                                           "End Class\nDim first, second\nSet first = New T : first.Name = \"one\"\n"
                                           "Set second = New T : second.Name = \"two\"\nWScript.Echo \"end\"\n");
    std::string out;
    EXPECT_EQ(run(file, out), 0) << out;
    EXPECT_EQ(out, "end\nbye one\nbye two\n");
}

TEST_F(RunnerTest, QuitEndsWithItsCodeFromAnyDepth) {
    struct Case {
        const char* script;
        int code;
    } cases[] = {
        {"WScript.Quit", 0},
        {"WScript.Quit 0", 0},
        {"Sub Leave()\n WScript.Quit 7\nEnd Sub\nOn Error Resume Next\nLeave\nWScript.Echo \"unreached\"", 7},
        {"Class C\n Sub Go()\n  WScript.Quit 250\n End Sub\nEnd Class\nSet o = New C\no.Go", 250},
        {"x = 1 / 0", 1},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(run(write("quit.vbs", c.script), out), c.code) << c.script;
        EXPECT_EQ(out.find("unreached"), std::string::npos) << c.script;
    }
}

TEST_F(RunnerTest, NamedAndUnnamedArguments) {
    std::string file = write("named.vbs", "Set a = WScript.Arguments\n"
                                          "WScript.Echo a.Count, a.Named.Count, a.Unnamed.Count\n"
                                          "WScript.Echo a.Named(\"OUT\"), a.Named.Exists(\"verbose\"), "
                                          "IsEmpty(a.Named(\"verbose\")), a.Named.Exists(\"missing\")\n"
                                          "WScript.Echo a.Unnamed(0), a.Unnamed.Item(1), a(1)\n"
                                          "For Each n In a.Named : s = s & n & \";\" : Next\nWScript.Echo s\n");
    std::string out;
    EXPECT_EQ(run(file + " first /out:c:/x.txt /verbose second", out), 0) << out;
    EXPECT_EQ(out, "4 2 2\nc:/x.txt True True False\nfirst second /out:c:/x.txt\nout;verbose;\n");
}

TEST_F(RunnerTest, StandardStreams) {
    std::string file =
        write("streams.vbs", "Set o = WScript.StdOut\no.Write \"a\"\no.WriteLine \"b\"\no.WriteBlankLines 2\n"
                             "o.WriteLine\nWScript.StdErr.WriteLine \"to errors\"\n"
                             "Set i = WScript.StdIn\nlineOne = i.ReadLine\nlineTwo = i.ReadLine\n"
                             "WScript.Echo lineOne & \"|\" & lineTwo & \"|\" & i.AtEndOfStream\n"
                             "rest = i.ReadAll\nWScript.Echo Replace(rest, vbLf, \"/\") & \"|\" & i.AtEndOfStream\n"
                             "On Error Resume Next\nx = i.ReadLine\nWScript.Echo Err.Number\nErr.Clear\n"
                             "o.ReadLine\nWScript.Echo Err.Number\n");
    std::string out;
    EXPECT_EQ(run(file + " < " + write("in.txt", "one\r\ntwo\nthree\nfour\n"), out), 0) << out;
    EXPECT_EQ(out, "ab\n\n\n\nto errors\none|two|False\nthree/four/|True\n62\n54\n");
}

TEST_F(RunnerTest, WScriptCreateObjectMakesWhatCreateObjectMakes) {
    std::string file = write("create.vbs", "SetLocale 1031\nSet d = WScript.CreateObject(\"Scripting.Dictionary\")\n"
                                           "d(\"k\") = 1.5\nWScript.Echo TypeName(d), d(\"k\")\n"
                                           "On Error Resume Next\nSet x = WScript.CreateObject(\"No.\"\"Such\")\n"
                                           "WScript.Echo Err.Number\n");
    std::string out;
    EXPECT_EQ(run(file, out), 0) << out;
    EXPECT_EQ(out, "Dictionary 1,5\n429\n") << "the locale the script chose stays through the call";
}

TEST_F(RunnerTest, ScriptNamesAndSleep) {
    // Sleep waits: a 100 ms sleep outlasts a 50 ms budget, so the loop after it runs out of time.
    std::string file = write("names.vbs", "WScript.Echo WScript.ScriptName\n"
                                          "WScript.Echo WScript.ScriptFullName = \"" +
                                              (dir / "names.vbs").string() +
                                              "\"\nWScript.Sleep 100\nFor i = 1 To 100000 : Next\n"
                                              "WScript.Echo \"finished\"\n");
    std::string out;
    EXPECT_EQ(run("--budget 50 " + file, out), 1);
    EXPECT_EQ(out.rfind("names.vbs\nTrue\n", 0), 0u) << out;
    EXPECT_EQ(out.find("finished"), std::string::npos) << out;
}

TEST_F(RunnerTest, ScriptsRunWithoutTimeLimitUnlessABudgetIsGiven) {
    // Past the application's 5 s per-call budget, without spending CPU on it.
    std::string file = write("long.vbs", "WScript.Sleep 5100\nFor i = 1 To 100000 : Next\nWScript.Echo \"finished\"\n");
    std::string out;
    EXPECT_EQ(run(file, out), 0) << out;
    EXPECT_EQ(out, "finished\n");
}

TEST_F(RunnerTest, DryRunOfAFilterOverAnEventFile) {
    tvk::clsEvents list([] { return 5; });
    list.AddEvent(tvk::KeyBoard, true, 0, 0, 65);
    list.AddEvent(tvk::Wait, false, 0, 0, 20);
    list.AddEvent(tvk::KeyBoard, false, 0, 0, 65);
    list.AddEvent(tvk::MouseMove, false, 5, 5, 0);
    list.EnableProcessor = -1;
    list.ElementProcessor = "Function ElementInvoked(Index)\r\n ElementInvoked = StoredEvents.EventType(Index) <> 0\r\n"
                            "End Function";
    std::string events = (dir / "list.tvk").string();
    list.SaveFile(events);

    std::string out;
    EXPECT_EQ(run("--events " + events, out), 0) << out;
    EXPECT_EQ(out, "Filtering is enabled in this file\n"
                   "0 KeyBoard: runs\n"
                   "1 Wait: skipped\n"
                   "2 KeyBoard: runs\n"
                   "3 MouseMove: runs\n"
                   "3 would run, 1 would be skipped\n");

    std::string other =
        write("f.vbs", "Function ElementInvoked(Index)\n ElementInvoked = 1 / (Index - 2)\nEnd Function");
    EXPECT_EQ(run("--events " + events + " " + other, out), 0) << out;
    EXPECT_NE(out.find("2 KeyBoard: runs (error 11: Division by zero)"), std::string::npos) << out;
    EXPECT_NE(out.find("0 KeyBoard: skipped"), std::string::npos) << "-0.5 is not True";
}

TEST_F(RunnerTest, MissingFilesAreReported) {
    std::string out;
    EXPECT_NE(run((dir / "none.vbs").string(), out), 0);
    EXPECT_NE(run("--events " + (dir / "none.tvk").string() + " " + write("a.vbs", ""), out), 0);
    EXPECT_NE(out.find("(53)"), std::string::npos) << out;
    EXPECT_EQ(run("", out), 2);
}

} // namespace

// Hostile scripts end with a numbered error and exit code 1, never a signal: a chain far too long
// to compile, and a dictionary that grows past --memory.
TEST_F(RunnerTest, HostileScriptsEndWithANumberedError) {
    std::string chain = "x = 1";
    for (int i = 0; i < 150000; ++i)
        chain += " + 1";
    struct Case {
        std::string args, expected;
    } cases[] = {
        {write("chain.vbs", chain + "\n"), "Out of stack space (28)"},
        {"--memory 16 " + write("grow.vbs", "Set d = CreateObject(\"Scripting.Dictionary\")\n"
                                            "Do\nd.Add d.Count, Space(100)\nLoop\n"),
         "Out of memory (7)"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(run(c.args, out), 1) << out;
        EXPECT_NE(out.find(c.expected), std::string::npos) << out;
    }
}
