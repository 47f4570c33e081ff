#include "editor/sondrel.h"
#include "editor/sound_list_box.h"

#include <QLineEdit>
#include <QResizeEvent>

namespace sondrel {

void Sondrel::resizeEvent(QResizeEvent* event) {
    layOut();
    QWidget::resizeEvent(event);
}

void Sondrel::layOut() {
    // The list takes what the window has beyond its laid-out size; the controls below it keep
    // their arrangement along its bottom edge.
    const QSize extra = size() - minimumSize();
    for (const auto& [control, geometry] : laidOut_) {
        control->setGeometry(control == SndLst
                                 ? geometry.adjusted(0, 0, extra.width(), extra.height())
                                 : geometry.translated(0, extra.height()));
    }
    if (SndFilter->isVisible()) {
        const QRect list = SndLst->geometry();
        const int line = SndFilter->sizeHint().height();
        SndFilter->setGeometry(list.left(), list.top(), list.width(), line);
        SndLst->setGeometry(list.adjusted(0, line, 0, 0));
    }
}

void Sondrel::showFilter() {
    SndFilter->show();
    layOut();
    SndFilter->setFocus();
    SndFilter->selectAll();
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
