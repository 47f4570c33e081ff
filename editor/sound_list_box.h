// The sound list: one row per listed sound, its name first and then its values in columns,
// sortable by a click on a heading and filtered by what the designer types.
//
// The window speaks of list positions, the entries in the table's order as the list was
// built; the rows a designer (and a screen reader) sees are the positions the filter keeps,
// sorted.
#pragma once

#include "editor/sound_list_model.h"

#include <QTableView>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

// The list box. Once an entry is selected, one always is: a click on the blank area below the
// entries, or Ctrl+click and Ctrl+Space on the only one selected, change nothing, so the fields
// never show a sound that Update cannot store into. Ctrl+click, Shift+click and the Shift+arrow
// keys select several. The sounds picked stay picked while the filter hides them.
class SoundListBox : public QTableView {
    Q_OBJECT

public:
    // The table open is the window's, read again in place.
    SoundListBox(const OpenTable& open, QWidget* parent);

    SoundListModel* sounds() const { return model_; }
    int count() const { return static_cast<int>(model_->entries().size()); }
    const SoundListEntry& entry(int position) const {
        return model_->entries()[static_cast<std::size_t>(position)];
    }
    void setEntries();

    // The positions picked, in the table's order, those the filter hides included.
    std::vector<int> selectedPositions() const;
    // Picks these positions alone, the first of them current and in view.
    void selectPositions(const std::vector<int>& positions);
    // Lists only the sounds that match `text` (see MatchesFilter), now and after the entries
    // change; the sounds picked stay picked.
    void setFilter(const QString& text);
    // Sorts the rows by a column, or puts back the table's order, the heading's arrow saying
    // so.
    void sortBy(std::optional<SoundColumn> column, bool descending);
    // Ctrl+A: every sound listed, and no other.
    void selectAll() override;

    // The width the list was laid out at: there, the names fill it as they always did, and the
    // other columns are to their right, a scroll bar below says so.
    void setLaidOutWidth(int width);

    // Puts the selection back on the sounds shown, when a question kept the designer there.
    std::function<void()> settle;

    // The designer stays on the sounds shown. Within a key or mouse event the view goes on
    // moving the selection after the change it signalled, so the selection is put back once
    // the event is handled, and the rest of a mouse gesture selects nothing.
    void stay();
    // True while the selection is about to be put back: its changes mean nothing.
    bool staying() const { return staying_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    template <class Handler> void handle(Handler handler);
    void headingClicked(int section);

    SoundListModel* model_;
    // Picked, but hidden by the filter; a new pick of the designer's lets them go.
    mutable std::vector<int> hiddenPicked_;
    int laidOutWidth_ = 0;
    int handling_ = 0;
    bool staying_ = false;
    bool pressing_ = false;
    bool ignoreUntilRelease_ = false;
};

} // namespace sondrel
