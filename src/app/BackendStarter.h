#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace tvk {

class InputBackend;

// Starts an input backend once `window` has painted for the first time, so that the program's
// window appears without waiting for the backend's connection. Calls onStarted with true, or
// with false and the reason when the backend cannot start. Deletes itself with the window.
class BackendStarter : public QObject {
public:
    using Handler = std::function<void(bool started, const std::string& whyNot)>;
    static void startAfterFirstPaint(QWidget* window, std::shared_ptr<InputBackend> backend, Handler onStarted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BackendStarter(QWidget* window, std::shared_ptr<InputBackend> backend, Handler onStarted);
    void start();

    std::shared_ptr<InputBackend> m_backend;
    Handler m_onStarted;
    bool m_scheduled = false;
};

} // namespace tvk
