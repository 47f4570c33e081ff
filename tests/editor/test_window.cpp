// The window end to end: real files in a temporary folder, the real Qt file dialogs and
// message boxes, answered through ModalScript.
#include "editor/file_dialog.h"
#include "editor/flag_label.h"
#include "editor/sondrel.h"
#include "formats/sample_names.h"
#include "tests/editor/modal_script.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_files.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cmath>

#include <gtest/gtest.h>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;
using Script = ModalScript;

namespace {

const std::vector<std::string> kSampleNames = {
    "KV5 Sound 12.wav", "Door creak.wav",   "Door slam.wav",    "KV3 Sound 45-bell.wav",
    "KV3 Sound 46.wav", "KV3 Sound 47.wav", "KV2 Sound ab.wav", "KV1 Sound 9.wav",
};

// Five details: a series sound with V and loop mode 2, a native one with P, N and loop mode
// 1, a series sound on two slots, one whose number carries over, and one no slot uses.
SoundTable MakeTable() {
    return TableOf({{45, 0}, {120, 1}, {12, 2}, {4, 2}, {300, 3}},
                   // Sample, Volume, Radius, Chance, Pitch, Flags
                   {{0, 250, 0xE5, 10, 126, 0x4000 | 4 | 2},
                    {1, 255, 31, 255, 127, 0x3000 | 8 | 1},
                    {3, 4, 3, 2, 5, 0x8F80 | 12 | 3},
                    {6, 0, 0, 0, 0, 4},
                    {7, 1, 1, 1, 1, 4}},
                   static_cast<std::int32_t>(kSampleNames.size()));
}

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// One run of the editor over its own folder.
class EditorSession {
public:
    EditorSession() {
        ObjectDatabase database;
        for (int slot = 0; slot < kSoundSlots; ++slot) {
            database.names.push_back("Object " + std::to_string(slot));
        }
        WriteAll(dir / kObjectDatabaseName, database.bytes());
        WriteAll(table(), SerializeSFX(MakeTable()));
        WriteText(sampleList(), SerializeSampleNames(kSampleNames, 8));
    }

    fs::path table() const { return dir / "city.sfx"; }
    fs::path sampleList() const { return dir / "city.sam"; }

    // Runs the start-up, answering its dialogs with `steps`.
    Sondrel::LoadResult start(std::vector<Script::Step> steps) {
        script = std::make_unique<Script>(std::move(steps));
        const Sondrel::LoadResult result = window.Form_Load();
        EXPECT_TRUE(script->finished());
        return result;
    }
    // Starts on the table, answers the question, and shows the window.
    void open(bool includeNative = true) {
        ASSERT_EQ(start({Script::chooseFile(Q(table())),
                         Script::press(includeNative ? QMessageBox::Yes : QMessageBox::No)}),
                  Sondrel::LoadResult::Ready);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    // Runs a click or key that opens dialogs, answering them with `steps`.
    void interact(const std::function<void()>& action, std::vector<Script::Step> steps) {
        script = std::make_unique<Script>(std::move(steps));
        action();
        EXPECT_TRUE(script->finished());
    }
    // The example table opened, its first sound given volume 20 (stored as 50) by Update.
    void openWithAnEdit() {
        open();
        select(0);
        type("SndVOL", "20");
        QTest::mouseClick(child<QPushButton>("Update"), Qt::LeftButton);
    }

    void save(std::vector<Script::Step> steps) {
        interact([this] { QTest::mouseClick(child<QPushButton>("Save"), Qt::LeftButton); },
                 std::move(steps));
    }

    template <class T> T* child(const char* name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QStringList listTexts() {
        QStringList texts;
        for (int row = 0; row < child<QListWidget>("SndLst")->count(); ++row) {
            texts << child<QListWidget>("SndLst")->item(row)->text();
        }
        return texts;
    }
    void select(int row) {
        auto* list = child<QListWidget>("SndLst");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < row; ++i) {
            QTest::keyClick(list, Qt::Key_Down);
        }
        ASSERT_EQ(list->currentRow(), row);
    }
    QStringList fields() {
        return {child<QLineEdit>("SndRAD")->text(), child<QLineEdit>("SndVOL")->text(),
                child<QLineEdit>("SndPIT")->text(), child<QLineEdit>("SndCH")->text()};
    }
    void type(const char* field, const QString& text) {
        auto* edit = child<QLineEdit>(field);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    std::vector<ColourValue> colours() {
        std::vector<ColourValue> values;
        for (const char* name : {"SndP", "SndV", "SndR", "SndL", "SndN"}) {
            values.push_back(child<FlagLabel>(name)->colour());
        }
        return values;
    }
    void clickLabel(const char* name) { QTest::mouseClick(child<FlagLabel>(name), Qt::LeftButton); }

    TempDir dir;
    Sondrel window{{.objectDatabase = dir / kObjectDatabaseName, .table = {}}};
    std::unique_ptr<Script> script;
};

class WindowTest : public ::testing::Test, public EditorSession {};

constexpr ColourValue R = kRed;
constexpr ColourValue B = kBlack;
constexpr ColourValue S = kButtonTextColour;

} // namespace

TEST_F(WindowTest, tabVisitsTheControlsInOrder) {
    open();
    QStringList order;
    QWidget* focus = child<QListWidget>("SndLst");
    EXPECT_EQ(QApplication::focusWidget(), focus);
    for (int i = 0; i < 9; ++i) {
        order << focus->objectName();
        focus = focus->nextInFocusChain();
        while (!(focus->focusPolicy() & Qt::TabFocus) || focus->objectName().isEmpty()) {
            focus = focus->nextInFocusChain();
        }
    }
    EXPECT_EQ(order, (QStringList{"SndLst", "Samples", "SndRAD", "SndVOL", "SndPIT", "SndCH",
                                  "Update", "Save", "SndLst"}));
}

TEST_F(WindowTest, startUpListsSeriesAndNativeSounds) {
    open(true);
    const SeenDialog& opened = script->seen().at(0);
    EXPECT_EQ(opened.kind, "open");
    EXPECT_EQ(opened.nameFilters, QStringList{"OBEL Sound Files (*.sfx)"});
    EXPECT_EQ(opened.directory, QDir::currentPath()); // the level editor's folder is not here
    const SeenDialog& question = script->seen().at(1);
    EXPECT_EQ(question.text, "Include KV4 sounds?");
    EXPECT_EQ(question.title, "Sondrel");
    EXPECT_FALSE(question.hasIcon);
    EXPECT_EQ(question.buttons,
              (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No}));
    EXPECT_EQ(question.defaultButton, QMessageBox::Yes);

