// What the window keeps between runs, and a table dropped on it.
#include "tests/editor/editor_session.h"

TEST(WindowSettings, theWindowKeepsItsSizeAndColumnsAndTheRecentTablesAndOpensOneDropped) {
    TempDir home;
    const QSize enlarged(640, 480);
    QString first;
    {
        EditorSession t({}, home / "settings.ini");
        t.open();
        first = Q(t.table());
        EXPECT_EQ(t.window->findChild<QPushButton*>("Play"), nullptr); // not at the first size
        t.window->resize(enlarged);
        const auto* play = t.child<QPushButton>("Play");
        EXPECT_TRUE(play->isVisible());
        EXPECT_FALSE(play->geometry().intersects(t.child<QPushButton>("Save")->geometry()));
        t.window->resize(t.window->minimumSize());
        EXPECT_FALSE(play->isVisible());
        t.window->resize(enlarged);
        t.child<SoundListBox>("SndLst")->horizontalHeader()->resizeSection(1, 77);
        t.child<SoundListBox>("SndLst")->sortBy(SoundColumn::Sound, true); // the first column
        EXPECT_TRUE(t.window->close());
    }
    EditorSession t({}, home / "settings.ini");
    t.open();
    EXPECT_EQ(t.window->size(), enlarged);
    const auto* headings = t.child<SoundListBox>("SndLst")->horizontalHeader();
    EXPECT_EQ(headings->sectionSize(1), 77);
    // The sort is brought back with its rows in that order.
    EXPECT_EQ(headings->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(t.listTexts(), (QStringList{"Object 120", "KV5 Sound 12 - 45", "KV3 Sound 45 - 4",
                                          "KV2 Sound 45 - 300"}));
    // A table dropped onto the window opens, once the changes not saved are settled; one on
    // another machine is refused.
    t.select(0);
    t.type("SndVOL", "20");
    WriteAll(t.dir / "drop.sfx", SerializeSFX(MakeTable()));
    WriteText(t.dir / "drop.sam", SerializeSampleNames(kSampleNames, 8));
    EXPECT_FALSE(
        t.drop(QUrl("file://otherhost" + QUrl::fromLocalFile(Q(t.dir / "drop.sfx")).path())));
    EXPECT_TRUE(
        t.drop(QUrl::fromLocalFile(Q(t.dir / "drop.sfx")), {Script::press(QMessageBox::Discard)}));
    EXPECT_EQ(t.caption(), "drop.sfx - OBEL Sondrel");
    // F1 tells what the keys and the flags are, as far as the table says.
    t.key(Qt::Key_F1, {Script::press(QMessageBox::Ok)});
    EXPECT_TRUE(t.script->messages().at(0).contains("P is bit 13, V bit 14 and N bit 12"));
    EXPECT_TRUE(t.script->messages().at(0).contains(
        "a number from 0 to 101, or a change of each sound's own volume: 80% for 80% of it"));
    // Nothing is written until the window closes.
    QSettings kept(Q(home / "settings.ini"), QSettings::IniFormat);
    EXPECT_EQ(kept.value("recent").toStringList(), QStringList{first});
    EXPECT_TRUE(t.window->close());
    kept.sync();
    EXPECT_EQ(kept.value("recent").toStringList(),
              (QStringList{Q(t.dir / "drop.sfx"), Q(t.table()), first}));
}

TEST(WindowSettings, whatIsKeptIsCheckedAndOnlyAPlainFileOfTheDesignersIsUsed) {
    TempDir home;
    const fs::path ini = home / "settings.ini";
    const QString garbage = QString::fromLatin1(QByteArray(64, '\xff'));
    // Places past any screen's numbers, off the screen, larger than it: the first size.
    for (const char* place : {"2000000000 0 2000000000 2000000000", "90000 0 400 300"}) {
        {
            QSettings kept(Q(ini), QSettings::IniFormat);
            kept.setValue("place", place);
            kept.setValue("list", "order 0 0 1 2 3 4 5 6 7; widths 1 1 1 1 1 1 1 1 1; sort none");
            kept.setValue("columns", garbage); // an earlier version's blob, no longer read
        }
        EditorSession t({}, ini);
        t.open();
        EXPECT_EQ(t.window->size(), t.window->minimumSize()) << place;
        EXPECT_EQ(t.child<SoundListBox>("SndLst")->horizontalHeader()->visualIndex(1), 1);
        EXPECT_TRUE(t.window->close());
    }
    EXPECT_FALSE(QSettings(Q(ini), QSettings::IniFormat).contains("columns"));
#if !defined(_WIN32) // links and named pipes
    // A settings file that is a link, or a named pipe: started as the first time, said once,
    // and nothing written through it at the end.
    WriteText(home / "profile", "keep me\n");
    fs::create_symlink(home / "profile", home / "linked.ini");
    ASSERT_EQ(mkfifo((home / "pipe.ini").c_str(), 0600), 0);
    for (const char* name : {"linked.ini", "pipe.ini"}) {
        EditorSession t({}, home / name);
        t.open();
        EXPECT_TRUE(t.child<QLabel>("SndStatus")
                        ->text()
                        .endsWith("is not a settings file of yours: Sondrel starts as it does the "
                                  "first time and keeps "
                                  "nothing for the next run"));
        EXPECT_TRUE(t.window->close());
    }
    EXPECT_EQ(ReadText(home / "profile"), "keep me\n");
    EXPECT_TRUE(fs::is_symlink(home / "linked.ini"));
    EXPECT_EQ(fs::status(home / "pipe.ini").type(), fs::file_type::fifo);
#endif
}
