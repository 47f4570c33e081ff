#include "editor/sound_list_box.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <utility>

namespace sondrel {

SoundListBox::SoundListBox(const OpenTable& open, QWidget* parent)
    : QTableView(parent), model_(new SoundListModel(open, this)) {
    setModel(model_);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false); // Tab goes on to the fields, as from a list
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2); // a list box's rows
    QHeaderView* headings = horizontalHeader();
    headings->setHighlightSections(false);
    headings->setSectionsMovable(true);
    headings->setFirstSectionMovable(false);
    headings->setSectionsClickable(true);
    headings->setSortIndicatorShown(true);
    headings->setSortIndicator(-1, Qt::AscendingOrder);
    headings->setStretchLastSection(true);
    headings->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Each value column as wide as its heading or three digits, Flags as its five letters.
    const QFontMetrics metrics(font());
    for (int section = 1; section < static_cast<int>(SoundColumn::Slots); ++section) {
        const QString widest = section == static_cast<int>(SoundColumn::Flags) ? "PVRLN" : "0000";
        headings->resizeSection(section, std::max(metrics.horizontalAdvance(
                                                      HeadingOf(static_cast<SoundColumn>(section))),
                                                  metrics.horizontalAdvance(widest)) +
                                             3 * metrics.averageCharWidth());
    }
    // How loud it is heard, beside the volume.
    const int loudness = static_cast<int>(SoundColumn::Loudness);
    headings->resizeSection(loudness, metrics.horizontalAdvance(LoudnessText(-100.0)) +
                                          3 * metrics.averageCharWidth());
    headings->moveSection(loudness, static_cast<int>(SoundColumn::Volume) + 1);
    connect(headings, &QHeaderView::sectionClicked, this, &SoundListBox::headingClicked);
}

void SoundListBox::setEntries() {
    hiddenPicked_.clear();
    model_->setEntries();
    // No entry is current: the first key the designer presses in the list selects one, rather
    // than the focus making the first entry current unselected. Nothing picked, the list
    // shows its top.
    setCurrentIndex({});
    scrollToTop();
}

