#include "app/filters/TrialReport.h"

#include "app/Messages.h"

#include <QDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvk {

namespace {

QString typeName(int32_t type) {
    static const char* const names[] = {"Wait", "MouseClick", "MouseMove", "KeyBoard"};
    return type >= 0 && type < 4 ? QString::fromLatin1(names[type]) : QString::number(type);
}

} // namespace

TrialReport TrialReport::make(const FilterTrial::Result& result, bool filteringOn) {
    TrialReport report;
    QStringList notes;
    if (!filteringOn) notes << message("FilterTryOff");
    if (result.errorNumber) {
        notes << message("FilterErrorAt")
                     .arg(result.line)
                     .arg(result.column)
                     .arg(result.errorNumber)
                     .arg(QString::fromStdString(result.errorDescription));
    } else if (!result.hasFunction) {
        notes << message("FilterTryNoFunction");
    } else {
        int runs = 0;
        for (const auto& v : result.verdicts) {
            QString verdict = v.error
                                  ? message("FilterTryFailed").arg(v.error).arg(QString::fromStdString(v.description))
                              : v.runs ? message("FilterTryRuns")
                                       : message("FilterTrySkipped");
            report.lines << QStringLiteral("%1 %2: %3").arg(v.index).arg(typeName(v.type), verdict);
            runs += v.runs ? 1 : 0;
        }
        const int count = static_cast<int>(result.verdicts.size());
        notes << message("FilterTrySummary").arg(runs).arg(count).arg(count - runs);
        if (result.stopped) notes << message("FilterTryStopped").arg(count);
    }
    for (const auto& m : result.messages)
        report.lines << message("FilterTryMessage").arg(QString::fromStdString(m));
    report.summary = notes.join(QLatin1Char('\n'));
    return report;
}

void TrialReport::show(QWidget* owner) const {
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("frmTrial"));
    dialog.setWindowTitle(message("FilterTryTitle").remove(QLatin1Char('&')));
    auto* layout = new QVBoxLayout(&dialog);
    auto* summaryLabel = new QLabel(summary, &dialog);
    summaryLabel->setWordWrap(true);
    layout->addWidget(summaryLabel);
    if (!lines.isEmpty()) {
        auto* list = new QPlainTextEdit(&dialog);
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        list->setPlainText(lines.join(QLatin1Char('\n')));
        layout->addWidget(list);
    }
    auto* close = new QPushButton(message("FilterTryClose"), &dialog);
    close->setDefault(true);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(close);
    layout->addLayout(row);
    dialog.resize(420, lines.isEmpty() ? 120 : 360);
    dialog.exec();
}

} // namespace tvk
