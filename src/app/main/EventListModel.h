#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace tvk {

class clsEvents;

// The rows of the main window's event list. Each row is a compact snapshot of the event's texts
// taken when the row is added (they are not updated afterwards, as the list view promises);
// texts are formatted only when a row is painted. Key names are shared through a small table.
class EventListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Turns a key value into its name (without the "VK_" prefix).
    using KeyNamer = std::function<QString(int32_t)>;

    struct Row {
        int32_t id;    // the "ID" text: event index + 1 when the row was added
        int32_t time;  // time relative to the first event, modulo 2^32
        int32_t type;  // event type code
        int32_t value; // key-name table index for clicks and keys, else the event data
        int32_t posX;
        int32_t posY;
        int16_t pressed; // non-zero shows "True"
    };

    explicit EventListModel(KeyNamer keyNamer, QObject* parent = nullptr);

    // Appends the row of event `index` of `events`.
    void appendEvent(const clsEvents& events, int32_t index);
    // Removes the row at 0-based position `row`; nothing when there is no such row.
    void removeAt(int row);
    // Removes every row.
    void clearRows();
    // Replaces all rows by one row per event of `events`, in one step.
    void rebuild(const clsEvents& events);

    // Names event types in the type column (eventTypeName without one), e.g. as translated.
    void setTypeNamer(std::function<QString(int32_t)> namer) { m_typeNamer = std::move(namer); }

    // Column headers, as translated; there are as many columns as headers.
    QStringList headers() const { return m_headers; }
    void setHeaders(const QStringList& headers);

    const Row& row(int i) const { return m_rows[static_cast<size_t>(i)]; }
    // Text of one cell as the list shows it.
    QString cellText(int row, int column) const;
    // Heap bytes held for the rows (row storage and the key-name table).
    size_t rowBytes() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Row snapshot(const clsEvents& events, int32_t index);
    int32_t keyNameIndex(int32_t keyValue);

    KeyNamer m_keyNamer;
    std::function<QString(int32_t)> m_typeNamer;
    std::vector<Row> m_rows;
    QStringList m_headers;
    QStringList m_keyNames;
    QHash<int32_t, int32_t> m_keyNameOf; // key value -> index into m_keyNames
};

// Type name of an event type code; codes without a name show as their number.
QString eventTypeName(int32_t type);

} // namespace tvk
