// What a screen reader is told of the window and its list.
#include "tests/editor/editor_session.h"

TEST_F(WindowTest, aScreenReaderNamesEveryControlAndWorksTheFlags) {
    open();
    const std::pair<const char*, const char*> names[] = {
        {"SndLst", "Sounds"}, {"SndRAD", "Range"},     {"SndVOL", "Volume"},    {"SndPIT", "Pitch"},
        {"SndCH", "Chance"},  {"Save", "Save"},        {"Update", "Update"},    {"SndP", "P flag"},
        {"SndV", "V flag"},   {"SndR", "Loop mode R"}, {"SndL", "Loop mode L"}, {"SndN", "N flag"}};
    for (const auto& [control, name] : names) {
        QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(child<QWidget>(control));
        ASSERT_NE(seen, nullptr) << control;
        EXPECT_EQ(seen->text(QAccessible::Name), name) << control;
    }
    // Each field says what it takes, relative changes too.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(child<QWidget>("SndRAD"))
                  ->text(QAccessible::Description),
              "A number from 0 to 31, or a change of each sound's own range: 80% for 80% of it, "
              "10+ for 10 more, 10- for 10 less, held within 0 to 31. Update stores it.");
    // The Samples box by its name, not its text ("None" until a sound is picked).
    EXPECT_EQ(QAccessible::queryAccessibleInterface(child<QComboBox>("Samples")->lineEdit())
                  ->text(QAccessible::Name),
              "Samples");

    // The list as a table: its headings first, then each row's cells, each numbered as Qt
    // numbers the cells of its item views.
    QAccessibleInterface* sounds = QAccessible::queryAccessibleInterface(child<QWidget>("SndLst"));
    const int columns = sounds->tableInterface()->columnCount() + 1;
    for (const auto& [number, role, text] :
         {std::tuple{1, QAccessible::ColumnHeader, QString("Sound")},
          {2, QAccessible::ColumnHeader, QString("Range")},
          {columns + 1, QAccessible::Cell, QString("KV5 Sound 12 - 45")},
          {2 * columns + 1, QAccessible::Cell, QString("Object 120")}}) {
        QAccessibleInterface* cell = sounds->child(number);
        ASSERT_NE(cell, nullptr) << number;
        EXPECT_EQ(cell->role(), role) << number;
        EXPECT_EQ(cell->text(QAccessible::Name), text) << number;
        EXPECT_EQ(sounds->indexOfChild(cell), number);
    }

    select(0); // V and R lit; its one sample shown; its row picked, also for a screen reader
    EXPECT_EQ(child<QComboBox>("Samples")->currentText(), "KV5 Sound 12.wav");
    EXPECT_TRUE(sounds->child(columns + 1)->tableCellInterface()->isSelected());
    EXPECT_FALSE(sounds->child(2 * columns + 1)->tableCellInterface()->isSelected());
    EXPECT_EQ(fields(), (QStringList{"5", "100", "100", "4"}));
    QAccessibleInterface* v = QAccessible::queryAccessibleInterface(child<FlagLabel>("SndV"));
    QAccessibleInterface* l = QAccessible::queryAccessibleInterface(child<FlagLabel>("SndL"));
    EXPECT_EQ(v->role(), QAccessible::CheckBox);
    EXPECT_TRUE(v->state().checkable);
    EXPECT_TRUE(v->state().checked);
    EXPECT_FALSE(l->state().checked);
    EXPECT_TRUE(v->text(QAccessible::Description).contains("Alt+V"));
    ASSERT_NE(v->actionInterface(), nullptr);
    v->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    l->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(v->state().checked);
    EXPECT_TRUE(l->state().checked);
    EXPECT_EQ(colours(), (std::vector<ColourValue>{B, B, B, R, B})); // as two clicks
    type("SndCH", "x");
    press("Update", {Script::press(QMessageBox::Ok)});
    key(Qt::CTRL | Qt::Key_S, {Script::press(QMessageBox::Ok)});
    EXPECT_EQ(QAccessible::queryAccessibleInterface(child<QLabel>("SndStatus"))
                  ->text(QAccessible::Description),
              "Nothing was saved");
}