    EXPECT_EQ(listTexts(), (QStringList{"KV5 Sound 12 - 45", "Object 120", "KV3 Sound 45 - 4",
                                        "KV2 Sound 45 - 300"}));
    EXPECT_EQ(window.state().ListToDetail, (std::vector<std::int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(window.state().ListEntryCount, 4);
    EXPECT_TRUE(window.state().ListLoaded);
    EXPECT_TRUE(child<QListWidget>("SndLst")->selectedItems().isEmpty());
    // Building the list selected each entry, but nothing was shown.
    EXPECT_EQ(fields(), (QStringList{"", "", "", ""}));
    EXPECT_EQ(child<QComboBox>("Samples")->currentText(), "None");
    EXPECT_EQ(colours(), (std::vector<ColourValue>{S, S, S, S, S}));
}

TEST_F(WindowTest, answeringNoLeavesNativeSoundsOut) {
    open(false);
    EXPECT_EQ(listTexts(),
              (QStringList{"KV5 Sound 12 - 45", "KV3 Sound 45 - 4", "KV2 Sound 45 - 300"}));
    EXPECT_EQ(window.state().ListToDetail, (std::vector<std::int32_t>{1, 3, 4}));
}

TEST_F(WindowTest, cancellingTheOpenDialogEndsQuietlyWritingNothing) {
    const auto before = dir.entries();
    EXPECT_EQ(start({Script::cancel()}), Sondrel::LoadResult::Cancelled);
    EXPECT_TRUE(script->messages().isEmpty());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(dir.entries(), before);
}

TEST_F(WindowTest, startUpFailuresAreShownAndEndBeforeTheWindow) {
    struct Case {
        const char* what;
        std::function<void(EditorSession&)> damage;
        int dialogsBefore; // 0: none; 1: the open dialog; 2: the open dialog and the question
        QString message;
    };
    const std::vector<Case> cases = {
        {"an empty table", [](EditorSession& t) { WriteAll(t.table(), {}); }, 1,
         "Sondrel cannot go on: failure 10.\n\nThe table has a sample count of 0, so its sample "
         "list " +
             Q(dir / "city.sam") +
             " cannot be read.\n\nThis table has no samples to edit: choose another table."},
        {"a missing sample list", [](EditorSession& t) { fs::remove(t.sampleList()); }, 1,
         "Sondrel cannot go on: failure 11.\n\nThe sample list " + Q(dir / "city.sam") +
             " is missing or cannot be opened.\n\nPut the table's sample list (.sam, the same "
             "name) beside it, or choose another table."},
        {"a short sample list",
         [](EditorSession& t) { WriteText(t.sampleList(), "a.wav\r\nb.wav\r\n"); }, 1,
         "Sondrel cannot go on: failure 12.\n\nThe sample list " + Q(dir / "city.sam") +
             " has 2 names, the table needs 8.\n\nPut the sample list that belongs to this "
             "table beside it, or choose another table."},
        {"a count too large",
         [](EditorSession& t) {
             Bytes bytes = SerializeSFX(MakeTable());
             bytes[743] = 0x7F;
             WriteAll(t.table(), bytes);
         },
         1,
         "ReadSFX -> Can't read SFX\n\nCheck that the file is a sound table you may read, or "
         "choose another table."},
        {"a listed sound outside the sample list",
         [](EditorSession& t) {
             SoundTable table = MakeTable();
             table.Details[2].Sample = 8;
             WriteAll(t.table(), SerializeSFX(table));
         },
         2, ""},
        {"an object database with 542 names",
         [](EditorSession& t) {
             ObjectDatabase database;
             database.names.resize(542);
             WriteAll(t.dir / kObjectDatabaseName, database.bytes());
         },
         0, ""},
    };
    for (const Case& c : cases) {
        EditorSession t;
        c.damage(t);
        const auto before = t.dir.entries();
        const Bytes tableBefore = ReadAll(t.table());
        std::vector<Script::Step> steps;
        if (c.dialogsBefore >= 1) {
            steps.push_back(Script::chooseFile(Q(t.table())));
        }
        if (c.dialogsBefore >= 2) {
            steps.push_back(Script::press(QMessageBox::Yes));
        }
        steps.push_back(Script::press(QMessageBox::Ok));
        EXPECT_EQ(t.start(std::move(steps)), Sondrel::LoadResult::Failed) << c.what;
        ASSERT_EQ(t.script->messages().size(), c.dialogsBefore >= 2 ? 2 : 1) << c.what;
        if (!c.message.isEmpty()) {
            EXPECT_EQ(t.script->messages().last(),
                      QString(c.message).replace(Q(dir.path()), Q(t.dir.path())))
                << c.what;
        } else {
            EXPECT_TRUE(t.script->messages().last().startsWith("Sondrel cannot go on: failure"))
                << c.what;
        }
        EXPECT_EQ(t.script->seen().back().title, "Sondrel");
        EXPECT_FALSE(t.window.isVisible()) << c.what;
        EXPECT_EQ(t.dir.entries(), before) << c.what;
        EXPECT_EQ(ReadAll(t.table()), tableBefore) << c.what;
    }
}

TEST_F(WindowTest, selectingShowsTheSoundInTheDesignersUnits) {
    open();
    select(0);
    EXPECT_EQ(fields(), (QStringList{"5", "100", "100", "4"}));
    EXPECT_EQ(colours(), (std::vector<ColourValue>{B, R, R, B, B})); // P V R L N
    auto* samples = child<QComboBox>("Samples");
    EXPECT_EQ(samples->count(), 1);
    EXPECT_EQ(samples->currentText(), "KV5 Sound 12.wav");

    QTest::keyClick(child<QListWidget>("SndLst"), Qt::Key_Down);
    EXPECT_EQ(fields(), (QStringList{"31", "101", "100", "101"}));
    EXPECT_EQ(colours(), (std::vector<ColourValue>{R, B, B, R, R}));
    EXPECT_EQ(samples->count(), 2);
    EXPECT_EQ(samples->itemText(1), "Door slam.wav");
    EXPECT_EQ(samples->currentIndex(), 0);
}

TEST_F(WindowTest, flagLabelsSwitchOnClicks) {
    open();
    clickLabel("SndV");
    EXPECT_EQ(colours(), (std::vector<ColourValue>{
                             S, B, S, S, S})); // the first click on the start colour clears
    clickLabel("SndV");
    EXPECT_EQ(colours(), (std::vector<ColourValue>{S, R, S, S, S}));
    select(0); // R lit
    clickLabel("SndL");
    EXPECT_EQ(colours(), (std::vector<ColourValue>{B, R, B, R, B}));
    clickLabel("SndL");
    EXPECT_EQ(colours(), (std::vector<ColourValue>{B, R, B, B, B}));
    clickLabel("SndR");
    EXPECT_EQ(colours(), (std::vector<ColourValue>{B, R, R, B, B}));
    clickLabel("SndP");
    clickLabel("SndN");
    EXPECT_EQ(colours(), (std::vector<ColourValue>{R, R, R, B, R}));
    EXPECT_EQ(window.state().Table, MakeTable()); // clicks alone store nothing

    // A double-click, as the window system delivers it, is one click.
    QWidget* n = child<FlagLabel>("SndN");
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {},
                       n->mapTo(&window, n->rect().center()));
    EXPECT_EQ(colours(), (std::vector<ColourValue>{R, R, R, B, B}));
}

TEST_F(WindowTest, theKeyboardSwitchesFlagsUpdatesAndSaves) {
    open();
    select(2); // L lit; the unshown flag bits set
    auto* list = child<QListWidget>("SndLst");
    QTest::keyClick(list, Qt::Key_P, Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_R, Qt::AltModifier);
    type("SndVOL", "3");
    QTest::keyClick(child<QLineEdit>("SndVOL"), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(colours(), (std::vector<ColourValue>{R, B, R, B, R})); // P V R L N
    EXPECT_EQ(window.state().Table, MakeTable());
    QTest::keyClick(child<QLineEdit>("SndVOL"), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(window.state().Table.Details[2].Volume, 8);
    EXPECT_EQ(window.state().Table.Details[2].Flags, 0x8F80 | 0x2000 | 0x1000 | 12 | 2);
    EXPECT_EQ(QApplication::focusWidget(), list); // the keys move no focus to a label

    interact([&] { QTest::keyClick(list, Qt::Key_S, Qt::ControlModifier); },
             {Script::chooseFile(Q(dir / "keys.sfx"))});
    EXPECT_EQ(ReadSFX(dir / "keys.sfx"), window.state().Table);
}

TEST_F(WindowTest, aScreenReaderNamesEveryControlAndWorksTheFlags) {
    open();
    // A drop-down's name, as Qt gives it on Linux, is its text; its own name is there too.
    EXPECT_EQ(child<QComboBox>("Samples")->accessibleName(), "Samples");
    const std::pair<const char*, const char*> names[] = {
        {"SndLst", "Sounds"}, {"SndRAD", "Range"},     {"SndVOL", "Volume"},    {"SndPIT", "Pitch"},
        {"SndCH", "Chance"},  {"Save", "Save"},        {"Update", "Update"},    {"SndP", "P flag"},
        {"SndV", "V flag"},   {"SndR", "Loop mode R"}, {"SndL", "Loop mode L"}, {"SndN", "N flag"}};
    for (const auto& [control, name] : names) {
        QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(child<QWidget>(control));
        ASSERT_NE(seen, nullptr) << control;
        EXPECT_EQ(seen->text(QAccessible::Name), name) << control;
    }
    const std::pair<const char*, const char*> buddies[] = {
        {"Label1", "SndRAD"}, {"Label2", "SndVOL"}, {"Label3", "SndPIT"}, {"Label4", "SndCH"}};
    for (const auto& [caption, field] : buddies) {
        EXPECT_EQ(child<QLabel>(caption)->buddy(), child<QWidget>(field)) << caption;
    }

    select(0); // V and R lit
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
}

TEST_F(WindowTest, updateStoresTheFieldsAndFlagsIntoTheSelectedSound) {
    open();
    select(2); // detail 2
    type("SndRAD", "33");
    type("SndVOL", "3");
    type("SndPIT", "50");
    type("SndCH", "1 2");
    clickLabel("SndV");
    clickLabel("SndR");
    QTest::mouseClick(child<QPushButton>("Update"), Qt::LeftButton);

    SoundTable expected = MakeTable();
    expected.Details[2] = {3, 8, 1, 30, 63, 0x8F80 | 0x4000 | 12 | 2}; // the unshown bits stay
    EXPECT_EQ(window.state().Table, expected);
    EXPECT_EQ(fields(), (QStringList{"33", "3", "50", "1 2"})); // Update shows nothing anew
}

TEST_F(WindowTest, updateWithoutEditsChangesNoByteHoweverOften) {
    open();
    for (int row = 0; row < 4; ++row) {
        for (int update = 0; update < 5; ++update) {
            select(row == 0 ? 1 : 0); // away and back, so that the sound is shown anew
            select(row);
            QTest::mouseClick(child<QPushButton>("Update"), Qt::LeftButton);
        }
    }
    EXPECT_EQ(window.state().Table, MakeTable());
}

TEST_F(WindowTest, updateWithNothingSelectedChangesNothing) {
    open();
    type("SndVOL", "50");
    QTest::mouseClick(child<QPushButton>("Update"), Qt::LeftButton);
    EXPECT_EQ(window.state().Table, MakeTable());
}

TEST_F(WindowTest, updateWithAValueThatCannotBeStoredChangesNothingAndSaysWhich) {
    open();
    select(1);
    const std::pair<const char*, const char*> cases[] = {
        {"SndVOL", "VOL"}, {"SndRAD", "RAD"}, {"SndPIT", "PIT"}, {"SndCH", "CH"}};
    for (const auto& [field, name] : cases) {
        for (const char* value : {"1E300", "-1E10"}) {
            select(1);
            type("SndRAD", "7");
            type(field, value);
            interact([this] { QTest::mouseClick(child<QPushButton>("Update"), Qt::LeftButton); },
                     {Script::press(QMessageBox::Ok)});
            EXPECT_EQ(script->messages(),
                      QStringList{QString("The value in %1 is outside the range that can be "
                                          "stored. The sound was not changed.")
                                      .arg(name)})
                << field << " " << value;
            EXPECT_EQ(window.state().Table, MakeTable()) << field << " " << value;
        }
    }
}

TEST_F(WindowTest, messagesStandOverTheScreenUntilTheWindowIsShownThenOverIt) {
    open();
    auto distance = [](const QPoint& a, const QPoint& b) { return (a - b).manhattanLength(); };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(distance(script->seen().at(0).frame.center(), screen.center()), 4); // open dialog
    EXPECT_LE(distance(script->seen().at(1).frame.center(), screen.center()), 4); // the question
    window.move(screen.topLeft() + QPoint(10, 20));
    select(1);
    type("SndVOL", "1E300");
    interact([this] { QTest::mouseClick(child<QPushButton>("Update"), Qt::LeftButton); },
             {Script::press(QMessageBox::Ok)});
    EXPECT_TRUE(window.geometry().contains(script->seen().at(0).frame.center()));
}

TEST_F(WindowTest, theListKeepsItsSelectionOnceOneIsMade) {
    open();
    auto* list = child<QListWidget>("SndLst");
    auto rowCentre = [list](int row) { return list->visualItemRect(list->item(row)).center(); };
    const std::pair<const char*, std::function<void()>> gestures[] = {
        {"a click below the entries",
         [&] {
             QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                               QPoint(20, list->viewport()->height() - 3));
         }},
        {"Ctrl+click on the selected entry",
         [&] {
             QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(1));
         }},
        {"Ctrl+Space", [&] { QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier); }},
    };
    std::uint8_t volume = 10;
    for (const auto& [what, gesture] : gestures) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(1)); // the mouse selects
        type("SndVOL", QString::number(volume));
        gesture();
        EXPECT_EQ(list->selectedItems().size(), 1) << what;
        EXPECT_EQ(list->currentRow(), 1) << what;
        EXPECT_EQ(fields().at(1), QString::number(volume)) << what;
        QTest::mouseClick(child<QPushButton>("Update"), Qt::LeftButton);
        EXPECT_EQ(window.state().Table.Details[1].Volume, volume * 5 / 2 & 0xFE) << what;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(2));
        EXPECT_EQ(list->currentRow(), 2) << what;
        volume += 10;
    }
}

