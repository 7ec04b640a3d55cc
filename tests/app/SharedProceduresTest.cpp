#include "AppTestSupport.h"

#include "app/CaptionFit.h"
#include "events/RuntimeError.h"
#include "recorder/simulated/SimulatedBackend.h"
#include "support/clsCommonDialog.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>

namespace tvk {
namespace {

using test::whenDialogOpens;

TEST(GetKeyName, FixedNamesModifierPrefixesAndBackendNames) {
    test::app();
    SimulatedBackend backend;
    struct Case {
        int32_t value;
        const char* name;
        int32_t keyAfter;
        int32_t flagsAfter;
    };
    const Case cases[] = {
        {1, "LBUTTON", 1, -7},
        {2, "RBUTTON", 2, -7},
        {3, "CANCEL", 3, -7},
        {4, "MBUTTON", 4, -7},
        {5, "XBUTTON1", 5, -7},
        {6, "XBUTTON2", 6, -7},
        {65, "A", 65, 0},
        {65 + 2 * 256, "Ctrl+A", 65, 2},
        {65 + 7 * 256, "Alt+Ctrl+Shift+A", 65, 7},
        {65 + 5 * 256, "Alt+Shift+A", 65, 5},
        {1 + 2 * 256, "Ctrl+", 1, 2},
        {13, "Enter", 13, 0},
        {0, "", 0, 0},
    };
    for (const auto& c : cases) {
        int32_t key = c.value;
        int32_t flags = -7; // left alone for the fixed names
        EXPECT_EQ(GetKeyName(backend, key, flags).toStdString(), c.name) << c.value;
        EXPECT_EQ(key, c.keyAfter) << c.value;
        EXPECT_EQ(flags, c.flagsAfter) << c.value;
    }
}

TEST(ScrollToItem, RowsOnThePageStayAndOthersComeIntoView) {
    test::app();
    QStandardItemModel model(500, 1);
    QTableView view;
    view.setModel(&model);
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view.resize(200, 200);
    view.show();
    QApplication::processEvents();
    const int perPage = view.viewport()->height() / view.rowHeight(0);
    ASSERT_GT(perPage, 2);

    ScrollToItem(&view, perPage, 1); // the row just below the page counts as in view
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    for (const int target : {400, 120, 499, 0}) {
        ScrollToItem(&view, target, 1);
        const QRect r = view.visualRect(model.index(target, 0));
        EXPECT_TRUE(view.viewport()->rect().contains(r)) << target;
    }
}

TEST(CommonDialogs, FileDialogsReportTheChosenPathOrNothing) {
    test::app();
    clsCommonDialogs dialogs;
    dialogs.Filter = QStringLiteral("Input-file (*.tvk)") + QChar(u'\0') + QStringLiteral("*.tvk");
    EXPECT_EQ(dialogs.nameFilters(), QStringList{"Input-file (*.tvk)"});

    QTemporaryDir dir;
    const QString path = dir.filePath("run1.tvk");
    QFile(path).open(QIODevice::WriteOnly);
    QString title, folder;
    QStringList filters;
    whenDialogOpens([&](QDialog* d) {
        auto* fd = qobject_cast<QFileDialog*>(d);
        ASSERT_NE(fd, nullptr);
        title = fd->windowTitle();
        folder = fd->directory().absolutePath();
        filters = fd->nameFilters();
        fd->selectFile(path);
        static_cast<QDialog*>(fd)->accept();
    });
    dialogs.ShowOpen(nullptr, "Open input");
    EXPECT_EQ(dialogs.File(), path);
    EXPECT_EQ(title, "Open input");
    EXPECT_EQ(filters, QStringList{"Input-file (*.tvk)"});
    EXPECT_EQ(folder, clsCommonDialogs::startFolder());

    whenDialogOpens([](QDialog* d) { d->reject(); });
    dialogs.ShowSave(nullptr, "Save input");
    EXPECT_EQ(dialogs.File(), ""); // a cancel clears what the last dialog chose
}

// The dialogs leave no state of their own in the user's configuration folder (Qt's file dialog
// would write its history to QtProject.conf there).
TEST(CommonDialogs, FileDialogsWriteNothingIntoTheConfigurationFolder) {
    test::app();
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath("run1.tvk");
    QFile(path).open(QIODevice::WriteOnly);
    {
        clsCommonDialogs dialogs;
        for (bool accept : {true, false}) {
            whenDialogOpens([accept, path](QDialog* d) {
                auto* fd = qobject_cast<QFileDialog*>(d);
                ASSERT_NE(fd, nullptr);
                fd->selectFile(path);
                if (accept)
                    d->accept();
                else
                    d->reject();
            });
            dialogs.ShowOpen(nullptr, "Open input");
            whenDialogOpens([](QDialog* d) { d->reject(); });
            dialogs.ShowSave(nullptr, "Save input");
        }
    }
    QCoreApplication::processEvents(); // dialogs deleted later write their state now
    QStringList written;
    QDirIterator it(config, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        written << it.next();
    EXPECT_TRUE(written.isEmpty()) << written.join(", ").toStdString();
}

TEST(CommonDialogs, StartFolderIsTheProgramsFolderWhenWritable) {
    test::app();
    const QString exeFolder = QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath();
    const QString expected = QFileInfo(exeFolder).isWritable() ? exeFolder : QDir::homePath();
    EXPECT_EQ(clsCommonDialogs::startFolder(), expected);
}

TEST(CommonDialogs, FilterListsWithSeveralPairsAndPatterns) {
    clsCommonDialogs dialogs;
    dialogs.Filter = QStringLiteral("Events") + QChar(u'\0') + QStringLiteral("*.tvk;*.bak") + QChar(u'\0') +
                     QStringLiteral("All files") + QChar(u'\0') + QStringLiteral("*.*") + QChar(u'\0') + QChar(u'\0');
    EXPECT_EQ(dialogs.nameFilters(), (QStringList{"Events (*.tvk *.bak)", "All files (*.*)"}));
}

TEST(CommonDialogs, AFileBufferBelowOneIsAnInvalidCall) {
    test::app();
    clsCommonDialogs dialogs;
    dialogs.MaxFile = 0;
    try {
        dialogs.ShowOpen(nullptr, "x");
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::InvalidCall);
    }
}

// A label too narrow for its text grows; what stands right of it on its row moves along, a control
// on another row stays, and the fixed-size window widens to keep its margin.
TEST(FitCaptions, LabelsGrowAndPushTheirRowAndTheWindow) {
    test::app();
    QWidget window;
    window.setFixedSize(200, 100);
    auto* label = new QLabel(QStringLiteral("A caption much longer than its label"), &window);
    label->setGeometry(8, 8, 50, 20);
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(60, 8, 100, 20);
    auto* below = new QPushButton(QStringLiteral("OK"), &window);
    below->setGeometry(120, 60, 72, 24);
    fitCaptions(&window);
    EXPECT_GE(label->width(), label->sizeHint().width());
    EXPECT_EQ(edit->x(), 60 + label->width() - 50);
    EXPECT_EQ(edit->width(), 100);
    EXPECT_EQ(below->pos(), QPoint(120, 60));
    EXPECT_EQ(window.width(), edit->geometry().right() + 1 + 8);
    EXPECT_EQ(window.minimumWidth(), window.maximumWidth()); // still fixed
    const QRect before = edit->geometry();
    fitCaptions(&window); // fitting again changes nothing
    EXPECT_EQ(edit->geometry(), before);
}

} // namespace
} // namespace tvk
