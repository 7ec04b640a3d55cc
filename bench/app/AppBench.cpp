// Application figures:
//   startup_vs_bare_qt   time from process start to the main window painted, divided by the same time for a
//                        bare Qt main window started the same way in this run (median of interleaved runs)
//   rebuild_1m_rows_ms   opening a 1,000,000-event file and rebuilding the main window's rows
//   bytes_per_row        heap the rows add per event (model snapshots and the view's own per-row data)
//   append_row_us        cost of one row added while recording (event, row, selection, status bar)
//   append_200k_vs_10k   that cost over 200,000 rows divided by the cost over 10,000 (1.0: no growth)
// The program runs itself as the child for the start-up figures ("--child bare" / "--child full").
#include "app/BackendStarter.h"
#include "app/main/EventListModel.h"
#include "app/main/frmMain.h"
#include "app/modMain.h"
#include "events/clsEvents.h"
#include "recorder/simulated/SimulatedBackend.h"
#include "recorder/x11/X11Backend.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <vector>

using namespace tvk;

namespace {

// Reports the first paint of `window` on stdout and ends the program.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            std::printf("shown\n");
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    bool m_done = false;
};

int child(int argc, char** argv, bool full) {
    QApplication app(argc, argv);
    FirstPaint paint;
    QMainWindow* window = nullptr;
    if (full) {
        // What the program's main does: the language, the input backend, the main window.
        const QByteArray source = qgetenv("TVK_SOURCE_DIR");
        if (!source.isEmpty()) setLanguagesFolderOverride(QString::fromLocal8Bit(source) + "/languages");
        loadLanguageReporting(nullptr);
        auto backend = makeX11Backend();
        window = new frmMain(backend);
        BackendStarter::startAfterFirstPaint(window, backend, [](bool started, const std::string&) {
            if (!started) QCoreApplication::exit(1);
        });
    } else {
        window = new QMainWindow();
        window->setObjectName("frmMain");
        window->setWindowTitle("Tavrimoskel");
        window->resize(484, 339);
    }
    window->installEventFilter(&paint);
    window->show();
    const int rc = QApplication::exec();
    delete window;
    return rc;
}

// Milliseconds from starting `program --child mode` until it reports its window painted.
double startupMs(const QString& program, const char* mode) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, {"--child", mode});
    if (!p.waitForStarted(10000)) return -1;
    while (!p.canReadLine()) {
        if (!p.waitForReadyRead(20000)) return -1;
    }
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    p.waitForFinished(20000);
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return child(argc, argv, std::strcmp(argv[2], "full") == 0);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "bench_app needs an X display\n");
        return 1;
    }
    QApplication app(argc, argv);

    // Start-up, interleaved so that both see the same machine.
    std::vector<double> bare, full;
    const QString self = QCoreApplication::applicationFilePath();
    startupMs(self, "full"); // warm the file cache for both
    startupMs(self, "bare");
    for (int i = 0; i < 7; ++i) {
        bare.push_back(startupMs(self, "bare"));
        full.push_back(startupMs(self, "full"));
    }
    if (*std::min_element(bare.begin(), bare.end()) <= 0 || *std::min_element(full.begin(), full.end()) <= 0) {
        std::fprintf(stderr, "a child did not show its window\n");
        return 1;
    }
    std::fprintf(stderr, "start-up medians: program %.1f ms, bare Qt %.1f ms\n", median(full), median(bare));
    std::printf("startup_vs_bare_qt: %.2f x\n", median(full) / median(bare));

    // A 1,000,000-event file, opened into the main window's list and shown as rows.
    QTemporaryDir dir;
    const std::string file = dir.filePath("million.tvk").toStdString();
    {
        clsEvents list([] { return 1000; });
        for (int i = 0; i < 1000000; ++i)
            list.AddEvent(i % 4, i % 2 == 0, i % 1280, i % 1024, 65 + i % 26);
        list.SaveFile(file);
    }
    auto* window = new frmMain(std::make_shared<SimulatedBackend>());
    window->show();
    QApplication::processEvents();
    std::vector<double> rebuild;
    size_t rowBytes = 0;
    for (int i = 0; i < 3; ++i) {
        window->mnuClear_Click();
        QApplication::processEvents();
        malloc_trim(0);
        QElapsedTimer t;
        t.start();
        window->Events->LoadFile(file);
        const size_t before = heapInUse();
        window->UpdateListView();
        QApplication::processEvents(); // the rows are painted
        rebuild.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        rowBytes = heapInUse() - before;
    }
    std::printf("rebuild_1m_rows_ms: %.0f ms\n", *std::min_element(rebuild.begin(), rebuild.end()));
    std::printf("bytes_per_row: %.1f B\n", static_cast<double>(rowBytes) / 1e6);

    // Rows added one at a time, as a recording adds them: the cost per row must not grow with the list.
    auto appendCost = [&](int rows) {
        window->mnuClear_Click();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < rows; ++i)
            window->Events->AddEvent(i % 4, i % 2 == 0, i, i, 65);
        QApplication::processEvents();
        return static_cast<double>(t.nsecsElapsed()) / 1e3 / rows;
    };
    const double small = appendCost(10000);
    const double large = appendCost(200000);
    std::printf("append_row_us: %.2f us\n", large);
    std::printf("append_200k_vs_10k: %.2f x\n", large / small);
    delete window;
    return 0;
}
