#pragma once

class QWidget;

namespace tvk {

// Window positions are designed in twips (15 to a pixel at 96 dpi) for a font 13 pixels high;
// the windows scale them to the font in use so that texts fit.
double designScale(const QWidget* window);
// Places `widget` at a design rectangle given in twips, scaled by `scale`.
void placeTwips(QWidget* widget, int left, int top, int width, int height, double scale);
// A design length in pixels, scaled.
int scaled(int pixels, double scale);

} // namespace tvk
