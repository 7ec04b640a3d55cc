#pragma once

#include <QTableView>

namespace tvk {

// The table of the main window's event list. Every row has the same height, so a cell's place
// follows from its row number: locating the current row costs the same at any list length, where
// the table itself walks every row before it after each inserted row.
class EventListView : public QTableView {
    Q_OBJECT
public:
    explicit EventListView(QWidget* parent = nullptr);

    // As QTableView's, computed directly while every row has the row header's default height.
    QRect visualRect(const QModelIndex& index) const override;
};

} // namespace tvk
