// What the window's tests share: one run of the editor over real files in a temporary folder,
// its questions and file dialogs answered from a script (AnswerScript). What the units and the
// table open for editing compute is tested with them (tests/logic/, tests/document/); here,
// that the window shows, stores and saves it, and what it says.
#pragma once

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

namespace window_tests {

inline const SampleNames kSampleNames = {
    "KV5 Sound 12.wav", "Door creak.wav",   "Door slam.wav",    "KV3 Sound 45-bell.wav",
    "KV3 Sound 46.wav", "KV3 Sound 47.wav", "KV2 Sound ab.wav", "KV1 Sound 9.wav",
};
inline const Entries kOriginalFiles = {"KV4Objects.dat", "city.sam", "city.sfx"};

// Five details: a series sound with V and loop mode 2, a native one with P, N and loop mode
// 1, a series sound on three slots with loop mode 3, one whose number carries over, and one
// no slot uses.
inline SoundTable MakeTable() {
    return TableOf({{45, 0}, {120, 1}, {12, 2}, {4, 2}, {200, 2}, {300, 3}},
                   // Sample, Volume, Radius, Chance, Pitch, Flags
                   {{0, 250, 0xE5, 10, 126, 0x4000 | 4 | 2},
                    {1, 255, 31, 255, 127, 0x3000 | 8 | 1},
                    {3, 4, 3, 2, 5, 0x8F80 | 12 | 3},
                    {6, 0, 0, 0, 0, 4},
                    {7, 1, 1, 1, 1, 4}},
                   static_cast<std::int32_t>(kSampleNames.size()));
}

inline QString Q(const fs::path& path) {
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
    // Drags the file `url` names over the window; dropped there if the window takes it,
    // answering the dialogs the drop opens with `steps`.
    bool drop(const QUrl& url, Steps steps = {}) {
        QMimeData dragged;
        dragged.setUrls({url});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        if (enter.isAccepted()) {
            script->play(std::move(steps));
            QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
            QApplication::sendEvent(window.get(), &dropped);
            EXPECT_TRUE(script->finished()) << url.toString().toStdString();
        }
        return enter.isAccepted();
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

inline constexpr ColourValue R = kRed;
inline constexpr ColourValue B = kBlack;
inline constexpr ColourValue S = kButtonTextColour;

} // namespace window_tests

using namespace window_tests;
