#include "app/FormGeometry.h"

#include <QFontMetrics>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tvk {

double designScale(const QWidget* window) {
    return std::max(1.0, window->fontMetrics().height() / 13.0);
}

int scaled(int pixels, double scale) {
    return static_cast<int>(std::lround(pixels * scale));
}

void placeTwips(QWidget* widget, int left, int top, int width, int height, double scale) {
    widget->setGeometry(scaled(left / 15, scale), scaled(top / 15, scale), scaled(width / 15, scale),
                        scaled(height / 15, scale));
}

} // namespace tvk
