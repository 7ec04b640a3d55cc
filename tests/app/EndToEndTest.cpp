// The program as a person uses it, on a real X server: record typed text and clicks into another
// window, save, clear, open, replay into that window, and switch the language.
#include "XDesktop.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using tvk::test::pause;
using tvk::test::readLines;
using tvk::test::waitGone;
using tvk::test::waitWindow;
using tvk::test::xdo;

const QString appBinary = QStringLiteral(TVK_APP_BINARY);
const QString logBinary = QStringLiteral(TVK_XLOG_BINARY);

// The key and button lines of a log, positions dropped (they are compared separately).
QStringList inputOf(const QStringList& lines) {
    QStringList out;
    static const QRegularExpression at(QStringLiteral(" at .*$"));
    for (QString l : lines)
        if (l.startsWith("key ") || l.startsWith("button ")) out << l.remove(at);
    return out;
}

// The program writes a file just after its dialog has gone; wait for it.
bool waitFile(const QString& path, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!QFileInfo::exists(path) && t.elapsed() < ms)
        pause(50);
    pause(200); // let the writer finish
    return QFileInfo::exists(path);
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            if (!qEnvironmentVariableIsEmpty("TVK_REQUIRE_X")) FAIL() << "TVK_REQUIRE_X is set but DISPLAY is not";
            GTEST_SKIP() << "no X display";
        }
        ASSERT_TRUE(home.isValid());
    }
    // Starts the program (the built one unless another path is given) with a home of its own.
    void launch(const QString& binary = appBinary) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("QT_QPA_PLATFORMTHEME");
        app.setProcessEnvironment(env);
        app.setProcessChannelMode(QProcess::ForwardedChannels);
        app.start(binary, {});
        ASSERT_TRUE(app.waitForStarted());
        mainWindow = waitWindow("^Tavrimoskel$", 30000);
        ASSERT_FALSE(mainWindow.isEmpty())
            << "the main window did not appear; the program is "
            << (app.state() == QProcess::Running ? "running" : "not running") << ", exit code " << app.exitCode();
    }
    void TearDown() override {
        stopLogger();
        if (app.state() != QProcess::NotRunning) {
            app.terminate();
            if (!app.waitForFinished(10000)) app.kill();
        }
    }
    void startLogger(const QString& log) {
        stopLogger();
        ASSERT_TRUE(tvk::test::startLogger(logger, logBinary, log));
    }
    void stopLogger() {
        if (logger.state() != QProcess::NotRunning) {
            logger.terminate();
            logger.waitForFinished(5000);
        }
    }
    // Starts a fresh logging window writing `log`, then a replay with the replay window's values
    // from a cursor away from it; returns the replay window, empty when it did not open.
    QString startReplayInto(const QString& log) {
        startLogger(log);
        xdo({"mousemove", "--sync", "50", "50"});
        mainKey("ctrl+e");
        const QString replay = waitWindow("^Replay$");
        if (replay.isEmpty()) return {};
        xdo({"windowfocus", "--sync", replay});
        pause(300);
        xdo({"key", "Return"}); // Start is the default button
        return replay;
    }
    // Waits up to 30 s until a line of the log contains `text`, and a little more for what follows.
    static void waitForLog(const QString& log, const QString& text) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 30000 && !readLines(log).join('\n').contains(text))
            pause(100);
        pause(1500);
    }
    // Focuses the main window and presses a shortcut there.
    void mainKey(const QString& keys) {
        xdo({"windowfocus", "--sync", mainWindow});
        pause(200);
        xdo({"key", keys});
    }
    // Types a path into the file dialog titled `title` and confirms it.
    void chooseInDialog(const QString& title, const QString& path) {
        const QString dialog = waitWindow("^" + title + "$");
        ASSERT_FALSE(dialog.isEmpty()) << title.toStdString();
        xdo({"windowfocus", "--sync", dialog});
        pause(300);
        xdo({"key", "ctrl+a"});
        xdo({"type", "--delay", "20", path});
        pause(200);
        xdo({"key", "Return"});
        ASSERT_TRUE(waitGone("^" + title + "$")) << title.toStdString();
    }

    QTemporaryDir home;
    QProcess app;
    QProcess logger;
    QString mainWindow;
};

