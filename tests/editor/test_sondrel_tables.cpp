// Start-up, other tables, reading again, the native switch and closing.
#include "tests/editor/editor_session.h"

TEST_F(WindowTest, startUpAsksThenListsSeriesSoundsAndNativeOnesOnlyWhenAskedTo) {
    open(false); // answered Yes, as in the other tests, the native Object 120 is listed too
    EXPECT_EQ(listTexts(),
              (QStringList{"KV5 Sound 12 - 45", "KV3 Sound 45 - 4", "KV2 Sound 45 - 300"}));
    // Building the list selected each entry, but nothing is selected or shown.
    EXPECT_TRUE(child<SoundListBox>("SndLst")->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(fields(), (QStringList{"", "", "", ""}));
    EXPECT_EQ(child<QComboBox>("Samples")->currentText(), "None");
    EXPECT_EQ(colours(), (std::vector<ColourValue>{S, S, S, S, S}));
    const SeenDialog& opened = script->seen().at(0);
    EXPECT_EQ(opened.nameFilters, QStringList{"OBEL Sound Files (*.sfx)"});
    EXPECT_EQ(opened.directory, QDir::currentPath()); // the level editor's folder is not here
    const SeenDialog& question = script->seen().at(1);
    EXPECT_EQ(question.text, "Include KV4 sounds?");
    EXPECT_EQ(question.buttons,
              (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No}));
    EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
}

TEST(WindowStart, endsBeforeTheWindowOnAFailure) {
    // (Cancelled in the open dialog, the program ends as well: test_app.sh.)
    EditorSession t;
    fs::remove(t.sampleList());
    const auto before = t.dir.entries();
    EXPECT_EQ(t.start({Script::chooseFile(Q(t.table())), Script::press(QMessageBox::Ok)}),
              Sondrel::LoadResult::Failed);
    EXPECT_EQ(
        t.script->messages().value(0),
        "The sample list " + Q(t.sampleList()) +
            " is missing or cannot be opened.\n\nPut the table's sample list (.sam, the same "
            "name) beside it, or choose another table.\n\nSondrel cannot go on (failure 11).");
    EXPECT_FALSE(t.window->isVisible());
    EXPECT_EQ(t.dir.entries(), before);
}

TEST(WindowEdits, closingAsksToSaveWhatIsNotSavedAndSavesInPlace) {
    struct Case {
        const char* what;
        bool update;   // an Update stored volume 20 (stored 50)
        QString typed; // the volume field's text then, "100" as shown
        Steps answers;
        bool closes;
        bool saved;
    };
    const Script::Step save = Script::press(QMessageBox::Save);
    const Case cases[] = {
        {"discarded", true, "20", {Script::press(QMessageBox::Discard)}, true, false},
        {"cancelled", true, "30", {Script::press(QMessageBox::Cancel)}, false, false},
        {"saved", true, "20", {save}, true, true},
        {"typed, saved", false, "20", {save}, true, true},
        {"refused", false, "abc", {save, Script::press(QMessageBox::Ok)}, false, false},
    };
    for (const Case& c : cases) {
        EditorSession t;
        t.open();
        t.select(0);
        if (c.update) {
            t.type("SndVOL", "20");
            t.press("Update");
        }
        t.type("SndVOL", c.typed);
        EXPECT_EQ(t.caption().contains('*'), c.update || c.typed != "100") << c.what;
        t.script->play(c.answers);
        EXPECT_EQ(t.window->close(), c.closes) << c.what;
        EXPECT_TRUE(t.script->finished()) << c.what;
        if (!c.answers.empty()) {
            EXPECT_EQ(t.script->messages().at(0),
                      "The changes to city.sfx are not saved.\n\nSave them before closing?");
            EXPECT_EQ(t.script->seen().at(0).defaultButton, QMessageBox::Save);
        }
        EXPECT_EQ(t.window->isVisible(), !c.closes) << c.what;
        EXPECT_EQ(ReadSFX(t.table()).Details[0].Volume, c.saved ? 50 : 250) << c.what;
    }
}

TEST(WindowTables, openReadAgainAndTheNativeSwitchShowTheSameSoundAndAskAboutChanges) {
    EditorSession t;
    t.open();
    auto* list = t.child<SoundListBox>("SndLst");
    t.select(2); // KV3 Sound 45 - 4, detail 2
    // The level editor changes the table: F5 reads it again, showing the same sound.
    SoundTable theirs = MakeTable();
    theirs.Details[2].Volume = 100;
    WriteAll(t.table(), SerializeSFX(theirs));
    t.key(Qt::Key_F5);
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(t.fields().at(1), "40");
    // Ctrl+I lists the native sounds no more, then again; the sound stays shown.
    t.key(Qt::CTRL | Qt::Key_I);
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentIndex().row(), 1);
    t.key(Qt::CTRL | Qt::Key_I);
    EXPECT_EQ(list->currentIndex().row(), 2);
    // Ctrl+O opens another table, where the same entry is shown again.
    WriteAll(t.dir / "other.sfx", SerializeSFX(MakeTable()));
    WriteText(t.dir / "other.sam", SerializeSampleNames(kSampleNames, 8));
    t.key(Qt::CTRL | Qt::Key_O, {Script::chooseFile(Q(t.dir / "other.sfx"))});
    EXPECT_EQ(t.caption(), "other.sfx - OBEL Sondrel");
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(t.fields().at(1), "1");

    // With an Update not saved, each asks first; Cancel keeps everything.
    t.type("SndVOL", "20");
    t.press("Update");
    t.key(Qt::CTRL | Qt::Key_O, {Script::press(QMessageBox::Cancel)});
    EXPECT_EQ(t.script->messages(),
              QStringList{"The changes to other.sfx are not saved.\n\nSave them first?"});
    EXPECT_EQ(t.shownTable().Details[2].Volume, 50);
    // The fields' edit not stored: the switch asks about it, and Cancel keeps the list.
    t.type("SndVOL", "30");
    t.key(Qt::CTRL | Qt::Key_I, {Script::press(QMessageBox::Cancel)});
    EXPECT_TRUE(t.script->messages().at(0).startsWith("You changed KV3 Sound 45 - 4"));
    EXPECT_EQ(list->count(), 4);
    // Discard reads the table again as it is on the disk; its history goes with it.
    t.key(Qt::Key_F5, {Script::press(QMessageBox::Discard)});
    EXPECT_EQ(t.caption(), "other.sfx - OBEL Sondrel");
    t.key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(t.shownTable(), MakeTable());

    // A table that cannot be read is reported, and the one open stays.
    WriteAll(t.dir / "bad.sfx", {1, 2, 3});
    t.key(Qt::CTRL | Qt::Key_O,
          {Script::chooseFile(Q(t.dir / "bad.sfx")), Script::press(QMessageBox::Ok)});
    EXPECT_TRUE(t.script->messages().at(0).endsWith(
        "\n\nThe table that was open stays open (failure 10)."));
    EXPECT_EQ(t.child<FileDialog>("FM")->FileName(), Q(t.dir / "other.sfx")); // Save offers it
    EXPECT_EQ(list->count(), 4);
}
