#include "app/OwnWindows.h"

#include "recorder/VirtualKeys.h"

#include <QApplication>
#include <QWidget>

#include <cmath>

namespace tvk {

bool isOwnInput(int32_t vk, CursorPoint at) {
    const bool button = vk >= vk::LButton && vk <= vk::XButton2 && vk != vk::Cancel;
    if (!button) return QApplication::activeWindow() != nullptr;
    // The backend speaks device pixels; widgets are placed in device-independent ones.
    const double ratio = qApp->devicePixelRatio() > 0 ? qApp->devicePixelRatio() : 1.0;
    const QPoint point(static_cast<int>(std::floor(at.x / ratio)), static_cast<int>(std::floor(at.y / ratio)));
    const QWidget* window = QApplication::topLevelAt(point);
    return window && window->isVisible();
}

} // namespace tvk