TEST_F(WindowTest, aLongListOpensOnItsLastEntriesWithNoneSelected) {
    SoundDetail oneSample{};
    oneSample.Flags = 4;
    std::vector<std::pair<int, std::int16_t>> used; // slot d uses detail d
    for (std::int16_t d = 0; d < 40; ++d) {
        used.emplace_back(d, d);
    }
    WriteAll(table(), SerializeSFX(TableOf(used, std::vector(40, oneSample), 8)));
    open();
    auto* list = child<QListWidget>("SndLst");
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(39))));
    EXPECT_FALSE(list->viewport()->rect().intersects(list->visualItemRect(list->item(0))));
}

TEST_F(WindowTest, textTypedIntoSamplesAddsNothing) {
    open();
    select(1);
    auto* samples = child<QComboBox>("Samples");
    samples->lineEdit()->selectAll();
    QTest::keyClicks(samples->lineEdit(), "typed.wav");
    QTest::keyClick(samples->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(samples->count(), 2);
    EXPECT_EQ(samples->itemText(0), "Door creak.wav");
    EXPECT_EQ(samples->itemText(1), "Door slam.wav");
}

TEST_F(WindowTest, savingUnchangedToItsOwnNameIsByteIdentical) {
    open();
    const Bytes table = ReadAll(this->table());
    const std::string list = ReadText(sampleList());
    save({Script::chooseFile(Q(this->table())), Script::press(QMessageBox::Yes)});
    const SeenDialog& dialog = script->seen().at(0);
    EXPECT_EQ(dialog.kind, "save");
    ASSERT_EQ(dialog.selectedFiles.size(), 1);
    EXPECT_EQ(QDir::toNativeSeparators(dialog.selectedFiles.at(0)),
              Q(this->table())); // the save dialog offers the opened table
    EXPECT_EQ(dialog.nameFilters, QStringList{"OBEL Sound Files (*.sfx)"});
    EXPECT_EQ(ReadAll(this->table()), table);
    EXPECT_EQ(ReadText(sampleList()), list);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"KV4Objects.dat", "city.sam", "city.sfx"}));
}

