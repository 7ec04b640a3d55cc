#pragma once

#include "language/FormLayer.h"

namespace tvk {

class EventListModel;

// The "ColumnHeaders" collection of the main window's list view, as translation reaches it:
// clearing removes every column, adding appends one with the column's designed width.
class ListViewHeaders : public FormItemList {
public:
    explicit ListViewHeaders(EventListModel* model) : m_model(model) {}

    int count() const override;
    std::string itemText(int position) const override;
    void clear() override;
    void add(const std::string& text) override;

private:
    EventListModel* m_model;
};

} // namespace tvk
