#pragma once

class QWidget;

namespace tvk {

// Width a control needs to show its caption whole (labels, buttons, check boxes, group boxes),
// or 0 for a control without a caption.
int captionWidth(const QWidget* control);

// Grows every control of `window` whose caption does not fit to the width it needs. Controls to the
// right of a grown one on the same row move right by as much; a container, and the window itself,
// widens so that its controls keep an 8-pixel margin. Nothing shrinks.
void fitCaptions(QWidget* window);

} // namespace tvk