TEST_F(WindowTest, editedSoundIsSavedUnderANewNameAndReadsBack) {
    open(false);
    select(0);
    type("SndVOL", "10");
    QTest::mouseClick(child<QPushButton>("Update"), Qt::LeftButton);
    save({Script::chooseFile(Q(dir / "copy.SFX"))});

    SoundTable expected = MakeTable();
    expected.Details[0].Volume = 24; // 10 * 2.5 = 25, without its low bit; nothing else changes
    EXPECT_EQ(ReadSFX(dir / "copy.SFX"), expected);
    EXPECT_EQ(ReadSampleNames(dir / "copy.sam", 8), kSampleNames);
    EXPECT_EQ(ReadText(dir / "copy.sam"), SerializeSampleNames(kSampleNames, 8));
    EXPECT_EQ(window.state().Table, expected);
    EXPECT_EQ(child<QListWidget>("SndLst")->currentRow(),
              0); // saving changes nothing in the window
    EXPECT_EQ(fields().at(1), "10");
}

TEST_F(WindowTest, aNameTypedWithoutAnExtensionIsSavedAsATable) {
    open();
    save({Script::chooseFile(Q(dir / "newlevel"))});
    EXPECT_EQ(ReadSFX(dir / "newlevel.sfx"), MakeTable());
    EXPECT_EQ(ReadSampleNames(dir / "newlevel.sam", 8), kSampleNames);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"KV4Objects.dat", "city.sam", "city.sfx",
                                                       "newlevel.sam", "newlevel.sfx"}));
}

