// The window end to end: real files in a temporary folder, its questions and file dialogs
// answered from a script (AnswerScript), and Qt's own dialogs in a test of their own. What the
// units compute is tested with them (tests/logic/); here, that the window shows, stores and
// saves it.
#include "editor/file_dialog.h"
#include "editor/flag_label.h"
#include "editor/messages.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "formats/sample_list.h"
#include "tests/editor/answer_script.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_files.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <map>
#include <optional>

// Texts as text in the failures' report.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;
using Script = AnswerScript;
using Steps = std::vector<Script::Step>;
using Entries = std::vector<std::string>;

namespace {

const SampleNames kSampleNames = {
    "KV5 Sound 12.wav", "Door creak.wav",   "Door slam.wav",    "KV3 Sound 45-bell.wav",
    "KV3 Sound 46.wav", "KV3 Sound 47.wav", "KV2 Sound ab.wav", "KV1 Sound 9.wav",
};
const Entries kOriginalFiles = {"KV4Objects.dat", "city.sam", "city.sfx"};

// Five details: a series sound with V and loop mode 2, a native one with P, N and loop mode
// 1, a series sound on three slots with loop mode 3, one whose number carries over, and one
// no slot uses.
SoundTable MakeTable() {
    return TableOf({{45, 0}, {120, 1}, {12, 2}, {4, 2}, {200, 2}, {300, 3}},
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
    // Starts without a table, or on the table `named` in its folder, as from a command line;
    // with the settings of a run before, or its own.
    explicit EditorSession(const std::string& named = {}, const fs::path& settings = {})
        : named_(!named.empty()), script(std::make_unique<Script>()),
          window(std::make_unique<Sondrel>(
              StartOptions{.objectDatabase = dir / kObjectDatabaseName,
                           .table = named_ ? dir / named : std::filesystem::path(),
                           .prompts = script.get(),
                           .settingsFile = settings.empty() ? home / "settings.ini" : settings})) {
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
    Sondrel::LoadResult start(Steps steps) {
        script->play(std::move(steps));
        const Sondrel::LoadResult result = window->Form_Load();
        EXPECT_TRUE(script->finished());
        return result;
    }
    // Starts on the table (chosen in the open dialog unless named), answers the question, and
    // shows the window.
    void open(bool includeNative = true) {
        Steps steps{Script::press(includeNative ? QMessageBox::Yes : QMessageBox::No)};
        if (!named_) {
            steps.insert(steps.begin(), Script::chooseFile(Q(table())));
        }
        ASSERT_EQ(start(std::move(steps)), Sondrel::LoadResult::Ready);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    // Clicks a button, answering the dialogs it opens with `steps`.
    void press(const char* button, Steps steps = {}) {
        script->play(std::move(steps));
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
        EXPECT_TRUE(script->finished()) << button;
    }
    // The example table opened, its first sound given volume 20 (stored as 50) by Update.
    void openWithAnEdit() {
        open();
        select(0);
        type("SndVOL", "20");
        press("Update");
    }

    template <class T> T* child(const char* name) {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // The names of the sounds listed, as the rows show them.
    QStringList listTexts() {
        QStringList texts;
        const QAbstractItemModel* rows = child<SoundListBox>("SndLst")->model();
        for (int row = 0; row < rows->rowCount(); ++row) {
            texts << rows->index(row, 0).data().toString();
        }
        return texts;
    }
    void select(int row) {
        auto* list = child<SoundListBox>("SndLst");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < row; ++i) {
            QTest::keyClick(list, Qt::Key_Down);
        }
        ASSERT_EQ(list->currentIndex().row(), row);
    }
    QStringList fields() {
        return {child<QLineEdit>("SndRAD")->text(), child<QLineEdit>("SndVOL")->text(),
                child<QLineEdit>("SndPIT")->text(), child<QLineEdit>("SndCH")->text()};
    }
    void type(const char* field, const QString& text) {
        auto* edit = child<QLineEdit>(field);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
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
    // Presses a key in the list, as after a dialog the window is active again first, answering
    // the dialogs it opens with `steps`.
    void key(QKeyCombination combination, Steps steps = {}) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        script->play(std::move(steps));
        auto* list = child<SoundListBox>("SndLst");
        list->setFocus();
        QTest::keyClick(list, combination.key(), combination.keyboardModifiers());
        EXPECT_TRUE(script->finished()) << QKeySequence(combination).toString().toStdString();
    }
    QString caption() { return window->windowHandle()->title(); }
    const SoundTable& shownTable() { return window->table().table(); }

    bool named_;
    TempDir dir;
    TempDir home;                   // the settings
    std::unique_ptr<Script> script; // before the window, which asks through it
    std::unique_ptr<Sondrel> window;
};

class WindowTest : public ::testing::Test, public EditorSession {};

constexpr ColourValue R = kRed;
constexpr ColourValue B = kBlack;
constexpr ColourValue S = kButtonTextColour;

} // namespace

TEST_F(WindowTest, startUpAsksThenListsSeriesSoundsAndNativeOnesOnlyWhenAskedTo) {
    for (const bool native : {true, false}) {
        EditorSession t;
        t.open(native);
        QStringList texts{"KV5 Sound 12 - 45", "KV3 Sound 45 - 4", "KV2 Sound 45 - 300"};
        if (native) {
            texts.insert(1, "Object 120");
        }
        EXPECT_EQ(t.listTexts(), texts);
        // Building the list selected each entry, but nothing is selected or shown.
        EXPECT_TRUE(t.child<SoundListBox>("SndLst")->selectionModel()->selectedRows().isEmpty());
        EXPECT_EQ(t.fields(), (QStringList{"", "", "", ""}));
        EXPECT_EQ(t.child<QComboBox>("Samples")->currentText(), "None");
        EXPECT_EQ(t.colours(), (std::vector<ColourValue>{S, S, S, S, S}));
    }
    open();
    const SeenDialog& opened = script->seen().at(0);
    EXPECT_EQ(opened.nameFilters, QStringList{"OBEL Sound Files (*.sfx)"});
    EXPECT_EQ(opened.directory, QDir::currentPath()); // the level editor's folder is not here
    const SeenDialog& question = script->seen().at(1);
    EXPECT_EQ(question.text, "Include KV4 sounds?");
    EXPECT_EQ(question.buttons,
              (QList<QMessageBox::StandardButton>{QMessageBox::Yes, QMessageBox::No}));
    EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
}

TEST(WindowDialogs, everyQuestionHasKeysForItsButtonsAndItsFocusOnTheDefault) {
    const std::tuple<QMessageBox::StandardButtons, QMessageBox::StandardButton, const char*>
        questions[] = {
            {QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save,
             "&Save"},
            {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, "&Yes"},
            {QMessageBox::Yes | QMessageBox::No, QMessageBox::No, "&No"},
        };
    for (const auto& [buttons, defaultButton, focused] : questions) {
        QStringList seen;
        QTimer::singleShot(50, [&seen] {
            QMessageBox* box = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                box = box != nullptr ? box : qobject_cast<QMessageBox*>(widget);
            }
            for (QAbstractButton* button : box->buttons()) {
                seen << button->text();
            }
            auto* focus = qobject_cast<QAbstractButton*>(box->focusWidget());
            seen << "focus " + (focus != nullptr ? focus->text() : QString());
            if (focus != nullptr) {
                focus->click(); // Space on the button with the focus
            } else {
                box->reject();
            }
        });
        EXPECT_EQ(Ask(nullptr, "Keep it?", buttons, defaultButton), defaultButton);
        EXPECT_TRUE(seen.contains(QString("focus ") + focused)) << seen.join(", ").toStdString();
        for (const QString& text : seen) {
            EXPECT_TRUE(text.contains('&')) << text.toStdString();
        }
    }
}

TEST_F(WindowTest, startUpEndsBeforeTheWindowWhenCancelledOrOnAFailure) {
    struct Case {
        const char* what;
        std::function<void(EditorSession&)> damage;
        Steps before; // the dialogs before the failure's message
        QString message;
    };
    const Steps chosen = {Script::chooseFile("city.sfx")};
    const QString ends = "\n\nSondrel cannot go on (failure ";
    const std::vector<Case> cases = {
        {"the open dialog cancelled", [](EditorSession&) {}, {Script::cancel()}, ""},
        {"a missing sample list", [](EditorSession& t) { fs::remove(t.sampleList()); }, chosen,
         "The sample list DIR/city.sam is missing or cannot be opened.\n\nPut the table's "
         "sample list (.sam, the same name) beside it, or choose another table." +
             ends + "11)."},
    };
    for (const Case& c : cases) {
        EditorSession t;
        c.damage(t);
        const auto before = t.dir.entries();
        const Bytes tableBefore = ReadAll(t.table());
        Steps steps = c.before;
        if (!steps.empty() && !c.message.isEmpty()) {
            steps.front() = Script::chooseFile(Q(t.table()));
        }
        if (!c.message.isEmpty()) {
            steps.push_back(Script::press(QMessageBox::Ok));
        }
        EXPECT_EQ(t.start(std::move(steps)), c.message.isEmpty() ? Sondrel::LoadResult::Cancelled
                                                                 : Sondrel::LoadResult::Failed)
            << c.what;
        const QStringList messages = t.script->messages();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.isEmpty()) << c.what;
        } else {
            ASSERT_FALSE(messages.isEmpty()) << c.what;
            EXPECT_TRUE(messages.last().startsWith(
                QString(c.message).replace("DIR/", Q(t.dir.path()) + QDir::separator())))
                << messages.last().toStdString();
        }
        EXPECT_FALSE(t.window->isVisible()) << c.what;
        EXPECT_EQ(t.dir.entries(), before) << c.what;
        EXPECT_EQ(ReadAll(t.table()), tableBefore) << c.what;
    }
}

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

    select(0); // V and R lit; its one sample shown
    EXPECT_EQ(child<QComboBox>("Samples")->currentText(), "KV5 Sound 12.wav");
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

