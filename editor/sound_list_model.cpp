#include "editor/sound_list_model.h"

#include <QTimer>

#include <numeric>
#include <utility>

namespace sondrel {
namespace {

bool IsNumberColumn(SoundColumn column) {
    return column != SoundColumn::Sound && column != SoundColumn::Flags &&
           column != SoundColumn::Slots && column != SoundColumn::SampleNames;
}

} // namespace

QString LoudnessText(double lufs) {
    return QString::number(lufs, 'f', 1) + QStringLiteral(" LUFS");
}

SoundListModel::SoundListModel(const OpenTable& open, QObject* parent)
    : QAbstractTableModel(parent), open_(open) {}

const SoundDetail& SoundListModel::detailOf(int position) const {
    return open_.table().Details[open_.list()[static_cast<std::size_t>(position)].detail()];
}

int SoundListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int SoundListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kSoundColumns;
}

QVariant SoundListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const auto column = static_cast<SoundColumn>(index.column());
    if (column == SoundColumn::Loudness && (role == Qt::DisplayRole || role == Qt::ToolTipRole)) {
        // A blank, and why as its tooltip, where there is no loudness to show.
        const int position = positionAt(index.row());
        const std::optional<double> heard = heardLoudness(position);
        if (heard) {
            return role == Qt::DisplayRole ? QVariant(LoudnessText(*heard)) : QVariant();
        }
        if (role == Qt::DisplayRole) {
            return QString();
        }
        const std::size_t detail = open_.list()[static_cast<std::size_t>(position)].detail();
        const SampleLoudness* measured =
            detail < loudness_.size() && loudness_[detail] ? &*loudness_[detail] : nullptr;
        QString why = measured == nullptr ? QStringLiteral("not measured yet")
                      : measured->lufs    ? QStringLiteral("it plays at volume 0")
                                          : QString::fromStdString(measured->why);
        return why.left(1).toUpper() + why.mid(1);
    }
    if (role == Qt::DisplayRole) {
        const int position = positionAt(index.row());
        return NameText(ColumnText(open_.list()[static_cast<std::size_t>(position)],
                                   detailOf(position), open_.sampleNames(), column));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue((IsNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
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
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue((IsNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    }
    return {};
}

void SoundListModel::setEntries() {
    beginResetModel();
    setOrder(ordered());
    endResetModel();
}

void SoundListModel::sortBy(std::optional<SoundColumn> column, bool descending) {
    sortColumn_ = column;
    descending_ = descending;
    arrange();
}

void SoundListModel::setFilter(std::string needle) {
    beginResetModel();
    needle_ = needle.empty() ? std::nullopt : std::optional(std::move(needle));
    setOrder(ordered());
    endResetModel();
}

void SoundListModel::refresh() {
    if (!order_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, kSoundColumns - 1));
    }
    arrange();
}

void SoundListModel::forgetLoudness() {
    loudness_.assign(open_.table().Details.size(), std::nullopt);
    if (!order_.empty()) {
        const int column = static_cast<int>(SoundColumn::Loudness);
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
    }
    arrange();
}

void SoundListModel::setLoudness(std::size_t detail, SampleLoudness loudness) {
    if (detail >= loudness_.size()) {
        return;
    }
    loudness_[detail] = std::move(loudness);
    for (const int position : open_.positionsOf({detail})) {
        if (const int row = rowOf(position); row >= 0) {
            const QModelIndex cell = index(row, static_cast<int>(SoundColumn::Loudness));
            emit dataChanged(cell, cell);
        }
    }
    if (sortColumn_ == SoundColumn::Loudness && !arranging_) {
        // Sorted once for the results that came in together, not once for each.
        arranging_ = true;
        QTimer::singleShot(0, this, [this] {
            arranging_ = false;
            arrange();
        });
    }
}

std::optional<double> SoundListModel::sampleLoudness(std::size_t detail) const {
    return detail < loudness_.size() && loudness_[detail] ? loudness_[detail]->lufs : std::nullopt;
}

std::optional<double> SoundListModel::heardLoudness(int position) const {
    const std::optional<double> lufs =
        sampleLoudness(open_.list()[static_cast<std::size_t>(position)].detail());
    return lufs ? LoudnessAtVolume(*lufs, ShowDetail(detailOf(position)).Volume) : std::nullopt;
}

std::vector<int> SoundListModel::ordered() const {
    std::vector<int> order;
    if (sortColumn_ == SoundColumn::Loudness) {
        std::vector<std::optional<double>> heard;
        for (std::size_t position = 0; position < open_.list().size(); ++position) {
            heard.push_back(heardLoudness(static_cast<int>(position)));
        }
        order = SortedOrder(open_.list(), open_.table(), open_.sampleNames(), *sortColumn_,
                            descending_, heard);
    } else if (sortColumn_) {
        order = SortedOrder(open_.list(), open_.table(), open_.sampleNames(), *sortColumn_,
                            descending_);
    } else {
        order.resize(open_.list().size());
        std::iota(order.begin(), order.end(), 0);
    }
    if (needle_) {
        std::erase_if(order, [this](int position) {
            const SoundListEntry& entry = open_.list()[static_cast<std::size_t>(position)];
            return !MatchesFilter(entry, detailOf(position), open_.sampleNames(), *needle_);
        });
    }
    return order;
}

void SoundListModel::setOrder(std::vector<int> order) {
    rows_.assign(open_.list().size(), -1);
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
    if (order.size() != order_.size()) {
        // An Update made a sound match the filter, or no more: the rows are made anew.
        beginResetModel();
        setOrder(std::move(order));
        endResetModel();
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> positions;
    for (const QModelIndex& was : before) {
        positions.push_back(positionAt(was.row()));
    }
    setOrder(std::move(order));
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        after.push_back(index(rowOf(positions[static_cast<std::size_t>(i)]), before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace sondrel
