#include "editor/flag_label.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>

#include <mutex>

namespace sondrel {
namespace {

class FlagLabelAccessible : public QAccessibleWidget {
public:
    explicit FlagLabelAccessible(FlagLabel* label)
        : QAccessibleWidget(label, QAccessible::CheckBox) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = label()->isSet();
        state.checkStateMixed = label()->isMixed();
        state.focusable = false;
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        const QString text = QAccessibleWidget::text(kind);
        // Said first: the selected sounds differ in this flag.
        return kind == QAccessible::Description && label()->isMixed() ? "Mixed. " + text : text;
    }
    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() || action == toggleAction()) {
            label()->click();
        }
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        return actionNames().contains(action) ? QStringList{"Alt+" + label()->text()}
                                              : QStringList{};
    }

private:
    FlagLabel* label() const { return static_cast<FlagLabel*>(widget()); }
};

QAccessibleInterface* FlagLabelAccessibility(const QString& className, QObject* object) {
    auto* label = qobject_cast<FlagLabel*>(object);
    return className == QLatin1String(FlagLabel::staticMetaObject.className()) && label != nullptr
               ? new FlagLabelAccessible(label)
               : nullptr;
}

} // namespace

FlagLabel::FlagLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(FlagLabelAccessibility); });
    // The text is drawn in the colour value's colour, whatever role the parent suggests.
    setForegroundRole(QPalette::WindowText);
    applyColour();
}

void FlagLabel::setColour(ColourValue colour) {
    const bool wasSet = isSet();
    const bool wasMixed = isMixed();
    colour_ = colour;
    applyColour();
    if (wasSet != isSet() || wasMixed != isMixed()) {
        QAccessible::State changed;
        changed.checked = wasSet != isSet();
        changed.checkStateMixed = wasMixed != isMixed();
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void FlagLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (isMixed()) {
        // Not by its grey alone: a dotted frame says the sounds differ.
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
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
