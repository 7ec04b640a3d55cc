#include "app/main/EventListView.h"

#include <QHeaderView>

namespace tvk {

EventListView::EventListView(QWidget* parent) : QTableView(parent) {}

QRect EventListView::visualRect(const QModelIndex& index) const {
    const QHeaderView* rows = verticalHeader();
    const int height = rows->defaultSectionSize();
    // Rows moved, hidden or sized one by one, spans or a grid: the table's own answer.
    const bool uniform = rows->length() == rows->count() * height && rows->hiddenSectionCount() == 0 &&
                         !rows->sectionsMoved() && !showGrid() && rowSpan(index.row(), index.column()) == 1 &&
                         columnSpan(index.row(), index.column()) == 1;
    if (!index.isValid() || index.parent().isValid() || index.model() != model() || !uniform)
        return QTableView::visualRect(index);
    const QHeaderView* columns = horizontalHeader();
    return QRect(columns->sectionViewportPosition(index.column()), index.row() * height - rows->offset(),
                 columns->sectionSize(index.column()), height);
}

} // namespace tvk