TEST_F(WindowTest, savingUnchangedIsByteIdenticalAndAnEditIsSavedUnderANewNameAndReadsBack) {
    const std::string spare = "spare.wav\r\n; a note\n"; // lines after the names in use
    WriteText(sampleList(), SerializeSampleNames(kSampleNames, 8) + spare);
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
        {dir / "new.sam", "The table cannot be saved as " + Q(dir / "new.sam"), QMessageBox::Ok},
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

namespace {

// Every file under `folder` with its bytes and time of writing, and every folder.
std::map<fs::path, std::pair<Bytes, fs::file_time_type>> Snapshot(const fs::path& folder) {
    std::map<fs::path, std::pair<Bytes, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path()] = {ReadAll(entry.path()), entry.last_write_time()};
        } else {
            files[entry.path()] = {};
        }
    }
    return files;
}

} // namespace

TEST_F(WindowTest, aSaveThatFailsSaysWhyAndKeepsTheOldFilesAndTheEdits) {
    openWithAnEdit();
    // Over another table whose sample list cannot be replaced.
    WriteAll(dir / "copy.sfx", {1, 2, 3});
    fs::create_directory(dir / "copy.sam");
    struct Case {
        const char* what;
        fs::path target;
        QString message;
    };
    const Case cases[] = {
        {"a sample list that cannot be written", dir / "copy.sfx",
         "The table " + Q(dir / "copy.sfx") + " was not saved: its sample list " +
             Q(dir / "copy.sam") + " cannot be written."},
#if defined(_WIN32)
        {"a table another program holds open, sharing nothing", table(),
         "WriteSFX -> Can't write SFX\n\nCannot "},
#else
        {"a disk full half way through the table", table(),
         "WriteSFX -> Can't write SFX\n\nCannot write " + Q(table()) + ": File too large."},
#endif
    };
    for (const fs::path& file : {table(), sampleList(), dir / "copy.sfx"}) {
        fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
    }
    const auto before = Snapshot(dir.path());
    for (const Case& c : cases) {
#if defined(_WIN32)
        const HANDLE held = CreateFileW(table().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        press("Save", {Script::chooseFile(Q(c.target)), Script::press(QMessageBox::Ok)});
        CloseHandle(held);
#else
        {
            std::optional<FileSizeLimit> diskFull;
            if (c.target == table()) {
                diskFull.emplace(500);
            }
            press("Save", {Script::chooseFile(Q(c.target)), Script::press(QMessageBox::Ok)});
        }
#endif
        ASSERT_FALSE(script->messages().isEmpty()) << c.what;
        EXPECT_TRUE(script->messages().last().startsWith(c.message))
            << script->messages().last().toStdString();
        EXPECT_EQ(Snapshot(dir.path()), before) << c.what;       // not even written anew
        EXPECT_EQ(shownTable().Details[0].Volume, 50) << c.what; // the edit stays
    }
    // And is saved once nothing is in the way.
    press("Save", {Script::chooseFile(Q(table()))});
    EXPECT_EQ(ReadSFX(table()), shownTable());
    EXPECT_EQ(ReadSampleNames(sampleList(), 8), kSampleNames);
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
    EXPECT_EQ(t.shownTable(), theirs);
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(t.fields().at(1), "40");
    // Ctrl+I lists the native sounds no more, then again; the sound stays shown.
    t.key(Qt::CTRL | Qt::Key_I);
    EXPECT_EQ(t.listTexts(),
              (QStringList{"KV5 Sound 12 - 45", "KV3 Sound 45 - 4", "KV2 Sound 45 - 300"}));
    EXPECT_EQ(list->currentIndex().row(), 1);
    t.key(Qt::CTRL | Qt::Key_I);
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(list->currentIndex().row(), 2);
    // Ctrl+O opens another table, where the same entry is shown again.
    WriteAll(t.dir / "other.sfx", SerializeSFX(MakeTable()));
    WriteText(t.dir / "other.sam", SerializeSampleNames(kSampleNames, 8));
    t.key(Qt::CTRL | Qt::Key_O, {Script::chooseFile(Q(t.dir / "other.sfx"))});
    EXPECT_EQ(t.caption(), "other.sfx - OBEL Sondrel");
    EXPECT_EQ(t.shownTable(), MakeTable());
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(t.fields().at(1), "1");

    // With an Update not saved, each asks first; Cancel keeps everything.
    t.type("SndVOL", "20");
    t.press("Update");
    t.key(Qt::CTRL | Qt::Key_O, {Script::press(QMessageBox::Cancel)});
    EXPECT_EQ(t.script->messages(),
              QStringList{"The changes to other.sfx are not saved.\n\nSave them first?"});
    EXPECT_EQ(t.shownTable().Details[2].Volume, 50);
    EXPECT_EQ(t.caption(), "other.sfx* - OBEL Sondrel");
    // The fields' edit not stored: the switch asks about it, and Cancel keeps the list.
    t.type("SndVOL", "30");
    t.key(Qt::CTRL | Qt::Key_I, {Script::press(QMessageBox::Cancel)});
    EXPECT_TRUE(t.script->messages().at(0).startsWith("You changed KV3 Sound 45 - 4"));
    EXPECT_EQ(list->count(), 4);
    EXPECT_EQ(t.fields().at(1), "30");
    // Discard reads the table again as it is on the disk; its history goes with it.
    t.key(Qt::Key_F5, {Script::press(QMessageBox::Discard)});
    EXPECT_EQ(t.shownTable(), MakeTable());
    EXPECT_EQ(t.caption(), "other.sfx - OBEL Sondrel");
    EXPECT_EQ(t.fields().at(1), "1");
    t.key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(t.shownTable(), MakeTable());

    // A table that cannot be read is reported, and the one open stays.
    WriteAll(t.dir / "bad.sfx", {1, 2, 3});
    t.key(Qt::CTRL | Qt::Key_O,
          {Script::chooseFile(Q(t.dir / "bad.sfx")), Script::press(QMessageBox::Ok)});
    EXPECT_TRUE(
        t.script->messages().at(0).endsWith("\n\nThe table that was open stays open (failure 10)."))
        << t.script->messages().at(0).toStdString();
    EXPECT_EQ(t.caption(), "other.sfx - OBEL Sondrel");
    EXPECT_EQ(t.child<FileDialog>("FM")->FileName(), Q(t.dir / "other.sfx")); // Save offers it
    EXPECT_EQ(list->count(), 4);
}

TEST(WindowList, columnsShowEverySoundsValuesAndSortAndTheFilterFindsIt) {
    EditorSession t;
    t.open();
    auto* list = t.child<SoundListBox>("SndLst");
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
    const std::pair<QString, QStringList> finds[] = {
        {"door", {"Object 120"}},       // a sample's name
        {"BELL", {"KV3 Sound 45 - 4"}}, // regardless of case
        {"sound 4", {"KV3 Sound 45 - 4", "KV2 Sound 45 - 300"}},
    };
    for (const auto& [typed, found] : finds) {
        t.type("SndFilter", typed);
        EXPECT_EQ(t.listTexts(), found) << typed.toStdString();
        EXPECT_EQ(t.fields().at(0), "31");
        EXPECT_EQ(list->selectedPositions(), std::vector<int>{1}); // picked, listed or not
    }
    // With the sound picked hidden, the first key that moves in the list picks the first
    // match, also where it is the only one.
    for (const auto& [typed, key, first] :
         {std::tuple{"sound 4", Qt::Key_Down, 2}, std::tuple{"door", Qt::Key_Home, 1},
          std::tuple{"bell", Qt::Key_Up, 2}}) {
        t.type("SndFilter", typed);
        QTest::keyClick(filter, Qt::Key_Tab);
        QTest::keyClick(list, key);
        EXPECT_EQ(list->selectedPositions(), std::vector<int>{first}) << typed;
        EXPECT_EQ(list->currentIndex().row(), 0) << typed;
        filter->setFocus();
    }
    t.type("SndFilter", "sound 4");
    QTest::keyClick(filter, Qt::Key_Tab);
    QTest::keyClick(list, Qt::Key_Down); // picked and listed: on to the next
    EXPECT_EQ(list->selectedPositions(), std::vector<int>{3});
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_FALSE(filter->isVisible());
    EXPECT_TRUE(filter->text().isEmpty());
    EXPECT_EQ(list->geometry(), laidOut);
    EXPECT_EQ(t.listTexts(), tableOrder);
    EXPECT_EQ(QApplication::focusWidget(), list);
}

TEST(WindowList, opensAtItsTopWithNothingPicked) {
    EditorSession t;
    std::vector<std::pair<int, std::int16_t>> used;
    std::vector<SoundDetail> details;
    for (std::int16_t i = 0; i < 40; ++i) {
        used.emplace_back(i, i);
        details.push_back({static_cast<std::int16_t>(i % 8), 100, 3, 2, 5, 4});
    }
    WriteAll(t.table(), SerializeSFX(TableOf(used, details, 8)));
    t.open();
    const QScrollBar* scroll = t.child<SoundListBox>("SndLst")->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), 0);
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