TEST_F(WindowTest, aTableChangedByAnotherProgramIsReplacedOnlyWhenTheDesignerSaysSo) {
    openWithAnEdit();
    // The level editor rewrites the table, same size, while Sondrel has it open.
    SoundTable theirs = MakeTable();
    theirs.Details[4].Pitch = 99;
    WriteAll(table(), SerializeSFX(theirs));
    const QString question = "The file " + Q(table()) +
                             " has been changed by another program since Sondrel last read or "
                             "saved it.\n\nReplace it, losing those changes?";

    // Qt's own question first (the file exists), then Sondrel's, whose default is No.
    save({Script::chooseFile(Q(table())), Script::press(QMessageBox::Yes),
          Script::press(QMessageBox::No)});
    EXPECT_EQ(script->messages().last(), question);
    EXPECT_EQ(script->seen().back().defaultButton, QMessageBox::No);
    EXPECT_EQ(ReadSFX(table()), theirs);
    EXPECT_EQ(window.state().Table.Details[0].Volume, 50);

#if !defined(_WIN32) // a file size limit
    // A save that fails half way leaves their table, which is still not ours to replace.
    {
        FileSizeLimit limit(500);
        save({Script::chooseFile(Q(table())), Script::press(QMessageBox::Yes),
              Script::press(QMessageBox::Yes), Script::press(QMessageBox::Ok)});
    }
    EXPECT_EQ(ReadSFX(table()), theirs);
#endif
    save({Script::chooseFile(Q(table())), Script::press(QMessageBox::Yes),
          Script::press(QMessageBox::Yes)});
    EXPECT_EQ(script->messages().last(), question);
    EXPECT_EQ(ReadSFX(table()), window.state().Table);

    // Now the file is as Sondrel wrote it: saving again asks only whether to replace it.
    save({Script::chooseFile(Q(table())), Script::press(QMessageBox::Yes)});
    EXPECT_EQ(script->seen().size(), 2u);

    // The sample list is watched as well.
    WriteText(sampleList(), ReadText(sampleList()) + "extra.wav\r\n");
    save({Script::chooseFile(Q(table())), Script::press(QMessageBox::Yes),
          Script::press(QMessageBox::No)});
    EXPECT_TRUE(script->messages().last().startsWith("The file " + Q(sampleList()) + " has"));
}

