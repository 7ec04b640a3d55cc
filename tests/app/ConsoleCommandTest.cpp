// The console commands: what their command lines accept, and on a real X server, a recording of
// typed text replayed into a logging window, and a signal that ends a replay in a long wait.
#include "XDesktop.h"

#include "app/cli/ConsoleCommands.h"
#include "app/cli/ConsoleOptions.h"
#include "events/clsEvents.h"
#include "recorder/VirtualKeys.h"
#include "recorder/simulated/SimulatedBackend.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// After GoogleTest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>

#include <csignal>

namespace {

using tvk::ConsoleCommand;
using tvk::RecordOptions;
using tvk::ReplayOptions;
using tvk::UsageError;

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::string w;
    for (char c : line) {
        if (c == ' ') {
            if (!w.empty()) out.push_back(w);
            w.clear();
        } else {
            w += c;
        }
    }
    if (!w.empty()) out.push_back(w);
    return out;
}

TEST(ConsoleOptions, ReadsEveryOptionOfRecordAndReplay) {
    const auto rec = std::get<RecordOptions>(
        tvk::parseConsoleCommand(words("record out.tvk --until-key 27 --duration 1.5 --interval=20")));
    EXPECT_EQ(rec.file, "out.tvk");
    EXPECT_EQ(rec.untilKey, 27);
    ASSERT_TRUE(rec.duration.has_value());
    EXPECT_DOUBLE_EQ(*rec.duration, 1.5);
    EXPECT_EQ(rec.interval, 20);

    const auto rep = std::get<ReplayOptions>(
        tvk::parseConsoleCommand(words("replay --from 3 in.tvk --to 9 --passes 4 --speed 2.5 --filter f.vbs")));
    EXPECT_EQ(rep.file, "in.tvk");
    EXPECT_EQ(rep.from, 3);
    EXPECT_EQ(rep.to, 9);
    EXPECT_EQ(rep.passes, 4);
    EXPECT_FALSE(rep.endless);
    EXPECT_DOUBLE_EQ(rep.speed, 2.5);
    EXPECT_EQ(rep.filterFile, "f.vbs");

    const auto defaults =
        std::get<ReplayOptions>(tvk::parseConsoleCommand(words("replay in.tvk --endless --no-filter")));
    EXPECT_EQ(defaults.from, -1);
    EXPECT_EQ(defaults.to, -1);
    EXPECT_TRUE(defaults.endless);
    EXPECT_TRUE(defaults.noFilter);
    EXPECT_DOUBLE_EQ(defaults.speed, 1.0);

    EXPECT_TRUE(std::holds_alternative<tvk::HelpRequest>(tvk::parseConsoleCommand(words("replay --help"))));
    EXPECT_FALSE(tvk::isConsoleCommand(words("session.tvk")));
    EXPECT_FALSE(tvk::isConsoleCommand({}));
}

TEST(ConsoleOptions, RefusesWhatCannotRun) {
    const char* const bad[] = {
        "record",                            // no file
        "record a.tvk b.tvk",                // two files
        "record a.tvk --until-key 300",      // no such key
        "record a.tvk --interval 0",         // no poll interval
        "record a.tvk --duration -1",        // negative time
        "record a.tvk --duration",           // value missing
        "replay a.tvk --speed 0",            // below 0.1
        "replay a.tvk --speed 11",           // above 10
        "replay a.tvk --speed 1,5",          // a comma is no decimal point here
        "replay a.tvk --passes 0",           // nothing to do
        "replay a.tvk --passes 2 --endless", // contradiction
        "replay a.tvk --filter f.vbs --no-filter",
        "replay a.tvk --endless=yes",
        "replay a.tvk --frobnicate",
        "replay a.tvk --from x",
    };
    for (const char* line : bad)
        EXPECT_THROW(tvk::parseConsoleCommand(words(line)), UsageError) << line;
}

