#pragma once

#include "app/modMain.h"
#include "language/clsLanguage.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tvk::test {

// One QApplication for the whole test program, on the offscreen platform.
inline QApplication& app() {
    static int argc = 1;
    static char name[] = "app_windows";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt's own state (dialog history, caches) stays in a folder of this test program's own.
        static QTemporaryDir state;
        QDir(state.path()).mkpath("runtime");
        QFile::setPermissions(state.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_CONFIG_HOME", state.filePath("config").toLocal8Bit());
        qputenv("XDG_CACHE_HOME", state.filePath("cache").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", state.filePath("runtime").toLocal8Bit());
        return new QApplication(argc, argv);
    }();
    return *instance;
}

// Runs `action` on the first modal dialog that opens from now on (a message box, a file dialog),
// while the code under test waits in that dialog's exec().
inline void whenDialogOpens(std::function<void(QDialog*)> action) {
    auto* timer = new QTimer(&app());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}

// Accepts the next message box, handing its text to `text` first.
inline void acceptNextMessage(QString* text) {
    whenDialogOpens([text](QDialog* d) {
        if (auto* box = qobject_cast<QMessageBox*>(d)) {
            if (text) *text = box->text();
            box->accept();
        } else {
            d->reject();
        }
    });
}

// Answers the next question box (such as "Save changes?") with `button`.
inline void answerNextQuestion(QMessageBox::StandardButton button) {
    whenDialogOpens([button](QDialog* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        if (box && box->button(button))
            box->button(button)->click();
        else
            d->reject();
    });
}

// Object names of the widgets the focus visits when Tab is pressed `count` times, starting at
// `first` (which gets the focus first, in its window made active).
inline QStringList tabOrderFrom(QWidget* first, int count) {
    first->window()->activateWindow();
    first->setFocus();
    QStringList names{first->objectName()};
    for (int i = 0; i < count; ++i) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused) break;
        QTest::keyClick(focused, Qt::Key_Tab);
        names << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
    }
    return names;
}

// A private settings file and languages folder for each test.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        ASSERT_TRUE(dir.isValid());
        useSettingsFile(dir.filePath("settings.ini"));
        setLanguagesFolderOverride(dir.filePath("Languages"));
        language().ClearDatabases();
        language().LanguageName.clear();
    }
    void TearDown() override {
        setLanguagesFolderOverride(QString());
        // Windows a test left open go before the next test starts.
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTemporaryDir dir;
};

} // namespace tvk::test
