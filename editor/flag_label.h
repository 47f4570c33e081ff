// A flag label: a caption whose text colour is a colour value (red in the lowest byte, or a
// system colour), and which emits clicked() like a button. A screen reader sees it as a check
// box, checked while it is red and partly checked ("mixed") while grey, whose press (or
// toggle) action is a click.
#pragma once

#include "logic/flags.h"

#include <QLabel>

namespace sondrel {

class FlagLabel : public QLabel {
    Q_OBJECT

public:
    FlagLabel(const QString& caption, QWidget* parent);

    ColourValue colour() const { return colour_; }
    void setColour(ColourValue colour);
    // Set: red, as Update reads it.
    bool isSet() const { return colour_ == kRed; }
    // Set in some of the selected sounds and clear in others: grey, in a dotted frame.
    bool isMixed() const { return colour_ == kMixed; }
    // What a click does, for the keyboard and assistive technology.
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The second press of a double-click is not a click.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColour();

    ColourValue colour_ = kButtonTextColour;
    bool pressed_ = false;
};

} // namespace sondrel