TEST_F(WindowTest, cancellingTheSaveDialogWritesNothing) {
    openWithAnEdit(); // an edit a save would write over the table the dialog offers
    const auto before = dir.entries();
    const Bytes table = ReadAll(this->table());
    const std::string list = ReadText(sampleList());
    save({Script::cancel()});
    EXPECT_EQ(dir.entries(), before);
    EXPECT_EQ(ReadAll(this->table()), table);
    EXPECT_EQ(ReadText(sampleList()), list);
    EXPECT_TRUE(script->messages().isEmpty());
}

#if !defined(_WIN32) // a file size limit
TEST_F(WindowTest, failedSaveKeepsTheOldFilesAndTheEdits) {
    openWithAnEdit();
    const Bytes oldTable = ReadAll(table());
    const std::string oldList = ReadText(sampleList());
    const fs::file_time_type listTime = fs::last_write_time(sampleList()) - std::chrono::hours(1);
    fs::last_write_time(sampleList(), listTime);
    {
        // The disk fills half way through the table.
        FileSizeLimit limit(500);
        save({Script::chooseFile(Q(table())), Script::press(QMessageBox::Yes),
              Script::press(QMessageBox::Ok)});
    }
    EXPECT_EQ(script->messages().last(),
              "WriteSFX -> Can't write SFX\n\nCannot write " + Q(table()) + ": File too large.");
    EXPECT_EQ(ReadAll(table()), oldTable);
    EXPECT_EQ(ReadText(sampleList()), oldList);
    EXPECT_EQ(fs::last_write_time(sampleList()), listTime); // not even written anew
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"KV4Objects.dat", "city.sam", "city.sfx"}));
    EXPECT_TRUE(window.isVisible());

    // The edits are still there for a save that works.
    fs::create_directory(dir / "good");
    save({Script::chooseFile(Q(dir / "good" / "city.sfx"))});
    EXPECT_TRUE(script->messages().isEmpty());
    EXPECT_EQ(ReadSFX(dir / "good" / "city.sfx"), window.state().Table);
    EXPECT_EQ(window.state().Table.Details[0].Volume, 50);
    EXPECT_EQ(ReadSampleNames(dir / "good" / "city.sam", 8), kSampleNames);
}
#endif

TEST_F(WindowTest, aNameWhoseSampleListIsTheTableItselfIsRefused) {
    openWithAnEdit();
    const auto before = dir.entries();
    const std::string list = ReadText(sampleList());
    // Over the sample list itself (the dialog asks before replacing it), and a new name.
    const std::pair<fs::path, std::vector<Script::Step>> cases[] = {
        {sampleList(), {Script::press(QMessageBox::Yes), Script::press(QMessageBox::Ok)}},
        {dir / "new.sam", {Script::press(QMessageBox::Ok)}},
    };
    for (const auto& [name, answers] : cases) {
        std::vector<Script::Step> steps{Script::chooseFile(Q(name))};
        steps.insert(steps.end(), answers.begin(), answers.end());
        save(std::move(steps));
        const SeenDialog& refusal = script->seen().back();
        EXPECT_EQ(refusal.title, "Sondrel");
        EXPECT_TRUE(refusal.text.startsWith("The table cannot be saved as " + Q(name) +
                                            ": its sample list"))
            << refusal.text.toStdString();
    }
    EXPECT_EQ(dir.entries(), before);
    EXPECT_EQ(ReadText(sampleList()), list);
    EXPECT_EQ(window.state().Table.Details[0].Volume, 50); // the edit stays
}

