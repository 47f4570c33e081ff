#include "editor/flag_label.h"

#include <QMouseEvent>

namespace sondrel {

FlagLabel::FlagLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    // The text is drawn in the colour value's colour, whatever role the parent suggests.
    setForegroundRole(QPalette::WindowText);
    applyColour();
}

void FlagLabel::setColour(ColourValue colour) {
    colour_ = colour;
    applyColour();
}

void FlagLabel::applyColour() {
    QPalette palette = this->palette();
    const QColor shown =
        (colour_ & kSystemColourBit)
            ? palette.color(QPalette::ButtonText)
            : QColor(colour_ & 0xFF, (colour_ >> 8) & 0xFF, (colour_ >> 16) & 0xFF);
    palette.setColor(QPalette::WindowText, shown);
    setPalette(palette);
}

void FlagLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && (colour_ & kSystemColourBit)) {
        // The system colour follows a change of the desktop's colours.
        const QColor system = palette().color(QPalette::ButtonText);
        if (palette().color(QPalette::WindowText) != system) {
            applyColour();
        }
    }
}

void FlagLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void FlagLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed_ = false;
    event->accept();
}

void FlagLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        emit clicked();
    }
}

} // namespace sondrel