// A recording on the simulated desktop ends on the stop key, or on the until-key, and keeps
// neither press; with the stop key off, Escape is recorded like any key.
TEST(ConsoleRecord, EndsOnTheStopKeyOrTheUntilKeyWithoutRecordingIt) {
    struct Case {
        const char* name;
        int stopKey;
        std::string options;
        int32_t ending;
        std::vector<std::pair<int32_t, bool>> keys;
    };
    const std::vector<Case> cases{
        {"stop key", tvk::vk::Escape, "", tvk::vk::Escape, {{'H', true}, {'H', false}}},
        {"until-key", tvk::vk::Escape, " --until-key 81", 'Q', {{'H', true}, {'H', false}}},
        {"stop key off",
         0,
         " --duration 0.3",
         tvk::vk::Escape,
         {{'H', true}, {'H', false}, {tvk::vk::Escape, true}, {tvk::vk::Escape, false}}},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const std::string file = dir.filePath("rec.tvk").toStdString();
        auto backend = std::make_shared<tvk::SimulatedBackend>();
        backend->scheduleKey(20, 'H', true);
        backend->scheduleKey(30, 'H', false);
        backend->scheduleKey(101, c.ending, true);
        backend->scheduleKey(150, c.ending, false);
        // Whatever the case, the recording ends: the simulated clock runs only while it polls.
        backend->scheduleAction(5000, [] { std::raise(SIGTERM); });
        std::FILE* err = std::tmpfile();
        const int status = tvk::runConsoleCommand(
            words("record " + file + c.options), [&](std::string&) { return backend; }, c.stopKey, stdout, err);
        std::fclose(err);
        EXPECT_EQ(status, tvk::exitcode::Done) << c.name;
        EXPECT_LT(backend->monotonicNow(), std::chrono::milliseconds(400)) << c.name;
        tvk::clsEvents events;
        events.LoadFile(file);
        std::vector<std::pair<int32_t, bool>> keys;
        for (int32_t i = 0; i < events.EventCount; ++i)
            if (events.EventType(i) == tvk::KeyBoard)
                keys.emplace_back(events.EventData(i), events.EventPressed(i) != 0);
        EXPECT_EQ(keys, c.keys) << c.name;
    }
}

// ---- On a real X server ----

const QString appBinary = QStringLiteral(TVK_APP_BINARY);
const QString logBinary = QStringLiteral(TVK_XLOG_BINARY);

using tvk::test::pause;
using tvk::test::readLines;
using tvk::test::xdo;

// One connection for the whole test: opening one per question can be refused while the server
// still tears down the last.
Display* testDisplay() {
    static Display* const dpy = XOpenDisplay(nullptr);
    return dpy;
}

bool anyKeyOrButtonDown() {
    Display* dpy = testDisplay();
    if (!dpy) {
        ADD_FAILURE() << "cannot open the display";
        return true;
    }
    char keys[32];
    XQueryKeymap(dpy, keys);
    bool down = false;
    for (char k : keys)
        down = down || k != 0;
    Window root, child;
    int rx, ry, wx, wy;
    unsigned mask = 0;
    XQueryPointer(dpy, DefaultRootWindow(dpy), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return down || (mask & (Button1Mask | Button2Mask | Button3Mask)) != 0;
}

class ConsoleOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            if (!qEnvironmentVariableIsEmpty("TVK_REQUIRE_X")) FAIL() << "TVK_REQUIRE_X is set but DISPLAY is not";
            GTEST_SKIP() << "no X display";
        }
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        for (QProcess* p : {&program, &logger})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }
    void start(const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.remove("QT_QPA_PLATFORM"); // the console commands need no window platform at all
        program.setProcessEnvironment(env);
        program.start(appBinary, args);
        ASSERT_TRUE(program.waitForStarted());
    }
    int finish(int ms = 30000) {
        EXPECT_TRUE(program.waitForFinished(ms));
        errors = QString::fromUtf8(program.readAllStandardError());
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }
    void startLogger(const QString& log) { ASSERT_TRUE(tvk::test::startLogger(logger, logBinary, log)); }

    QTemporaryDir dir;
    QProcess program;
    QProcess logger;
    QString errors;
};

TEST_F(ConsoleOnX, RecordsTypedTextAndReplaysItIntoAnotherWindow) {
    const QString file = dir.filePath("typed.tvk");
    start({"record", file, "--duration", "4"});
    pause(1200);
    xdo({"type", "--delay", "120", "hello"});
    EXPECT_EQ(finish(), 0) << errors.toStdString();
    EXPECT_TRUE(errors.contains("Recorded")) << errors.toStdString();

    tvk::clsEvents events;
    events.LoadFile(file.toStdString());
    std::vector<int> pressed;
    for (int32_t i = 0; i < events.EventCount; ++i)
        if (events.EventType(i) == 3 && events.EventPressed(i) != 0) pressed.push_back(events.EventData(i));
    EXPECT_EQ(pressed, (std::vector<int>{'H', 'E', 'L', 'L', 'O'}));

    const QString log = dir.filePath("replayed.log");
    ASSERT_NO_FATAL_FAILURE(startLogger(log));
    xdo({"mousemove", "--sync", "700", "150"});
    xdo({"click", "1"}); // the logging window takes the focus
    pause(300);
    start({"replay", file, "--no-filter"});
    EXPECT_EQ(finish(), 0) << errors.toStdString();
    pause(300);
    QStringList keys;
    for (const QString& line : readLines(log))
        if (line.startsWith("key down ")) keys << line.section(QLatin1Char(' '), 2, 2);
    EXPECT_EQ(keys.join(' ').toStdString(), "h e l l o") << readLines(log).join('\n').toStdString();
    EXPECT_FALSE(anyKeyOrButtonDown());
}