TEST_F(EndToEnd, RecordSaveClearOpenReplayAndSwitchLanguage) {
    const QString logRecorded = home.filePath("recorded.log");
    const QString logReplayed = home.filePath("replayed.log");
    const QString saved = home.filePath("session.tvk");
    const QString empty = home.filePath("empty.tvk");
    ASSERT_NO_FATAL_FAILURE(launch());

    startLogger(logRecorded);
    xdo({"mousemove", "--sync", "100", "400"});

    // Record: click into the logging window, type, click with the other button.
    mainKey("ctrl+r");
    pause(1500); // the recording loop is running well before the first input
    xdo({"mousemove", "--sync", "700", "150"});
    pause(150);
    xdo({"click", "1"});
    pause(200);
    xdo({"type", "--delay", "150", "hello"});
    pause(200);
    xdo({"mousemove", "--sync", "760", "220"});
    pause(150);
    xdo({"click", "3"});
    pause(400);
    mainKey("ctrl+r");
    pause(1000);

    // Save through the dialog, clear, save the empty list, open the first file again.
    mainKey("ctrl+s");
    chooseInDialog("Save input", home.filePath("session")); // the extension is added
    ASSERT_TRUE(waitFile(saved));
    EXPECT_GT(QFileInfo(saved).size(), 18);
    mainKey("ctrl+c");
    pause(300);
    mainKey("ctrl+s");
    chooseInDialog("Save input", empty);
    ASSERT_TRUE(waitFile(empty));
    EXPECT_EQ(QFileInfo(empty).size(), 18); // the cleared list holds no events
    mainKey("ctrl+o");
    chooseInDialog("Open input", saved);
    pause(300);

    // Replay into a fresh logging window; wait until it has seen the last button of the recording.
    const QString replay = startReplayInto(logReplayed);
    ASSERT_FALSE(replay.isEmpty());
    waitForLog(logReplayed, "button up 3");

    const QStringList recorded = inputOf(readLines(logRecorded));
    const QStringList replayed = inputOf(readLines(logReplayed));
    auto typed = [](const QStringList& lines) {
        QStringList out;
        for (const QString& l : lines)
            if (QRegularExpression("^(key (down|up) [a-z]|button)").match(l).hasMatch()) out << l;
        return out;
    };
    EXPECT_TRUE(recorded.contains("key down h")) << recorded.join(", ").toStdString();
    EXPECT_EQ(typed(replayed), typed(recorded))
        << "recorded: " << recorded.join(", ").toStdString() << "\nreplayed: " << replayed.join(", ").toStdString();
    const QString where = xdo({"getmouselocation", "--shell"});
    EXPECT_TRUE(where.contains("X=760") && where.contains("Y=220")) << where.toStdString();

    // Close the replay window, then choose Deutsch in the settings window.
    xdo({"windowfocus", "--sync", replay});
    xdo({"key", "Escape"});
    ASSERT_TRUE(waitGone("^Replay$"));
    mainKey("ctrl+t");
    const QString settings = waitWindow("^Settings$");
    ASSERT_FALSE(settings.isEmpty());
    xdo({"windowfocus", "--sync", settings});
    pause(300);
    xdo({"key", "alt+s"}); // the language list
    xdo({"key", "Home"});  // Deutsch comes first
    pause(100);
    xdo({"key", "Return"});
    ASSERT_TRUE(waitGone("^Settings$"));
    mainKey("ctrl+t");
    EXPECT_FALSE(waitWindow("^Einstellungen$").isEmpty()) << "the settings window was not translated";

    // Exit from the menu's shortcut ends the program cleanly (sanitizers report at exit).
    mainKey("ctrl+q");
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}