TEST_F(WindowTest, aSampleListThatCannotBeWrittenSavesNeitherFile) {
    open();
    // Over another table whose sample list cannot be replaced.
    WriteAll(dir / "copy.sfx", {1, 2, 3});
    fs::create_directory(dir / "copy.sam");
    save({Script::chooseFile(Q(dir / "copy.sfx")), Script::press(QMessageBox::Yes),
          Script::press(QMessageBox::Ok)});
    ASSERT_EQ(script->messages().size(), 2); // Qt's question whether to replace, then ours
    EXPECT_TRUE(script->messages().last().startsWith("The table " + Q(dir / "copy.sfx") +
                                                     " was not saved: its sample list " +
                                                     Q(dir / "copy.sam") + " cannot be written."))
        << script->messages().last().toStdString();
    EXPECT_EQ(ReadAll(dir / "copy.sfx"), (Bytes{1, 2, 3}));
    EXPECT_TRUE(fs::is_directory(dir / "copy.sam"));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"KV4Objects.dat", "city.sam", "city.sfx",
                                                       "copy.sam", "copy.sfx"}));
}

TEST_F(WindowTest, flagLabelsArePaintedInTheirColour) {
    open();
    select(0); // V and R lit
    auto countRed = [this](const char* name) {
        const QImage image = child<FlagLabel>(name)->grab().toImage();
        int red = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                red += pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80;
            }
        }
        return red;
    };
    EXPECT_GT(countRed("SndV"), 0);
    EXPECT_GT(countRed("SndR"), 0);
    EXPECT_EQ(countRed("SndP"), 0);
}

TEST_F(WindowTest, inconsistentSoundsShowWhatIsValid) {
    SoundTable damaged = MakeTable();
    damaged.Details[0].Flags = 0x4000; // no samples
    damaged.Details[2].Sample = 6;     // samples 6, 7 and 8, of which 8 is not in the list
    WriteAll(table(), SerializeSFX(damaged));
    open();
    auto* samples = child<QComboBox>("Samples");
    select(0);
    EXPECT_EQ(samples->count(), 0);
    EXPECT_EQ(samples->currentIndex(), -1);
    EXPECT_EQ(fields(), (QStringList{"5", "100", "100", "4"}));
    select(2);
    EXPECT_EQ(samples->count(), 2);
    EXPECT_EQ(samples->itemText(1), "KV1 Sound 9.wav");
}

TEST(WindowLook, staysLightAndLegibleOnADarkDesktop) {
    const QPalette desktop = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(0x30, 0x30, 0x30))); // a dark theme
    {
        EditorSession session;
        session.open();
        // The contrast of two colours, as the web's accessibility guidelines measure it.
        auto luminance = [](const QColor& colour) {
            double sum = 0;
            const double weights[] = {0.2126, 0.7152, 0.0722};
            const double channels[] = {colour.redF(), colour.greenF(), colour.blueF()};
            for (int i = 0; i < 3; ++i) {
                const double c = channels[i];
                sum += weights[i] * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
            }
            return sum;
        };
        auto contrast = [&](const QColor& a, const QColor& b) {
            const double la = luminance(a);
            const double lb = luminance(b);
            return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
        };
        const QImage shown = session.window.grab().toImage();
        const QColor face = shown.pixelColor(shown.width() - 2, shown.height() - 2);
        EXPECT_GE(contrast(Qt::black, face), 4.5) << face.name().toStdString();
        EXPECT_GE(contrast(Qt::red, face), 3.0) << face.name().toStdString();
        for (const char* field : {"SndLst", "SndVOL", "Label2"}) {
            const QPalette palette = session.child<QWidget>(field)->palette();
            EXPECT_GE(contrast(palette.color(QPalette::Text), palette.color(QPalette::Base)), 4.5)
                << field;
            EXPECT_GE(contrast(palette.color(QPalette::WindowText), face), 4.5) << field;
        }
    }
    QApplication::setPalette(desktop);
}

TEST(WindowStart, aTableNamedAtStartIsOpenedWithoutTheOpenDialog) {
    EditorSession session;
    Sondrel named({.objectDatabase = session.dir / kObjectDatabaseName, .table = session.table()});
    Script answers({Script::press(QMessageBox::Yes)});
    ASSERT_EQ(named.Form_Load(), Sondrel::LoadResult::Ready);
    EXPECT_TRUE(answers.finished());
    EXPECT_EQ(answers.seen().at(0).text, "Include KV4 sounds?");
    EXPECT_EQ(named.state().ListEntryCount, 4);
    EXPECT_EQ(named.findChild<FileDialog*>("FM")->FileName(), Q(session.table())); // Save offers it
}

