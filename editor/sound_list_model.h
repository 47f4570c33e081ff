// The sound list's rows: the entries of the table open, one row per listed sound with its
// values in columns and its loudness as measured, the positions the filter keeps, sorted.
#pragma once

#include "document/open_table.h"
#include "formats/loudness.h"
#include "logic/sound_columns.h"
#include "logic/sound_list.h"

#include <QAbstractTableModel>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

// Sample and object names are 8-bit text: each byte is shown as the character of that code.
inline QString NameText(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// A loudness as the list shows it: "-16.3 LUFS".
QString LoudnessText(double lufs);

// The entries and their columns: the rows are the positions the filter keeps, in the order
// sorted.
class SoundListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The entries of the table open, read again in place.
    SoundListModel(const OpenTable& open, QObject* parent);

    // The table open has new entries: shows them.
    void setEntries();
    const std::vector<SoundListEntry>& entries() const { return open_.list(); }
    int positionAt(int row) const { return order_[static_cast<std::size_t>(row)]; }
    // The row of a position, or -1 where the filter hides it.
    int rowOf(int position) const { return rows_[static_cast<std::size_t>(position)]; }

    // Sorts the rows by a column, or puts them back in the table's order.
    void sortBy(std::optional<SoundColumn> column, bool descending);
    std::optional<SoundColumn> sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }
    // Keeps only the sounds that match `needle` (see MatchesFilter); none hidden when empty.
    void setFilter(std::string needle);
    // The values changed (an Update, an undo): shows them, and sorts again by them.
    void refresh();
    // What was measured of each detail's first sample: nothing yet of any, then one by one.
    void forgetLoudness();
    void setLoudness(std::size_t detail, SampleLoudness loudness);
    // A detail's first sample's loudness at its own level, where it was measured.
    std::optional<double> sampleLoudness(std::size_t detail) const;
    // A position's loudness as it plays at its volume, where it was measured.
    std::optional<double> heardLoudness(int position) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const SoundDetail& detailOf(int position) const;
    // The positions the filter keeps, in the order sorted or the table's.
    std::vector<int> ordered() const;
    void setOrder(std::vector<int> order);
    // Sorts the rows again, the selection staying on its sounds.
    void arrange();

    const OpenTable& open_;
    std::vector<int> order_; // row -> position
    std::vector<int> rows_;  // position -> row, -1 where hidden
    std::optional<SoundColumn> sortColumn_;
    bool descending_ = false;
    std::optional<std::string> needle_; // the filter, where one is set
    // Each detail's, as measured; nothing while it is not.
    std::vector<std::optional<SampleLoudness>> loudness_;
    bool arranging_ = false; // a sort by loudness is due once the results at hand are in
};

} // namespace sondrel