// For each way of stopping a recording: record a click and "hello" into a window, stop, replay
// into a fresh window: it receives exactly the click and "hello", none of the stop's keys.
TEST_F(EndToEnd, RecordingsHoldNoneOfTheGestureThatStoppedThem) {
    QDir().mkpath(home.filePath("config/Tavrimoskel"));
    QFile ini(home.filePath("config/Tavrimoskel/Tavrimoskel.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Hotkeys]\nEnabled=1\nRecord=Ctrl+F9\n");
    ini.close();
    ASSERT_NO_FATAL_FAILURE(launch());
    const QStringList expected{"button down 1", "button up 1", "key down h", "key up h", "key down e", "key up e",
                               "key down l",    "key up l",    "key down l", "key up l", "key down o", "key up o"};
    struct Stop {
        const char* name;
        std::function<void()> start, stop;
    };
    const std::vector<Stop> stops{
        {"Ctrl+R in the main window", [&] { mainKey("ctrl+r"); }, [&] { mainKey("ctrl+r"); }},
        {"the global hotkey",
         [&] {
             xdo({"key", "ctrl+F9"});
         },
         [&] {
             xdo({"key", "ctrl+F9"});
         }},
    };
    int round = 0;
    for (const auto& stop : stops) {
        SCOPED_TRACE(stop.name);
        const QString recordedLog = home.filePath(QStringLiteral("recorded%1.log").arg(round));
        const QString replayedLog = home.filePath(QStringLiteral("replayed%1.log").arg(round++));
        mainKey("ctrl+c");
        // The last round's recording was never saved: Clear asks first (a box titled like the main
        // window), and the recording is discarded.
        QString question;
        for (int i = 0; i < 20 && question.isEmpty(); ++i) {
            for (const QString& id : xdo({"search", "--onlyvisible", "--name", "^Tavrimoskel$"}).split('\n'))
                if (!id.isEmpty() && id != mainWindow) question = id;
            if (question.isEmpty()) pause(100);
        }
        if (!question.isEmpty()) {
            xdo({"windowfocus", "--sync", question});
            pause(200);
            xdo({"key", "alt+d"});
            pause(300);
        }
        startLogger(recordedLog);
        xdo({"mousemove", "--sync", "100", "400"});
        stop.start();
        pause(1500);
        xdo({"mousemove", "--sync", "700", "150"});
        pause(150);
        xdo({"click", "1"});
        pause(200);
        // One key at a time: a loaded machine may poll late, and the order of keys changed within
        // one poll is not what this test is about.
        for (const char* key : {"h", "e", "l", "l", "o"}) {
            xdo({"key", key});
            pause(250);
        }
        stop.stop();
        pause(1000);

        const QString replay = startReplayInto(replayedLog);
        ASSERT_FALSE(replay.isEmpty());
        waitForLog(replayedLog, "key up o");
        EXPECT_EQ(inputOf(readLines(replayedLog)), expected)
            << "recorded: " << inputOf(readLines(recordedLog)).join(", ").toStdString();
        xdo({"windowfocus", "--sync", replay});
        xdo({"key", "Escape"});
        ASSERT_TRUE(waitGone("^Replay$"));
    }
}

} // namespace

namespace {

// Installed, the program is reached through a link in bin/ and finds its languages beside its
// real file; the stored language choice is applied at start.
TEST_F(EndToEnd, InstalledProgramFindsItsLanguagesThroughTheLink) {
    const QString prefix = home.filePath("prefix");
    QProcess install;
    install.setProcessChannelMode(QProcess::ForwardedChannels);
    install.start("cmake", {"--install", TVK_BUILD_DIR, "--prefix", prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0);
    const QFileInfo link(prefix + "/bin/tavrimoskel");
    ASSERT_TRUE(link.isSymLink());
    ASSERT_TRUE(QFileInfo::exists(QFileInfo(link.canonicalFilePath()).path() + "/Languages/Deutsch.xml"));
    EXPECT_TRUE(QFileInfo::exists(prefix + "/share/applications/tavrimoskel.desktop"));

    QDir().mkpath(home.filePath("config/Tavrimoskel"));
    QFile ini(home.filePath("config/Tavrimoskel/Tavrimoskel.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[General]\nLanguage=Deutsch\n");
    ini.close();

    ASSERT_NO_FATAL_FAILURE(launch(link.filePath()));
    mainKey("ctrl+t");
    EXPECT_FALSE(waitWindow("^Einstellungen$").isEmpty()) << "the German texts were not found";
}

} // namespace
