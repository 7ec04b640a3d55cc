#include "app/CaptionFit.h"

#include "app/QtForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace tvk {

namespace {

constexpr int kMargin = 8;

bool overlapsVertically(const QRect& a, const QRect& b) {
    return a.top() <= b.bottom() && b.top() <= a.bottom();
}

// Widens `widget` by `delta`, moving the siblings that start right of it on its row along, then
// makes its parent wide enough for all of its children.
void widen(QWidget* widget, int delta) {
    const QRect before = widget->geometry();
    widget->resize(before.width() + delta, before.height());
    QWidget* parent = widget->parentWidget();
    if (!parent || widget->isWindow()) return;
    for (QObject* o : parent->children()) {
        auto* sibling = qobject_cast<QWidget*>(o);
        if (!sibling || sibling == widget || sibling->isWindow()) continue;
        const QRect g = sibling->geometry();
        if (g.left() > before.right() - kMargin / 2 && overlapsVertically(g, before))
            sibling->move(g.x() + delta, g.y());
    }
    int right = 0;
    for (QObject* o : parent->children())
        if (auto* child = qobject_cast<QWidget*>(o); child && !child->isWindow() && !child->isHidden())
            right = std::max(right, child->geometry().right() + 1);
    if (right + kMargin > parent->width()) {
        if (parent->isWindow()) {
            const bool fixed = parent->minimumWidth() == parent->maximumWidth();
            const int width = right + kMargin;
            if (fixed) parent->setFixedWidth(width);
            parent->resize(width, parent->height());
        } else {
            widen(parent, right + kMargin - parent->width());
        }
    }
}

} // namespace

int captionWidth(const QWidget* control) {
    const QFontMetrics fm = control->fontMetrics();
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->wordWrap() || label->text().isEmpty()) return 0;
        return label->sizeHint().width();
    }
    if (auto* box = qobject_cast<const QGroupBox*>(control)) {
        if (box->title().isEmpty()) return 0;
        // The title sits indented by the frame's margin on both sides.
        return fm.horizontalAdvance(stripAccessKey(box->title())) + 2 * kMargin + 2;
    }
    if (qobject_cast<const QCheckBox*>(control) || qobject_cast<const QRadioButton*>(control))
        return control->sizeHint().width();
    if (auto* button = qobject_cast<const QPushButton*>(control)) {
        if (button->text().isEmpty()) return 0;
        QStyleOptionButton option;
        option.initFrom(button);
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
        const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
        return fm.horizontalAdvance(stripAccessKey(button->text())) + margin + 2 * frame + 2;
    }
    return 0;
}

void fitCaptions(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        // Controls in a layout (the status bar's panels) are sized by it.
        if (control->isWindow() || !control->parentWidget() || control->parentWidget()->layout()) continue;
        const int needed = captionWidth(control);
        if (needed > control->width()) widen(control, needed - control->width());
    }
}

} // namespace tvk