std::vector<int> SoundListBox::selectedPositions() const {
    std::vector<int> positions = hiddenPicked_;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        positions.push_back(model_->positionAt(index.row()));
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

void SoundListBox::selectPositions(const std::vector<int>& positions) {
    hiddenPicked_.clear();
    QItemSelection selection;
    for (const int position : positions) {
        const int row = model_->rowOf(position);
        if (row < 0) {
            hiddenPicked_.push_back(position);
        } else {
            selection.select(model_->index(row, 0), model_->index(row, kSoundColumns - 1));
        }
    }
    const auto current = std::find_if(positions.begin(), positions.end(), [this](int position) {
        return model_->rowOf(position) >= 0;
    });
    selectionModel()->setCurrentIndex(
        current == positions.end() ? QModelIndex() : model_->index(model_->rowOf(*current), 0),
        QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void SoundListBox::setFilter(const QString& text) {
    // Names are 8-bit text: a character beyond it is in none of them ("\n" matches none).
    const QByteArray needle = text.toLatin1();
    const bool encodable = QString::fromLatin1(needle) == text;
    const std::vector<int> picked = selectedPositions();
    model_->setFilter(encodable ? needle.toStdString() : std::string("\n"));
    selectPositions(picked);
}

void SoundListBox::selectAll() {
    hiddenPicked_.clear();
    QTableView::selectAll();
}

void SoundListBox::headingClicked(int section) {
    // A click sorts up, the next one down, the third puts the table's order back.
    const auto column = static_cast<SoundColumn>(section);
    if (model_->sortColumn() != column) {
        sortBy(column, false);
    } else if (!model_->descending()) {
        sortBy(column, true);
    } else {
        sortBy(std::nullopt, false);
    }
}

void SoundListBox::sortBy(std::optional<SoundColumn> column, bool descending) {
    model_->sortBy(column, descending);
    horizontalHeader()->setSortIndicator(column ? static_cast<int>(*column) : -1,
                                         descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    if (currentIndex().isValid()) {
        scrollTo(currentIndex());
    }
}

void SoundListBox::stay() {
    if (handling_ == 0) {
        settle();
        return;
    }
    staying_ = true;
    ignoreUntilRelease_ = pressing_;
}

template <class Handler> void SoundListBox::handle(Handler handler) {
    ++handling_;
    handler();
    if (--handling_ == 0 && std::exchange(staying_, false)) {
        settle();
    }
}

void SoundListBox::keyPressEvent(QKeyEvent* event) {
    // With no listed sound picked (none yet, or the picked ones hidden by the filter), the
    // first key that moves picks the first one listed: the view would move on from the row
    // it made current unpicked, or, already there, pick nothing.
    static constexpr int kMoves[] = {Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Home,
                                     Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
    const bool moves =
        std::find(std::begin(kMoves), std::end(kMoves), event->key()) != std::end(kMoves);
    if (moves && event->modifiers() == Qt::NoModifier && model_->rowCount() > 0 &&
        selectionModel()->selectedRows().isEmpty()) {
        handle([&] {
            hiddenPicked_.clear();
            selectionModel()->setCurrentIndex(model_->index(0, 0),
                                              QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
            scrollTo(currentIndex());
        });
        event->accept();
        return;
    }
    handle([&] { QTableView::keyPressEvent(event); });
}

void SoundListBox::mousePressEvent(QMouseEvent* event) {
    ignoreUntilRelease_ = false; // a release the question took is not waited for
    pressing_ = true;
    handle([&] { QTableView::mousePressEvent(event); });
    pressing_ = false;
}

void SoundListBox::mouseMoveEvent(QMouseEvent* event) {
    if (!ignoreUntilRelease_) {
        handle([&] { QTableView::mouseMoveEvent(event); });
    }
}

void SoundListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (std::exchange(ignoreUntilRelease_, false)) {
        return;
    }
    handle([&] { QTableView::mouseReleaseEvent(event); });
}

QModelIndex SoundListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Home and End go to the first and the last sound, as in a list; left and right scroll.
    const int column = std::max(currentIndex().column(), 0);
    switch (action) {
    case MoveHome:
        return model_->index(0, column);
    case MoveEnd:
        return model_->index(model_->rowCount() - 1, column);
    case MoveLeft:
    case MoveRight:
        horizontalScrollBar()->triggerAction(action == MoveLeft
                                                 ? QAbstractSlider::SliderSingleStepSub
                                                 : QAbstractSlider::SliderSingleStepAdd);
        return currentIndex();
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

void SoundListBox::setLaidOutWidth(int width) {
    laidOutWidth_ = width;
}

bool SoundListBox::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) {
        // The names fill the list at its laid-out width; what it has beyond shows the values.
        const int beyond = std::max(0, width() - laidOutWidth_);
        horizontalHeader()->resizeSection(0, std::max(viewport()->width() - beyond, 1));
    }
    return QTableView::viewportEvent(event);
}

QItemSelectionModel::SelectionFlags SoundListBox::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTableView::selectionCommand(index, event);
    if (!selectionModel()->hasSelection() && hiddenPicked_.empty()) {
        return command;
    }
    // The blank area below the entries selects nothing and clears nothing.
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    const bool clearsIt =
        command.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle) &&
        selectionModel()->isRowSelected(index.row(), index.parent()) &&
        selectionModel()->selectedRows().size() == 1 && hiddenPicked_.empty();
    if (clearsIt) {
        return QItemSelectionModel::NoUpdate;
    }
    if (command.testFlag(QItemSelectionModel::Clear)) {
        hiddenPicked_.clear(); // a new pick: the hidden ones go with the rest
    }
    return command;
}

} // namespace sondrel
