// The sound list: its columns, sorting, filter, and where it opens.
#include "tests/editor/editor_session.h"

#include <QAbstractItemModelTester>

TEST(WindowList, columnsShowEverySoundsValuesAndSortAndTheFilterFindsIt) {
    EditorSession t;
    t.open();
    auto* list = t.child<SoundListBox>("SndLst");
    const QAbstractItemModelTester checked(list->model(),
                                           QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QRect laidOut = list->geometry();
    EXPECT_EQ(list->model()->index(2, static_cast<int>(SoundColumn::Slots)).data(), "4, 12, 200");
    // At the laid-out width the names fill the list, a scroll bar says more is to their right;
    // wider, the values come into view.
    EXPECT_EQ(list->horizontalHeader()->sectionSize(0), list->viewport()->width());
    EXPECT_TRUE(list->horizontalScrollBar()->isVisible());
    t.window->resize(t.window->size() + QSize(400, 0));
    EXPECT_EQ(list->horizontalHeader()->sectionSize(0), list->viewport()->width() - 400);

    // A click on a heading sorts up, the next one down, the third back to the table's order;
    // the sound selected stays selected and shown.
    t.select(1);
    const auto clickHeading = [&](SoundColumn column) {
        const int section = static_cast<int>(column);
        QTest::mouseClick(
            list->horizontalHeader()->viewport(), Qt::LeftButton, {},
            QPoint(list->horizontalHeader()->sectionViewportPosition(section) + 5, 5));
    };
    const QStringList tableOrder = t.listTexts();
    clickHeading(SoundColumn::Volume);
    EXPECT_EQ(t.listTexts(), (QStringList{"KV2 Sound 45 - 300", "KV3 Sound 45 - 4",
                                          "KV5 Sound 12 - 45", "Object 120"}));
    EXPECT_EQ(list->currentIndex().row(), 3);
    EXPECT_EQ(list->selectedPositions(), std::vector<int>{1});
    clickHeading(SoundColumn::Volume);
    EXPECT_EQ(t.listTexts().front(), "Object 120");
    clickHeading(SoundColumn::Volume);
    EXPECT_EQ(t.listTexts(), tableOrder);
    EXPECT_EQ(list->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_EQ(t.fields().at(0), "31");

    // Ctrl+F shows the filter over the list; what is typed keeps the matching sounds, Escape
    // clears and hides it. The sound shown stays shown while the filter hides it.
    t.window->resize(t.window->minimumSize());
    EXPECT_EQ(t.window->findChild<QLineEdit*>("SndFilter"), nullptr); // made on first use
    t.key(Qt::CTRL | Qt::Key_F);
    auto* filter = t.child<QLineEdit>("SndFilter");
    EXPECT_TRUE(filter->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), filter);
    EXPECT_EQ(list->geometry().top(), filter->geometry().bottom() + 1);
    t.type("SndFilter", "sound 4");
    EXPECT_EQ(t.listTexts(), (QStringList{"KV3 Sound 45 - 4", "KV2 Sound 45 - 300"}));
    EXPECT_EQ(t.fields().at(0), "31");
    EXPECT_EQ(list->selectedPositions(), std::vector<int>{1}); // picked, listed or not
    // With the sound picked hidden, the first key that moves picks the first match.
    QTest::keyClick(filter, Qt::Key_Tab);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->selectedPositions(), std::vector<int>{2});
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_FALSE(filter->isVisible());
    EXPECT_EQ(list->geometry(), laidOut);
    EXPECT_EQ(t.listTexts(), tableOrder);
    EXPECT_EQ(QApplication::focusWidget(), list);
}
