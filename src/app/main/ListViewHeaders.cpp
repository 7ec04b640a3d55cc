#include "app/main/ListViewHeaders.h"

#include "app/main/EventListModel.h"
#include "events/RuntimeError.h"

namespace tvk {

int ListViewHeaders::count() const {
    return static_cast<int>(m_model->headers().size());
}

std::string ListViewHeaders::itemText(int position) const {
    const QStringList headers = m_model->headers();
    if (position < 0 || position >= headers.size()) throw RuntimeError(err::InvalidPropertyArrayIndex);
    return headers[position].toStdString();
}

void ListViewHeaders::clear() {
    m_model->setHeaders({});
}

void ListViewHeaders::add(const std::string& text) {
    QStringList headers = m_model->headers();
    headers << QString::fromStdString(text);
    m_model->setHeaders(headers);
}

} // namespace tvk