TEST(WindowSave, ctrlSSavesWhatTheFieldsShowWhereTheTableIsAndAsksWhatASaveMustAsk) {
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
    // A refused value stops the save before anything is written.
    t.select(0);
    t.type("SndCH", "abc");
    t.key(Qt::CTRL | Qt::Key_S, {Script::press(QMessageBox::Ok)});
    EXPECT_TRUE(t.script->messages().at(0).startsWith("The chance must be a number"));
    EXPECT_EQ(status->text(), "Nothing was saved");
    EXPECT_EQ(ReadSFX(table), expected);
    EXPECT_EQ(t.caption(), "city* - OBEL Sondrel");
}

TEST_F(WindowTest, playLooksBesideTheTableThenOffersOnceToChooseTheSamplesFolderAndKeepsIt) {
    open();
    select(static_cast<int>(listTexts().indexOf("KV5 Sound 12 - 45")));
    TempDir samples;
    const QString question = "KV5 Sound 12.wav was not found. Sondrel looked in:\n    " +
                             QDir::toNativeSeparators(Q(dir.path()));
    key(Qt::CTRL | Qt::Key_P,
        {Script::press(QMessageBox::Yes), Script::chooseFile(Q(samples.path())),
         Script::press(QMessageBox::Ok)});
    ASSERT_EQ(script->seen().size(), 3u);
    EXPECT_EQ(script->seen()[0].text, question + "\n\nChoose the folder the samples are in?");
    EXPECT_EQ(script->seen()[1].kind, "folder");
    EXPECT_EQ(script->seen()[1].title, "Choose the samples folder");
    EXPECT_TRUE(script->seen()[2].text.startsWith(
        question + "\n    " + QDir::toNativeSeparators(Q(samples.path())) + "\n\n"));
    EXPECT_EQ(window->player(), nullptr); // nothing to play: nothing of the audio stack loaded
    EXPECT_EQ(QSettings(Q(home / "settings.ini"), QSettings::IniFormat).value("samples"),
              Q(samples.path()));
    // Asked once: now only told, here for a double click on the sample chosen in the box.
    select(static_cast<int>(listTexts().indexOf("KV3 Sound 45 - 4")));
    child<QComboBox>("Samples")->setCurrentIndex(2);
    script->play({Script::press(QMessageBox::Ok)});
    QTest::mouseDClick(child<QComboBox>("Samples")->lineEdit(), Qt::LeftButton);
    EXPECT_TRUE(script->finished());
    EXPECT_TRUE(script->messages().at(0).startsWith("KV3 Sound 47.wav was not found."));
    // Several sounds, their samples differing (the box empty): the first sound's first.
    key(Qt::CTRL | Qt::Key_A);
    key(Qt::CTRL | Qt::Key_P, {Script::press(QMessageBox::Ok)});
    EXPECT_TRUE(script->messages().at(0).startsWith("KV5 Sound 12.wav was not found."));
}

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
        EXPECT_TRUE(t.window->close());
    }
    EditorSession t({}, home / "settings.ini");
    t.open();
    EXPECT_EQ(t.window->size(), enlarged);
    EXPECT_EQ(t.child<SoundListBox>("SndLst")->horizontalHeader()->sectionSize(1), 77);
    // A table dropped onto the window opens, once the changes not saved are settled.
    t.select(0);
    t.type("SndVOL", "20");
    WriteAll(t.dir / "drop.sfx", SerializeSFX(MakeTable()));
    WriteText(t.dir / "drop.sam", SerializeSampleNames(kSampleNames, 8));
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(Q(t.dir / "drop.sfx"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(t.window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    t.script->play({Script::press(QMessageBox::Discard)});
    QApplication::sendEvent(t.window.get(), &drop);
    EXPECT_TRUE(t.script->finished());
    EXPECT_EQ(t.caption(), "drop.sfx - OBEL Sondrel");
    // F1 tells what the keys and the flags are, as far as the table says.
    t.key(Qt::Key_F1, {Script::press(QMessageBox::Ok)});
    EXPECT_TRUE(t.script->messages().at(0).contains("P is bit 13, V bit 14 and N bit 12"));
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
    for (const char* place :
         {"2000000000 0 2000000000 2000000000", "90000 0 400 300", "0 0 99999 99999", "1 2 3"}) {
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
    }
    {
        EditorSession t({}, ini);
        t.open();
        // A sort is brought back with its rows in that order.
        t.child<SoundListBox>("SndLst")->sortBy(SoundColumn::Volume, true);
        EXPECT_TRUE(t.window->close());
    }
    {
        EditorSession t({}, ini);
        t.open();
        const QStringList sorted = t.listTexts();
        EXPECT_EQ(sorted.front(), "Object 120"); // the loudest first
        EXPECT_EQ(t.child<SoundListBox>("SndLst")->horizontalHeader()->sortIndicatorOrder(),
                  Qt::DescendingOrder);
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

    // A dropped table in a folder whose name is no UTF-8 opens, and is kept among the recent;
    // one on another machine is refused.
    EditorSession t({}, ini);
    t.open();
    const fs::path folder = t.dir / "Kl\xE4nge";
    fs::create_directory(folder);
    WriteAll(folder / "drop.sfx", SerializeSFX(MakeTable()));
    WriteText(folder / "drop.sam", SerializeSampleNames(kSampleNames, 8));
    const auto dropped = [&](const QByteArray& url) {
        QMimeData dragged;
        dragged.setUrls({QUrl::fromEncoded(url)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QApplication::sendEvent(t.window.get(), &enter);
        return enter.isAccepted();
    };
    EXPECT_FALSE(
        dropped("file://otherhost" + QUrl::toPercentEncoding(Q(folder / "drop.sfx"), "/")));
    const QByteArray url =
        "file://" +
        QByteArray::fromStdString((folder / "drop.sfx").string()).toPercentEncoding("/");
    EXPECT_TRUE(dropped(url));
    QMimeData dragged;
    dragged.setUrls({QUrl::fromEncoded(url)});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(t.window.get(), &drop);
    EXPECT_EQ(t.caption(), "drop.sfx - OBEL Sondrel");
    EXPECT_TRUE(t.window->close());
    const QVariantList recent = QSettings(Q(ini), QSettings::IniFormat).value("recent").toList();
    ASSERT_FALSE(recent.isEmpty());
    EXPECT_EQ(recent.front().toByteArray().toStdString(), (folder / "drop.sfx").string());
#endif
}
