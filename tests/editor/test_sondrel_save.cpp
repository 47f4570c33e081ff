// Saving: in place and under a new name, what a save asks and says, and a save that fails.
#include "tests/editor/editor_session.h"

TEST_F(WindowTest, savingUnchangedIsByteIdenticalAndAnEditIsSavedUnderANewNameAndReadsBack) {
    open();
    const Bytes table = ReadAll(this->table());
    const std::string list = ReadText(sampleList());
    press("Save", {Script::chooseFile(Q(this->table()))});
    const SeenDialog& dialog = script->seen().at(0);
    EXPECT_EQ(dialog.offered, Q(this->table())); // the save dialog offers the opened table
    EXPECT_EQ(dialog.owner, window.get());       // so it stands over the window
    EXPECT_EQ(ReadAll(this->table()), table);
    EXPECT_EQ(ReadText(sampleList()), list);

    select(0);
    type("SndVOL", "20");
    press("Update");
    press("Save", {Script::cancel()}); // cancelled: nothing written, nothing said
    EXPECT_EQ(dir.entries(), kOriginalFiles);
    EXPECT_EQ(ReadAll(this->table()), table);
    EXPECT_TRUE(script->messages().isEmpty());

    SoundTable expected = MakeTable();
    expected.Details[0].Volume = 50; // 20 * 2.5; nothing else changes
    for (const auto& [typed, saved] :
         {std::pair{"copy.SFX", "copy.SFX"}, std::pair{"newlevel", "newlevel.sfx"}}) {
        press("Save", {Script::chooseFile(Q(dir / typed))});
        EXPECT_EQ(ReadSFX(dir / saved), expected) << saved;
        EXPECT_EQ(ReadText(SampleListPath(dir / saved)), list) << saved;
    }
    EXPECT_EQ(dir.entries(), (Entries{"KV4Objects.dat", "city.sam", "city.sfx", "copy.SFX",
                                      "copy.sam", "newlevel.sam", "newlevel.sfx"}));
    EXPECT_EQ(ReadAll(this->table()), table);
    EXPECT_EQ(child<SoundListBox>("SndLst")->currentIndex().row(), 0); // nothing shown changes
    EXPECT_EQ(fields().at(1), "20");
}

TEST_F(WindowTest, aSaveAsksBeforeReplacingWhatItDidNotWriteAndRefusesItsOwnSampleList) {
    openWithAnEdit();
    const std::string list = ReadText(sampleList());
    SoundTable theirs = MakeTable(); // the level editor rewrites the table, same size
    theirs.Details[4].Pitch = 99;
    WriteAll(table(), SerializeSFX(theirs));
    WriteText(dir / "other.sam", "their.wav\r\n"); // another level's, beside no table
    struct Case {
        fs::path target;
        QString question; // the first words of what is asked, or said
        QMessageBox::StandardButton answer;
    };
    const Case cases[] = {
        {table(),
         "The file " + Q(table()) +
             " has been changed by another program since Sondrel "
             "last read or saved it.\n\nReplace it, losing those changes?",
         QMessageBox::No},
        {dir / "other.sfx",
         "The sample list " + Q(dir / "other.sam") +
             " already exists, and "
             "Sondrel has not read it: it may belong to another table.",
         QMessageBox::No},
        {sampleList(), "The table cannot be saved as " + Q(sampleList()) + ": its sample list",
         QMessageBox::Ok},
#if !defined(_WIN32) // a sample list that links out of the folder, as a checkout may hold
        {dir / "linked.sfx",
         "The sample list " + Q(dir / "linked.sam") + " is a link to " + Q(home / "profile") +
             ", outside the table's folder.\n\nReplace " + Q(home / "profile"),
         QMessageBox::No},
#endif
    };
#if !defined(_WIN32)
    WriteText(home / "profile", "keep me\n");
    fs::create_symlink(home / "profile", dir / "linked.sam");
    const Entries left = {"KV4Objects.dat", "city.sam", "city.sfx", "linked.sam", "other.sam"};
#else
    const Entries left = {"KV4Objects.dat", "city.sam", "city.sfx", "other.sam"};
#endif
    for (const Case& c : cases) {
        press("Save", {Script::chooseFile(Q(c.target)), Script::press(c.answer)});
        EXPECT_EQ(child<QLabel>("SndStatus")->text(), "Nothing was saved");
        EXPECT_TRUE(script->messages().value(0).startsWith(c.question)) << c.question.toStdString();
        EXPECT_EQ(script->seen().back().defaultButton, c.answer); // No, where it is a question
    }
    EXPECT_EQ(dir.entries(), left);
#if !defined(_WIN32)
    EXPECT_EQ(ReadText(home / "profile"), "keep me\n");
#endif
    EXPECT_EQ(ReadSFX(table()), theirs);
    EXPECT_EQ(ReadText(sampleList()), list);
    EXPECT_EQ(shownTable().Details[0].Volume, 50); // the edit stays
}

