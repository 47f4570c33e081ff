// Showing and storing sounds: Update, its refusals, its questions, its undo, many sounds.
#include "tests/editor/editor_session.h"

TEST_F(WindowTest, updateStoresTheFieldsAndFlagsIntoTheSelectedSoundOnly) {
    open();
    type("SndVOL", "50");
    press("Update");                        // nothing selected: nothing to store into
    for (const int row : {3, 2, 1, 0, 1}) { // shown anew and stored unchanged: no byte changes
        select(row);
        press("Update");
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
}

TEST_F(WindowTest, updateRefusesTextThatIsNotANumberWithinTheFieldAndSaysWhich) {
    open();
    select(1);
    const QStringList shown = fields();
    const std::tuple<const char*, const char*, QString> cases[] = {
        {"SndVOL", "", "volume must be a number from 0 to 101"},
        {"SndRAD", "32", "range must be a number from 0 to 31"},
        {"SndCH", "2,5",
         "chance must be a number from 0 to 101, and a fraction is written with a point: 2.5, "
         "not 2,5"},
    };
    for (const auto& [field, text, message] : cases) {
        type("SndRAD", "7"); // a good value before the bad one is not stored either
        type(field, text);
        press("Update", {Script::press(QMessageBox::Ok)});
        EXPECT_EQ(script->messages(),
                  QStringList{"The " + message + ".\n\nThe sound was not changed."});
        EXPECT_EQ(shownTable(), MakeTable()) << field;
        EXPECT_EQ(window->focusWidget(), child<QLineEdit>(field)) << field;
        EXPECT_EQ(script->seen().at(0).owner, window.get()); // over the window
        int i = 0;
        for (const char* each : {"SndRAD", "SndVOL", "SndPIT", "SndCH"}) {
            type(each, shown.at(i++)); // as shown, before the next case
        }
    }
}

TEST(WindowEdits, movingAwayFromUnappliedEditsAsksWhatToDoWithThem) {
    for (const bool byKey : {false, true}) {
        for (const auto answer : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
            const std::string what = (byKey ? "key, " : "click, ") + std::to_string(answer);
            SCOPED_TRACE(what);
            EditorSession t;
            t.open();
            t.select(0);
            t.type("SndVOL", "90");
            t.clickLabel("SndP");
            auto* list = t.child<SoundListBox>("SndLst");
            t.script->play(Steps{Script::press(answer)});
            if (byKey) {
                QTest::keyClick(list, Qt::Key_Down);
            } else {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualRect(list->model()->index(2, 0)).center());
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
            if (answer == QMessageBox::Cancel) { // still on the sound, edits and all
                EXPECT_EQ(t.fields().at(1), "90");
                EXPECT_EQ(t.colours().at(0), R);
            } else {
                const ShownValues shown = ShowDetail(MakeTable().Details[row]);
                EXPECT_EQ(t.fields().at(1), QString::number(shown.Volume)) << what;
            }
        }
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
    const SoundTable first = shownTable();
    select(0);
    type("SndPIT", "50");
    clickLabel("SndN");
    press("Update");
    const SoundTable second = shownTable();

    key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(shownTable(), first);
    key(Qt::CTRL | Qt::Key_Z); // back to the table as read: selected and shown
    EXPECT_EQ(shownTable(), MakeTable());
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(fields().at(1), QString::number(ShowDetail(MakeTable().Details[2]).Volume));
    EXPECT_EQ(caption(), "city.sfx - OBEL Sondrel");
    key(Qt::CTRL | Qt::Key_Y);
    EXPECT_EQ(shownTable(), first);
    EXPECT_EQ(fields().at(1), "90");
    key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    EXPECT_EQ(shownTable(), second);
    EXPECT_EQ(list->currentIndex().row(), 0);

    // An edit not yet stored is undone first, and waits for no redo.
    type("SndCH", "7");
    key(Qt::CTRL | Qt::Key_Y);
    EXPECT_EQ(fields().at(3), "7");
    key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(shownTable(), second);
    EXPECT_EQ(fields().at(3), "4");
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

    // The volume typed goes into all three; every other byte stays, the loop modes 2, 1
    // and 3 too. Then half of each one's own volume (100, 101 and 1), and 60 more on each.
    t.type("SndVOL", "20");
    t.press("Update");
    SoundTable expected = MakeTable();
    for (const int detail : {0, 1, 2}) {
        expected.Details[detail].Volume = 50 | (expected.Details[detail].Volume & 1);
    }
    EXPECT_EQ(t.shownTable(), expected);
    t.key(Qt::CTRL | Qt::Key_Z);
    t.type("SndVOL", "50%");
    t.press("Update");
    EXPECT_EQ(t.child<QLabel>("SndStatus")->text(), "Stored 50% of each volume into 3 sounds");
    t.type("SndVOL", "60+");
    t.press("Update");
    EXPECT_EQ(t.child<QLabel>("SndStatus")->text(),
              "Stored each volume plus 60 into 3 sounds; 2 held at 101");
    for (const auto& [detail, volume] : {std::pair{0, 101}, {1, 101}, {2, 61}}) {
        EXPECT_EQ(ShowDetail(t.shownTable().Details[detail]).Volume, volume) << detail;
    }
    t.key(Qt::CTRL | Qt::Key_Z);
    t.key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(t.shownTable(), MakeTable());
    t.key(Qt::CTRL | Qt::Key_Y);
    t.key(Qt::CTRL | Qt::Key_Y);
    t.key(Qt::CTRL | Qt::Key_Z);
    t.key(Qt::CTRL | Qt::Key_Z);
    t.key(Qt::CTRL | Qt::Key_Y);
    // Moving away with an edit asks about the three.
    t.type("SndCH", "7");
    t.key(Qt::Key_Down, {Script::press(QMessageBox::Cancel)});
    EXPECT_TRUE(t.script->messages().at(0).startsWith("You changed 3 sounds without"));

    // One undo step for each Update of the three, after the chance typed; the three stay
    // selected.
    t.key(Qt::CTRL | Qt::Key_Z);
    t.key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(t.shownTable(), MakeTable());
    EXPECT_EQ(list->selectedPositions(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(t.caption(), "city.sfx - OBEL Sondrel");
}
