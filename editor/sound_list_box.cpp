#include "editor/sound_list_box.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>
#include <numeric>
#include <utility>

namespace sondrel {
namespace {

bool IsNumberColumn(SoundColumn column) {
    return column != SoundColumn::Sound && column != SoundColumn::Flags &&
           column != SoundColumn::Slots;
}

} // namespace

SoundListModel::SoundListModel(const SoundTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

const SoundDetail& SoundListModel::detailOf(int position) const {
    return table_.Details[entries_[static_cast<std::size_t>(position)].detail()];
}

int SoundListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int SoundListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kSoundColumns;
}

QVariant SoundListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto column = static_cast<SoundColumn>(index.column());
    if (role == Qt::DisplayRole) {
        const int position = positionAt(index.row());
        return NameText(
            ColumnText(entries_[static_cast<std::size_t>(position)], detailOf(position), column));
    }
    if (role == Qt::TextAlignmentRole && IsNumberColumn(column)) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant SoundListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kSoundColumns) {
        return {};
    }
    const auto column = static_cast<SoundColumn>(section);
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(HeadingOf(column));
    }
    if (role == Qt::TextAlignmentRole && IsNumberColumn(column)) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

void SoundListModel::setEntries(std::vector<SoundListEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    setOrder(ordered());
    endResetModel();
}

void SoundListModel::sortBy(std::optional<SoundColumn> column, bool descending) {
    sortColumn_ = column;
    descending_ = descending;
    arrange();
}

void SoundListModel::refresh() {
    if (!entries_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kSoundColumns - 1));
    }
    arrange();
}

std::vector<int> SoundListModel::ordered() const {
    if (sortColumn_) {
        return SortedOrder(entries_, table_, *sortColumn_, descending_);
    }
    std::vector<int> order(entries_.size());
    std::iota(order.begin(), order.end(), 0);
    return order;
}

void SoundListModel::setOrder(std::vector<int> order) {
    rows_.assign(order.size(), 0);
    for (std::size_t row = 0; row < order.size(); ++row) {
        rows_[static_cast<std::size_t>(order[row])] = static_cast<int>(row);
    }
    order_ = std::move(order);
}

void SoundListModel::arrange() {
    std::vector<int> order = ordered();
    if (order == order_) {
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    const std::vector<int> positions = [&] {
        std::vector<int> at;
        for (const QModelIndex& was : before) {
            at.push_back(positionAt(was.row()));
        }
        return at;
    }();
    setOrder(std::move(order));
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        after.push_back(index(rowOf(positions[static_cast<std::size_t>(i)]), before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

SoundListBox::SoundListBox(const SoundTable& table, const SampleNames& sampleNames, QWidget* parent)
    : QTreeView(parent), model_(new SoundListModel(table, this)), table_(table),
      sampleNames_(sampleNames) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    header()->setStretchLastSection(true);
    connect(header(), &QHeaderView::sectionClicked, this, &SoundListBox::headingClicked);
}

void SoundListBox::setEntries(std::vector<SoundListEntry> entries) {
    model_->setEntries(std::move(entries));
    // No entry is current: the first key the designer presses in the list selects one, rather
    // than the focus making the first entry current unselected.
    setCurrentIndex({});
    // Each value column as wide as its heading or three digits, Flags as its five letters.
    const QFontMetrics metrics(font());
    for (int section = 1; section < kSoundColumns - 1; ++section) {
        const QString widest = section == static_cast<int>(SoundColumn::Flags) ? "PVRLN" : "0000";
        header()->resizeSection(section, std::max(metrics.horizontalAdvance(
                                                      HeadingOf(static_cast<SoundColumn>(section))),
                                                  metrics.horizontalAdvance(widest)) +
                                             3 * metrics.averageCharWidth());
    }
    applyFilter();
}

std::vector<int> SoundListBox::selectedPositions() const {
    std::vector<int> positions;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        positions.push_back(model_->positionAt(index.row()));
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

void SoundListBox::selectPositions(const std::vector<int>& positions) {
    if (positions.empty()) {
        selectionModel()->clear();
        return;
    }
    QItemSelection selection;
    for (const int position : positions) {
        const int row = model_->rowOf(position);
        selection.select(model_->index(row, 0), model_->index(row, kSoundColumns - 1));
    }
    selectionModel()->setCurrentIndex(model_->index(model_->rowOf(positions.front()), 0),
                                      QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void SoundListBox::setFilter(const QString& text) {
    filter_ = text;
    applyFilter();
}

void SoundListBox::applyFilter() {
    // Names are 8-bit text: a character beyond it is in none of them.
    const QByteArray needle = filter_.toLatin1();
    const bool encodable = QString::fromLatin1(needle) == filter_;
    for (int row = 0; row < count(); ++row) {
        const int position = model_->positionAt(row);
        const SoundListEntry& shown = entry(position);
        const bool matches =
            encodable && MatchesFilter(shown, table_.Details[shown.detail()], sampleNames_,
                                       std::string_view(needle.constData(), needle.size()));
        setRowHidden(row, {}, !matches);
    }
}

bool SoundListBox::isPositionHidden(int position) const {
    return isRowHidden(model_->rowOf(position), {});
}

void SoundListBox::headingClicked(int section) {
    // A click sorts up, the next one down, the third puts the table's order back.
    const auto column = static_cast<SoundColumn>(section);
    if (model_->sortColumn() != column) {
        model_->sortBy(column, false);
    } else if (!model_->descending()) {
        model_->sortBy(column, true);
    } else {
        model_->sortBy(std::nullopt, false);
    }
    header()->setSortIndicator(model_->sortColumn() ? section : -1,
                               model_->descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
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
    handle([&] { QTreeView::keyPressEvent(event); });
}

void SoundListBox::mousePressEvent(QMouseEvent* event) {
    ignoreUntilRelease_ = false; // a release the question took is not waited for
    pressing_ = true;
    handle([&] { QTreeView::mousePressEvent(event); });
    pressing_ = false;
}

void SoundListBox::mouseMoveEvent(QMouseEvent* event) {
    if (!ignoreUntilRelease_) {
        handle([&] { QTreeView::mouseMoveEvent(event); });
    }
}

void SoundListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (std::exchange(ignoreUntilRelease_, false)) {
        return;
    }
    handle([&] { QTreeView::mouseReleaseEvent(event); });
}

void SoundListBox::setLaidOutWidth(int width) {
    laidOutWidth_ = width;
    fitScrollBar();
}

void SoundListBox::fitScrollBar() {
    setHorizontalScrollBarPolicy(width() > laidOutWidth_ ? Qt::ScrollBarAsNeeded
                                                         : Qt::ScrollBarAlwaysOff);
}

void SoundListBox::resizeEvent(QResizeEvent* event) {
    fitScrollBar();
    QTreeView::resizeEvent(event);
}

bool SoundListBox::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) {
        // The names fill the list at its laid-out width; what it has beyond shows the values.
        const int beyond = std::max(0, width() - laidOutWidth_);
        header()->resizeSection(0, std::max(viewport()->width() - beyond, 1));
    }
    return QTreeView::viewportEvent(event);
}

QItemSelectionModel::SelectionFlags SoundListBox::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTreeView::selectionCommand(index, event);
    if (!selectionModel()->hasSelection()) {
        return command;
    }
    // The blank area below the entries selects nothing and clears nothing.
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    const bool clearsIt =
        command.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle) &&
        selectionModel()->isRowSelected(index.row(), index.parent()) &&
        selectionModel()->selectedRows().size() == 1;
    return clearsIt ? QItemSelectionModel::NoUpdate : command;
}

} // namespace sondrel
