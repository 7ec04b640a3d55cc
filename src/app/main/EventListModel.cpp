#include "app/main/EventListModel.h"

#include "events/clsEvents.h"

namespace tvk {

QString eventTypeName(int32_t type) {
    switch (type) {
    case Wait:
        return QStringLiteral("Wait");
    case MouseClick:
        return QStringLiteral("MouseClick");
    case MouseMove:
        return QStringLiteral("MouseMove");
    case KeyBoard:
        return QStringLiteral("KeyBoard");
    case MouseWheel:
        return QStringLiteral("MouseWheel");
    default:
        return QString::number(type);
    }
}

EventListModel::EventListModel(KeyNamer keyNamer, QObject* parent)
    : QAbstractTableModel(parent), m_keyNamer(std::move(keyNamer)) {
    m_headers = {QStringLiteral("ID"),           QStringLiteral("Time (ms):"),  QStringLiteral("Event type:"),
                 QStringLiteral("Virtual key:"), QStringLiteral("Position X:"), QStringLiteral("Position Y:"),
                 QStringLiteral("Pressed:")};
}

int32_t EventListModel::keyNameIndex(int32_t keyValue) {
    // A key's name depends on its low 16 bits only (key and modifier flags), except for the fixed
    // names of the whole values 1 to 6; this bounds the table whatever scripts write as data.
    const int32_t key = (keyValue >= 1 && keyValue <= 6) ? -keyValue : (keyValue & 0xFFFF);
    const auto it = m_keyNameOf.constFind(key);
    if (it != m_keyNameOf.constEnd()) return *it;
    const auto index = static_cast<int32_t>(m_keyNames.size());
    m_keyNames.append(m_keyNamer ? m_keyNamer(keyValue) : QString());
    m_keyNameOf.insert(key, index);
    return index;
}

EventListModel::Row EventListModel::snapshot(const clsEvents& events, int32_t index) {
    Row r{};
    // Tick counts wrap at 32 bits, so the wrapped difference is the elapsed time across a wrap.
    r.id = static_cast<int32_t>(static_cast<uint32_t>(index) + 1u);
    r.time = static_cast<int32_t>(static_cast<uint32_t>(events.EventTime(index)) -
                                  static_cast<uint32_t>(events.EventTime(0)));
    r.type = events.EventType(index);
    const int32_t data = events.EventData(index);
    r.value = (r.type == MouseClick || r.type == KeyBoard) ? keyNameIndex(data) : data;
    r.posX = events.EventPosX(index);
    r.posY = events.EventPosY(index);
    r.pressed = events.EventPressed(index);
    return r;
}

void EventListModel::appendEvent(const clsEvents& events, int32_t index) {
    const Row r = snapshot(events, index); // may throw; the model is untouched then
    const int at = static_cast<int>(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.push_back(r);
    endInsertRows();
}

void EventListModel::removeAt(int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void EventListModel::clearRows() {
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_keyNames.clear();
    m_keyNameOf.clear();
    endResetModel();
}

void EventListModel::rebuild(const clsEvents& events) {
    std::vector<Row> rows;
    m_keyNames.clear();
    m_keyNameOf.clear();
    const int32_t count = events.EventCount;
    // Reserve only what the storage can hold: a count written by a script may exceed it.
    if (count > 0) rows.reserve(static_cast<size_t>(std::min<int64_t>(count, int64_t{events.EventCapacity()} + 1)));
    for (int32_t i = 0; i < count; ++i)
        rows.push_back(snapshot(events, i));
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void EventListModel::setHeaders(const QStringList& headers) {
    const int before = static_cast<int>(m_headers.size());
    const int after = static_cast<int>(headers.size());
    if (after < before) {
        beginRemoveColumns({}, after, before - 1);
        m_headers = headers;
        endRemoveColumns();
    } else if (after > before) {
        beginInsertColumns({}, before, after - 1);
        m_headers = headers;
        endInsertColumns();
    } else {
        m_headers = headers;
    }
    if (after > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, after - 1);
}

QString EventListModel::cellText(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return {};
    const Row& r = m_rows[static_cast<size_t>(row)];
    switch (column) {
    case 0:
        return QString::number(r.id);
    case 1:
        return QString::number(r.time);
    case 2:
        return m_typeNamer ? m_typeNamer(r.type) : eventTypeName(r.type);
    case 3:
        if (r.type == MouseClick || r.type == KeyBoard) return QStringLiteral("VK_") + m_keyNames.value(r.value);
        return QString::number(r.value);
    case 4:
        return QString::number(r.posX);
    case 5:
        return QString::number(r.posY);
    case 6:
        return r.pressed ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return {};
    }
}

size_t EventListModel::rowBytes() const {
    size_t names = 0;
    for (const auto& n : m_keyNames)
        names += sizeof(QString) + static_cast<size_t>(n.size()) * 2;
    return m_rows.capacity() * sizeof(Row) + names + static_cast<size_t>(m_keyNameOf.capacity()) * 16;
}

int EventListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int EventListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant EventListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return cellText(index.row(), index.column());
}

QVariant EventListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return m_headers.value(section);
    return {};
}

} // namespace tvk
