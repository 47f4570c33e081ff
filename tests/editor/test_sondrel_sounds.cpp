// Showing and storing sounds: Update, its refusals, its questions, its undo, many sounds.
#include "tests/editor/editor_session.h"

TEST_F(WindowTest, updateStoresTheFieldsAndFlagsIntoTheSelectedSoundOnlyOrSaysWhatItRefuses) {
    open();
    type("SndVOL", "50");
    press("Update");                  // nothing selected: nothing to store into
    for (const int row : {3, 2, 0}) { // shown anew and stored unchanged: no byte changes
        select(row);
        press("Update");
    }
    EXPECT_EQ(shownTable(), MakeTable());

    select(2); // detail 2
    type("SndRAD", "31");
    type("SndVOL", "9E1");
    type("SndPIT", "50");
    type("SndCH", "1 2");
    clickLabel("SndV");
    clickLabel("SndR");
    press("Update");
    SoundTable expected = MakeTable();
    expected.Details[2] = {3, 226, 31, 30, 63, 0x8F80 | 0x4000 | 12 | 2}; // unshown bits stay
    EXPECT_EQ(shownTable(), expected);
    EXPECT_EQ(fields(), (QStringList{"31", "90", "50", "12"})); // as stored, as typed

    // A refused value is said, over the window, with the focus on its field; a good value
    // before it is not stored either.
    select(1);
    type("SndRAD", "7");
    type("SndCH", "2,5");
    press("Update", {Script::press(QMessageBox::Ok)});
    EXPECT_EQ(script->messages(),
              QStringList{"The chance must be a number from 0 to 101, and a fraction is written "
                          "with a point: 2.5, not 2,5.\n\nThe sound was not changed."});
    EXPECT_EQ(script->seen().at(0).owner, window.get());
    EXPECT_EQ(shownTable(), expected);
    EXPECT_EQ(window->focusWidget(), child<QLineEdit>("SndCH"));
}

TEST(WindowEdits, movingAwayFromUnappliedEditsAsksWhatToDoWithThem) {
    for (const auto& [byKey, answer] : {std::pair{false, QMessageBox::Yes},
                                        {true, QMessageBox::No},
                                        {false, QMessageBox::Cancel}}) {
        const std::string what = (byKey ? "key, " : "click, ") + std::to_string(answer);
        EditorSession t;
        t.open();
        t.select(0);
        t.type("SndVOL", "90");
        t.clickLabel("SndP");
        auto* list = t.child<SoundListBox>("SndLst");
        t.script->play(Steps{Script::press(answer)});
        if (byKey) {
            QTest::keyClick(list, Qt::Key_Down);
        } else { // a drag on from the sound clicked, answered, picks no more
            const auto at = [&](int row) {
                return list->visualRect(list->model()->index(row, 0)).center();
            };
            QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at(2));
            QTest::mouseMove(list->viewport(), at(answer == QMessageBox::Cancel ? 3 : 2));
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at(2));
        }
        EXPECT_TRUE(t.script->finished()) << what;
        EXPECT_EQ(t.script->messages(),
                  QStringList{"You changed KV5 Sound 12 - 45 without pressing Update.\n\n"
                              "Apply the changes to it?"});
        EXPECT_EQ(t.script->seen().at(0).defaultButton, QMessageBox::Yes);
        SoundTable expected = MakeTable();
        if (answer == QMessageBox::Yes) {
            expected.Details[0].Volume = 226;
            expected.Details[0].Flags |= kFlagP;
        }
        EXPECT_EQ(t.shownTable(), expected) << what;
        const int row = answer == QMessageBox::Cancel ? 0 : byKey ? 1 : 2;
        EXPECT_EQ(list->currentIndex().row(), row) << what;
        EXPECT_EQ(list->selectedPositions(), std::vector<int>{row}) << what;
        // Cancel stays on the sound, edits and all; else the next one is shown.
        EXPECT_EQ(t.fields().at(1),
                  answer == QMessageBox::Cancel
                      ? "90"
                      : QString::number(ShowDetail(MakeTable().Details[row]).Volume))
            << what;
    }
}

TEST_F(WindowTest, theCaptionMarksUnsavedChangesAndUndoRestoresExactBytes) {
    open();
    auto* list = child<SoundListBox>("SndLst");
    EXPECT_EQ(caption(), "city.sfx - OBEL Sondrel");
    select(2); // its unshown flag bits set
    type("SndVOL", "90");
    press("Update");
    EXPECT_EQ(caption(), "city.sfx* - OBEL Sondrel");
    const SoundTable edited = shownTable();
    select(0);

    key(Qt::CTRL | Qt::Key_Z); // back to the table as read, the sound undone selected and shown
    EXPECT_EQ(shownTable(), MakeTable());
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(fields().at(1), QString::number(ShowDetail(MakeTable().Details[2]).Volume));
    EXPECT_EQ(caption(), "city.sfx - OBEL Sondrel");
    for (const auto combination : {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}) {
        key(combination);
        EXPECT_EQ(shownTable(), edited);
        EXPECT_EQ(fields().at(1), "90");
        key(Qt::CTRL | Qt::Key_Z);
    }

    // An edit not yet stored is undone first, and waits for no redo.
    key(Qt::CTRL | Qt::Key_Y);
    type("SndCH", "7");
    key(Qt::CTRL | Qt::Key_Y);
    EXPECT_EQ(fields().at(3), "7");
    key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(shownTable(), edited);
    EXPECT_EQ(fields().at(3), QString::number(ShowDetail(edited.Details[2]).Chance));
}

TEST(WindowBatch, oneUpdateStoresIntoEverySelectedSoundOnlyWhatChangedAndOneUndoTakesItBack) {
    EditorSession t;
    t.open();
    auto* list = t.child<SoundListBox>("SndLst");
    t.select(0);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(list->selectedPositions(), (std::vector<int>{0, 1, 2}));
    // Every value differs somewhere: the fields are empty and every flag mixed, also for a
    // screen reader.
    EXPECT_EQ(t.fields(), (QStringList{"", "", "", ""}));
    EXPECT_EQ(t.colours(), std::vector<ColourValue>(5, kMixed));
    QAccessibleInterface* v = QAccessible::queryAccessibleInterface(t.child<FlagLabel>("SndV"));
    EXPECT_TRUE(v->state().checkStateMixed);
    EXPECT_TRUE(v->text(QAccessible::Description).startsWith("Mixed."));

    // 60 more on each one's own volume (100, 101 and 1): one Update, one undo step.
    t.type("SndVOL", "60+");
    t.press("Update");
    EXPECT_EQ(t.child<QLabel>("SndStatus")->text(),
              "Stored each volume plus 60 into 3 sounds; 2 held at 101");
    EXPECT_EQ(ShowDetail(t.shownTable().Details[2]).Volume, 61);
    // Moving away with an edit asks about the three.
    t.type("SndCH", "7");
    t.key(Qt::Key_Down, {Script::press(QMessageBox::Cancel)});
    EXPECT_TRUE(t.script->messages().at(0).startsWith("You changed 3 sounds without"));
    // The chance typed is undone first, then the Update; the three stay selected.
    t.key(Qt::CTRL | Qt::Key_Z);
    t.key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(t.shownTable(), MakeTable());
    EXPECT_EQ(list->selectedPositions(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(t.caption(), "city.sfx - OBEL Sondrel");
}
