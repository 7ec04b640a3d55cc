#include "app/BackendStarter.h"

#include "recorder/InputBackend.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tvk {

void BackendStarter::startAfterFirstPaint(QWidget* window, std::shared_ptr<InputBackend> backend, Handler onStarted) {
    new BackendStarter(window, std::move(backend), std::move(onStarted));
}

BackendStarter::BackendStarter(QWidget* window, std::shared_ptr<InputBackend> backend, Handler onStarted)
    : QObject(window), m_backend(std::move(backend)), m_onStarted(std::move(onStarted)) {
    window->installEventFilter(this);
    // A window that is never painted (hidden, minimised at start) still gets its backend.
    QTimer::singleShot(2000, this, [this] { start(); });
}

bool BackendStarter::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Paint && !m_scheduled) {
        m_scheduled = true;
        // After the paint has reached the screen, not inside it.
        QTimer::singleShot(0, this, [this] { start(); });
    }
    return false;
}

void BackendStarter::start() {
    if (!m_backend) return;
    const auto backend = std::move(m_backend);
    m_backend.reset();
    if (auto* window = qobject_cast<QWidget*>(parent())) window->removeEventFilter(this);
    std::string whyNot;
    const bool started = backend->start(&whyNot);
    if (m_onStarted) m_onStarted(started, whyNot);
}

} // namespace tvk