TEST(WindowStart, aMissingObjectDatabaseGivesEmptyNamesAndCreatesNothing) {
    EditorSession session;
    const fs::path program = session.dir / "program";
    fs::create_directory(program);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    Sondrel window({.objectDatabase = program / kObjectDatabaseName, .table = session.table()});
    Script answers({Script::press(QMessageBox::Yes)});
    ASSERT_EQ(window.Form_Load(), Sondrel::LoadResult::Ready);
    EXPECT_TRUE(fs::is_empty(program));
    EXPECT_EQ(window.state().ObjectNames, ObjectNameTable{});
    auto* list = window.findChild<QListWidget*>("SndLst");
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(1)->text(), ""); // the native sound, listed without a name
    fs::permissions(program, fs::perms::owner_all);
}

#if !defined(_WIN32) // file names that are bytes
TEST(WindowStart, aTableWhoseNameIsNotValidUtf8OpensAndSavesInPlace) {
    EditorSession session;
    const fs::path table = session.dir / "caf\xE9.sfx";
    fs::rename(session.table(), table);
    fs::rename(session.sampleList(), session.dir / "caf\xE9.sam");
    Sondrel window({.objectDatabase = session.dir / kObjectDatabaseName, .table = table});
    {
        Script answers({Script::press(QMessageBox::Yes)});
        ASSERT_EQ(window.Form_Load(), Sondrel::LoadResult::Ready);
    }
    EXPECT_EQ(window.state().ListEntryCount, 4);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    auto* volume = window.findChild<QLineEdit*>("SndVOL");
    window.findChild<QListWidget*>("SndLst")->setCurrentRow(0);
    volume->setText("10");
    QTest::mouseClick(window.findChild<QPushButton*>("Update"), Qt::LeftButton);
    // Saved as offered: the very file that was opened, not one named as Qt shows it.
    const QString offered = window.findChild<FileDialog*>("FM")->FileName();
    Script save({Script::chooseFile(offered)});
    QTest::mouseClick(window.findChild<QPushButton*>("Save"), Qt::LeftButton);
    EXPECT_TRUE(save.finished());
    EXPECT_EQ(ReadSFX(table).Details[0].Volume, 24);
    EXPECT_EQ(session.dir.entries(),
              (std::vector<std::string>{"KV4Objects.dat", "caf\xE9.sam", "caf\xE9.sfx"}));
}
#endif

TEST(WindowStart, aMissingTableNamedAtStartEndsWithAMessageCreatingNothing) {
    EditorSession session;
    const auto before = session.dir.entries();
    Sondrel named(
        {.objectDatabase = session.dir / kObjectDatabaseName, .table = session.dir / "gone.sfx"});
    Script answers({Script::press(QMessageBox::Ok)});
    EXPECT_EQ(named.Form_Load(), Sondrel::LoadResult::Failed);
    EXPECT_EQ(answers.messages(),
              QStringList{"Sondrel cannot go on: failure 4.\n\nThere is no sound table " +
                          Q(session.dir / "gone.sfx") +
                          ".\n\nCheck the name, or start Sondrel without one and choose the "
                          "table."});
    EXPECT_EQ(session.dir.entries(), before);
}

#if defined(_WIN32)
TEST_F(WindowTest, aTableAnotherProgramHoldsOpenIsNotReplacedAndTheEditsStay) {
    openWithAnEdit();
    const Bytes oldTable = ReadAll(table());
    const std::string oldList = ReadText(sampleList());
    // The level editor, say, holds the table open and shares nothing.
    const HANDLE held = CreateFileW(table().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    save({Script::chooseFile(Q(table())), Script::press(QMessageBox::Yes),
          Script::press(QMessageBox::Ok)});
    CloseHandle(held);
    ASSERT_FALSE(script->messages().isEmpty());
    EXPECT_TRUE(script->messages().last().startsWith("WriteSFX -> Can't write SFX\n\nCannot "))
        << script->messages().last().toStdString();
    EXPECT_EQ(ReadAll(table()), oldTable);
    EXPECT_EQ(ReadText(sampleList()), oldList);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"KV4Objects.dat", "city.sam", "city.sfx"}));
    EXPECT_EQ(window.state().Table.Details[0].Volume, 50); // the edit is still there

    save({Script::chooseFile(Q(table())), Script::press(QMessageBox::Yes)});
    EXPECT_EQ(ReadSFX(table()).Details[0].Volume, 50); // and saves once the file is let go
}
#endif

#if !defined(_WIN32) // users and permissions
TEST_F(WindowTest, savingIntoAFolderThatCannotBeWrittenKeepsEverything) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes any folder; CTest runs this case again with --drop-root";
    }
    openWithAnEdit();
    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    WriteAll(locked / "city.sfx", ReadAll(table()));
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    save({Script::chooseFile(Q(locked / "city.sfx")), Script::press(QMessageBox::Yes),
          Script::press(QMessageBox::Ok)});
    EXPECT_EQ(script->messages().last(),
              "WriteSFX -> Can't write SFX\n\nCannot create a new file beside " +
                  Q(locked / "city.sfx") + ": Permission denied.");
    EXPECT_EQ(ReadAll(locked / "city.sfx"), ReadAll(table()));
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), fs::directory_iterator()), 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.state().Table.Details[0].Volume, 50); // the edit is still there
}
#endif