TEST_F(WindowTest, aSaveThatFailsSaysWhyAndKeepsTheOldFilesAndTheEdits) {
    openWithAnEdit();
    // Over another table whose sample list cannot be replaced.
    WriteAll(dir / "copy.sfx", {1, 2, 3});
    fs::create_directory(dir / "copy.sam");
    const std::pair<fs::path, QString> cases[] = {
        {dir / "copy.sfx", "The table " + Q(dir / "copy.sfx") + " was not saved: its sample list " +
                               Q(dir / "copy.sam") + " cannot be written."},
#if defined(_WIN32) // a table another program holds open, sharing nothing
        {table(), "WriteSFX -> Can't write SFX\n\nCannot "},
#else // a disk full half way through the table
        {table(),
         "WriteSFX -> Can't write SFX\n\nCannot write " + Q(table()) + ": File too large."},
#endif
    };
    const Bytes before = ReadAll(table());
    for (const auto& [target, message] : cases) {
#if defined(_WIN32)
        const HANDLE held = CreateFileW(table().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        press("Save", {Script::chooseFile(Q(target)), Script::press(QMessageBox::Ok)});
        CloseHandle(held);
#else
        {
            std::optional<FileSizeLimit> diskFull;
            if (target == table()) {
                diskFull.emplace(500);
            }
            press("Save", {Script::chooseFile(Q(target)), Script::press(QMessageBox::Ok)});
        }
#endif
        ASSERT_FALSE(script->messages().isEmpty()) << message.toStdString();
        EXPECT_TRUE(script->messages().last().startsWith(message))
            << script->messages().last().toStdString();
        EXPECT_EQ(ReadAll(table()), before);
        EXPECT_EQ(shownTable().Details[0].Volume, 50); // the edit stays
        EXPECT_EQ(caption(), "city.sfx* - OBEL Sondrel");
    }
    // And is saved once nothing is in the way.
    press("Save", {Script::chooseFile(Q(table()))});
    EXPECT_EQ(ReadSFX(table()), shownTable());
    EXPECT_EQ(ReadSampleNames(sampleList(), 8), kSampleNames);
}

TEST(WindowSave, ctrlSSavesWhatTheFieldsShowWhereTheTableIs) {
    // A table named without an extension, as the level editor may name one: saved as named.
    EditorSession t("city");
    const fs::path table = t.dir / "city";
    fs::rename(t.table(), table);
    t.open();
    const QRect saveAt = t.child<QPushButton>("Save")->geometry();
    // Typed, not stored with Update: the caption marks it, and Ctrl+S stores and saves it.
    t.select(0);
    t.type("SndVOL", "55");
    EXPECT_EQ(t.caption(), "city* - OBEL Sondrel");
    t.key(Qt::CTRL | Qt::Key_S);
    SoundTable expected = MakeTable();
    expected.Details[0].Volume = 138; // 55 as typed, stored in place with no dialog
    EXPECT_EQ(ReadSFX(table), expected);
    EXPECT_EQ(t.caption(), "city - OBEL Sondrel");
    // At the first size too, over the list's last line: no control of the form moves.
    const auto* status = t.child<QLabel>("SndStatus");
    EXPECT_EQ(status->text(), "Saved city and city.sam");
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(t.child<SoundListBox>("SndLst")->geometry().contains(status->geometry()));
    EXPECT_EQ(t.child<QPushButton>("Save")->geometry(), saveAt);
}
