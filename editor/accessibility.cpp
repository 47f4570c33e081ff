#include "editor/accessibility.h"

#include "editor/sound_list_box.h"

#include <QAccessibleWidget>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>

#include <map>
#include <mutex>

namespace sondrel {
namespace {

// A table's children are numbered as Qt's item views number them in the events they send: a
// row for the headings and a column for the (hidden) row headings come first, so that the
// cell at (row, column) is child (row + 1) * (columns + 1) + column + 1.
int ChildNumber(const QAbstractItemModel* model, int row, int column) {
    return (row + 1) * (model->columnCount() + 1) + column + 1;
}

// One cell of the list: a sound's value in a column, or a column's heading (row -1), or one
// of the numbering's hidden row headings (column -1).
class SoundCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    SoundCell(SoundListBox* list, int row, int column) : list_(list), row_(row), column_(column) {}

    bool isValid() const override { return !list_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list_->window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QAccessible::Role role() const override {
        return row_ < 0      ? QAccessible::ColumnHeader
               : column_ < 0 ? QAccessible::RowHeader
                             : QAccessible::Cell;
    }
    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name || column_ < 0) {
            return {};
        }
        const QAbstractItemModel* model = list_->model();
        return row_ < 0 ? model->headerData(column_, Qt::Horizontal).toString()
                        : model->index(row_, column_).data().toString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (column_ < 0) {
            return {};
        }
        if (row_ < 0) {
            const QHeaderView* headings = list_->horizontalHeader();
            return QRect(
                headings->mapToGlobal(QPoint(headings->sectionViewportPosition(column_), 0)),
                QSize(headings->sectionSize(column_), headings->height()));
        }
        const QRect cell = list_->visualRect(list_->model()->index(row_, column_));
        return QRect(list_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (row_ < 0 || column_ < 0) {
            state.invisible = column_ < 0 || list_->horizontalHeader()->isHidden();
            return state;
        }
        const QModelIndex index = list_->model()->index(row_, column_);
        state.selectable = true;
        state.focusable = true;
        state.selected = isSelected();
        state.focused = list_->currentIndex().row() == row_ && list_->hasFocus();
        state.invisible = !list_->viewport()->rect().intersects(list_->visualRect(index));
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override {
        return row_ >= 0 && list_->selectionModel()->isRowSelected(row_, {});
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    int row() const { return row_; }
    int column() const { return column_; }

private:
    QPointer<SoundListBox> list_;
    int row_;
    int column_;
};

// The list: a table of the rows shown, several of which may be picked.
class SoundListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit SoundListAccessible(SoundListBox* list)
        : QAccessibleWidget(list, QAccessible::Table) {}
    ~SoundListAccessible() override { forgetCells(); }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.multiSelectable = true;
        state.extSelectable = true;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override {
        return (model()->rowCount() + 1) * (model()->columnCount() + 1);
    }
    QAccessibleInterface* child(int number) const override {
        if (number < 0 || number >= childCount()) {
            return nullptr;
        }
        if (const auto known = cells_.find(number); known != cells_.end()) {
            return QAccessible::accessibleInterface(known->second);
        }
        const int columns = model()->columnCount() + 1;
        auto* cell = new SoundCell(list(), number / columns - 1, number % columns - 1);
        cells_[number] = QAccessible::registerAccessibleInterface(cell);
        return cell;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* cell = dynamic_cast<const SoundCell*>(child);
        return cell != nullptr ? ChildNumber(model(), cell->row(), cell->column()) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QModelIndex index = list()->indexAt(list()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(ChildNumber(model(), index.row(), index.column())) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = list()->currentIndex();
        return current.isValid() ? child(ChildNumber(model(), current.row(), current.column()))
                                 : nullptr;
    }

    QAccessibleInterface* cellAt(int row, int column) const override {
        return child(ChildNumber(model(), row, column));
    }
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int column) const override {
        return model()->headerData(column, Qt::Horizontal).toString();
    }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return model()->columnCount(); }
    int rowCount() const override { return model()->rowCount(); }
    int selectedCellCount() const override { return selectedRowCount() * model()->columnCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override {
        return static_cast<int>(list()->selectionModel()->selectedRows().size());
    }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (const int row : selectedRows()) {
            for (int column = 0; column < model()->columnCount(); ++column) {
                cells << cellAt(row, column);
            }
        }
        return cells;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        for (const QModelIndex& index : list()->selectionModel()->selectedRows()) {
            rows << index.row();
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        return list()->selectionModel()->isRowSelected(row, {});
    }
    bool selectRow(int row) override {
        list()->selectionModel()->select(model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override {
        list()->selectionModel()->select(model()->index(row, 0),
                                         QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return true;
    }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override { forgetCells(); }

private:
    SoundListBox* list() const { return static_cast<SoundListBox*>(widget()); }
    const QAbstractItemModel* model() const { return list()->model(); }
    // The cells stand for rows and columns that may be gone: they are made anew.
    void forgetCells() {
        for (const auto& [number, id] : cells_) {
            QAccessible::deleteAccessibleInterface(id);
        }
        cells_.clear();
    }

    mutable std::map<int, QAccessible::Id> cells_;
};

QList<QAccessibleInterface*> SoundCell::columnHeaderCells() const {
    QAccessibleInterface* table = parent();
    return table != nullptr && column_ >= 0 ? QList{table->child(column_ + 1)}
                                            : QList<QAccessibleInterface*>{};
}

const char* windowClass = nullptr; // the window's class name, given once before any is made

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String(SoundListBox::staticMetaObject.className())) {
        return new SoundListAccessible(static_cast<SoundListBox*>(object));
    }
    if (className == QLatin1String(windowClass)) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

} // namespace

void InstallAccessibility(const QMetaObject& window) {
    static std::once_flag installed;
    std::call_once(installed, [&window] {
        windowClass = window.className();
        QAccessible::installFactory(Factory);
    });
}

} // namespace sondrel
