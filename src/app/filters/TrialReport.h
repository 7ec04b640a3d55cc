#pragma once

#include "app/filters/FilterTrial.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace tvk {

// What the Filters window shows of a trial, in the current language.
struct TrialReport {
    QString summary;   // how many events would run, or why there are no verdicts
    QStringList lines; // one per event ("3 MouseMove: skipped"), then the script's messages

    // `filteringOn` is the list's flag: with it off, the summary says a replay would not filter.
    static TrialReport make(const FilterTrial::Result& result, bool filteringOn);
    // Shows the report in a modal window owned by `owner`.
    void show(QWidget* owner) const;
};

} // namespace tvk
