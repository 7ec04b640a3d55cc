// Filters window figures:
//   filter_check_1000_lines_ms   one check of a 1,000-line script as the editor runs it after a pause
//                                in typing (compile without running, then mark or clear the error)
//   filter_check_error_ms        the same script with a compile error on its last line
#include "app/Document.h"
#include "app/filters/CodeEditor.h"
#include "app/filters/frmFilters.h"
#include "events/clsEvents.h"
#include "recorder/simulated/SimulatedBackend.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace tvk;

namespace {

// A filter of 1,000 lines in the shapes people write: helper functions with Select Case, If
// blocks, loops, string building, and ElementInvoked calling them.
QString thousandLineScript() {
    QString s = QStringLiteral("Option Explicit\r\nDim Calls\r\n");
    int lines = 2;
    int n = 0;
    while (lines < 985) {
        s += QStringLiteral("Function Rule%1(Index)\r\n"
                            "    Dim x, y, text, i\r\n"
                            "    x = CurrentEvents.EventPosX(Index) : y = CurrentEvents.EventPosY(Index)\r\n"
                            "    Select Case CurrentEvents.EventType(Index)\r\n"
                            "        Case 0: Rule%1 = CurrentEvents.EventData(Index) < %2\r\n"
                            "        Case 2: Rule%1 = (x > %1 And y > %2) Or x = 0\r\n"
                            "        Case Else: Rule%1 = True\r\n"
                            "    End Select\r\n"
                            "    For i = 1 To 3\r\n"
                            "        text = text & \"rule %1 \" & i ' a comment\r\n"
                            "    Next\r\n"
                            "    If Len(text) > 100 Then Calls = Calls + 1 Else Calls = Calls - 1\r\n"
                            "End Function\r\n")
                 .arg(n)
                 .arg(n * 7 % 500);
        lines += 13;
        ++n;
    }
    s += QStringLiteral("Function ElementInvoked(Index)\r\n    ElementInvoked = True\r\n");
    lines += 2;
    for (int i = 0; lines < 999; ++i, ++lines)
        s += QStringLiteral("    If Not Rule%1(Index) Then ElementInvoked = False\r\n").arg(i);
    s += QStringLiteral("End Function");
    return s;
}

// Best of 20 checks, in milliseconds.
double checkMilliseconds(frmFilters& window) {
    double best = 1e9;
    for (int run = 0; run < 20; ++run) {
        QElapsedTimer timer;
        timer.start();
        window.checkScript();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto list = std::make_shared<clsEvents>();
    list->EnableProcessor = -1;
    const QString script = thousandLineScript();
    list->ElementProcessor = script.toStdString();
    auto document = std::make_shared<Document>(std::make_shared<SimulatedBackend>());
    document->replaceEvents(list);
    frmFilters window;
    window.setDocument(document);
    window.Update();
    window.show();
    if (window.editor()->blockCount() != 1000)
        std::fprintf(stderr, "script has %d lines\n", window.editor()->blockCount());

    const double clean = checkMilliseconds(window);
    if (window.codeEditor()->hasError())
        std::fprintf(stderr, "unexpected error: %s\n", window.codeEditor()->errorMessage().toUtf8().constData());
    std::printf("filter_check_1000_lines_ms: %.2f ms\n", clean);

    window.editor()->setPlainText(script.left(script.size() - 3)); // "End Funct"
    const double broken = checkMilliseconds(window);
    if (!window.codeEditor()->hasError()) std::fprintf(stderr, "the broken script passed its check\n");
    std::printf("filter_check_error_ms: %.2f ms\n", broken);
    return 0;
}
