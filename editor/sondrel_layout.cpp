#include "editor/flag_label.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace sondrel {

void Sondrel::resizeEvent(QResizeEvent* event) {
    layOut();
    QWidget::resizeEvent(event);
}

void Sondrel::layOut() {
    // The list takes what the window has beyond its laid-out size; the controls below it keep
    // their arrangement along its bottom edge, but for the Samples box, which takes what it
    // needs of the width beyond so that no name is cut, the flags moving with it, and the
    // buttons, which stay at the list's right edge. A window enlarged by a line shows what
    // was just done on a status line below them.
    if (laidOut_.empty()) {
        return; // not yet made
    }
    const QSize extra = size() - minimumSize();
    const int line = SndStatus->sizeHint().height();
    const bool statusLine = extra.height() >= line;
    const int down = extra.height() - (statusLine ? line : 0);
    const QFontMetrics metrics(Samples->font());
    int widest = 0;
    for (int i = 0; i < Samples->count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(Samples->itemText(i)));
    }
    const QRect samples = std::find_if(laidOut_.begin(), laidOut_.end(), [this](const auto& laid) {
                              return laid.first == Samples;
                          })->second;
    // The name, and the box's frame and arrow, which are as wide as it is high.
    const int grow = std::clamp(widest + samples.height() + 8 - samples.width(), 0, extra.width());
    const std::vector<QWidget*> flags = {SndP, SndV, SndR, SndL, SndN};
    for (const auto& [control, geometry] : laidOut_) {
        QRect placed = geometry.translated(0, down);
        if (control == SndLst) {
            placed = geometry.adjusted(0, 0, extra.width(), down);
        } else if (control == Samples) {
            placed.setWidth(geometry.width() + grow);
        } else if (std::find(flags.begin(), flags.end(), control) != flags.end()) {
            placed.translate(grow, 0);
        } else if (control == Save || control == Update) {
            placed.translate(extra.width(), 0);
        }
        control->setGeometry(placed);
    }
    // Enlarged, the window shows a Play button beside Save.
    if (Play == nullptr && extra != QSize(0, 0)) {
        Play = new QPushButton("Play", this);
        Play->setObjectName("Play");
        Play->setAutoDefault(false);
        Play->setAccessibleDescription(
            "Plays the sample of the selected sound, or stops it (Ctrl+P).");
        connect(Play, &QPushButton::clicked, this, &Sondrel::playSound);
    }
    if (Play != nullptr) {
        Play->setVisible(extra != QSize(0, 0));
        Play->setGeometry(Save->geometry().translated(-Save->width() - Save->height() / 2, 0));
    }
    if (statusLine) {
        SndStatus->setGeometry(SndLst->x(), height() - line, SndLst->width(), line);
    } else {
        // Over the list's last line, above its scroll bar: the form's controls stay put.
        const QRect list = SndLst->geometry();
        const int bar = SndLst->horizontalScrollBar()->isVisible()
                            ? SndLst->horizontalScrollBar()->height()
                            : 0;
        SndStatus->setGeometry(list.left() + 2, list.bottom() - bar - line - 1, list.width() - 4,
                               line);
        SndStatus->raise();
    }
    SndStatus->setVisible(statusLine || statusShowing_->isActive());
    if (SndFilter != nullptr && SndFilter->isVisible()) {
        const QRect list = SndLst->geometry();
        const int filterLine = SndFilter->sizeHint().height();
        SndFilter->setGeometry(list.left(), list.top(), list.width(), filterLine);
        SndLst->setGeometry(list.adjusted(0, filterLine, 0, 0));
    }
}

void Sondrel::showStatus(const QString& text) {
    SndStatus->setText(text);
    SndStatus->setAccessibleDescription(text); // a label with a name shows a reader only that
    statusShowing_->start();
    layOut();
    // Heard by a screen reader too, also at the first size, where the line does not show.
    setAccessibleDescription(text);
    QAccessibleEvent changed(SndStatus, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void Sondrel::showFilter() {
    if (SndFilter == nullptr) {
        createFilter();
    }
    SndFilter->show();
    layOut();
    SndFilter->setFocus();
    SndFilter->selectAll();
}

void Sondrel::createFilter() {
    // The filter, made on first use, takes a line at the top of the list; Tab goes on from
    // it to the list.
    SndFilter = new QLineEdit(this);
    SndFilter->setObjectName("SndFilter");
    SndFilter->setAccessibleName("Find a sound");
    SndFilter->setAccessibleDescription(
        "Lists only the sounds whose name, sample names or slots contain what you type. Escape "
        "clears it.");
    SndFilter->setPlaceholderText("Find a sound: name, sample or slot");
    connect(SndFilter, &QLineEdit::textChanged, SndLst, &SoundListBox::setFilter);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), SndFilter);
    escape->setContext(Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, &Sondrel::hideFilter);
    setTabOrder(SndFilter, SndLst);
}

void Sondrel::hideFilter() {
    SndFilter->clear();
    SndFilter->hide();
    layOut();
    SndLst->setFocus();
    if (SndLst->currentIndex().isValid()) {
        SndLst->scrollTo(SndLst->currentIndex());
    }
}

} // namespace sondrel