TEST_F(ConsoleOnX, SignalDuringALongWaitEndsTheReplayWithNothingHeld) {
    // Shift and the left button go down, then the list waits a minute.
    tvk::clsEvents events;
    events.AddEvent(3, true, 0, 0, 16);
    events.AddEvent(1, true, 640, 500, 1);
    events.AddEvent(0, false, 0, 0, 60000);
    events.AddEvent(3, false, 0, 0, 16);
    const QString file = dir.filePath("wait.tvk");
    events.SaveFile(file.toStdString());

    for (int signal : {SIGTERM, SIGINT}) {
        start({"replay", file});
        QElapsedTimer t;
        t.start();
        while (!anyKeyOrButtonDown() && t.elapsed() < 10000)
            pause(20);
        ASSERT_TRUE(anyKeyOrButtonDown()) << "the replay never pressed Shift";
        pause(300);
        ::kill(static_cast<pid_t>(program.processId()), signal);
        EXPECT_EQ(finish(5000), 130) << errors.toStdString();
        // The releases left with the program's connection; the server may read them a moment later.
        t.restart();
        while (anyKeyOrButtonDown() && t.elapsed() < 2000)
            pause(20);
        EXPECT_FALSE(anyKeyOrButtonDown()) << "signal " << signal;
    }
}

TEST_F(ConsoleOnX, TheUsersEscapeStopsAReplayThatInjectsEscapeItself) {
    // The list presses Escape itself, then holds Shift through a long wait.
    tvk::clsEvents events;
    events.AddEvent(3, true, 0, 0, 27);
    events.AddEvent(3, false, 0, 0, 27);
    events.AddEvent(3, true, 0, 0, 16);
    events.AddEvent(0, false, 0, 0, 60000);
    events.AddEvent(3, false, 0, 0, 16);
    const QString file = dir.filePath("escape.tvk");
    events.SaveFile(file.toStdString());

    start({"replay", file});
    QElapsedTimer t;
    t.start();
    while (!anyKeyOrButtonDown() && t.elapsed() < 10000)
        pause(20);
    pause(300);
    EXPECT_EQ(program.state(), QProcess::Running) << "the replay's own Escape stopped it";
    xdo({"key", "Escape"});
    EXPECT_EQ(finish(5000), 0) << errors.toStdString();
    EXPECT_TRUE(errors.contains("stopped by the user")) << errors.toStdString();
    t.restart();
    while (anyKeyOrButtonDown() && t.elapsed() < 2000)
        pause(20);
    EXPECT_FALSE(anyKeyOrButtonDown());
}

TEST_F(ConsoleOnX, ErrorsNameTheFileAndTheScriptPosition) {
    start({"replay", dir.filePath("missing.tvk")});
    EXPECT_EQ(finish(), 1);
    EXPECT_TRUE(errors.contains("missing.tvk: error 53")) << errors.toStdString();

    tvk::clsEvents events;
    events.AddEvent(0, false, 0, 0, 10);
    const QString file = dir.filePath("one.tvk");
    events.SaveFile(file.toStdString());
    const QString script = dir.filePath("broken.vbs");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Function ElementInvoked(Index)\n  ElementInvoked = (1 +\nEnd Function\n");
    f.close();
    start({"replay", file, "--filter", script});
    EXPECT_EQ(finish(), 1);
    EXPECT_TRUE(errors.contains(QRegularExpression("broken\\.vbs:2:\\d+: error 10\\d\\d"))) << errors.toStdString();

    start({"replay", file, "--passes"});
    EXPECT_EQ(finish(), 2);
    EXPECT_TRUE(errors.contains("usage: tavrimoskel record")) << errors.toStdString();
}

TEST_F(ConsoleOnX, FilterFromTheCommandLineVetoesEvents) {
    // The filter lets only Wait events run: no key reaches the desktop.
    tvk::clsEvents events;
    events.AddEvent(3, true, 0, 0, 16);
    events.AddEvent(0, false, 0, 0, 50);
    events.AddEvent(3, false, 0, 0, 16);
    const QString file = dir.filePath("keys.tvk");
    events.SaveFile(file.toStdString());
    const QString script = dir.filePath("waits.vbs");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Function ElementInvoked(Index)\n"
            "  ElementInvoked = (CurrentEvents.EventType(Index) = 0)\n"
            "  If Index = 1 Then MsgBox \"wait seen\"\n"
            "End Function\n");
    f.close();
    start({"replay", file, "--filter", script, "--passes", "2"});
    QElapsedTimer t;
    t.start();
    bool sawKey = false;
    while (program.state() != QProcess::NotRunning && t.elapsed() < 10000) {
        sawKey = sawKey || anyKeyOrButtonDown();
        pause(5);
    }
    EXPECT_EQ(finish(), 0) << errors.toStdString();
    EXPECT_FALSE(sawKey);
    EXPECT_EQ(errors.count("wait seen"), 2) << errors.toStdString();
}

} // namespace
