// The editor's one window, "OBEL Sondrel": the sound list, the selected sound's samples,
// range, volume, pitch and chance, its five flag labels, and the Update and Save buttons.
//
// The window owns the editor's whole state for the run. Form_Load fills it while the window
// is still hidden; from then on the table changes only through Update and reaches the disk
// only through Save.
//
// Its work is in one file a job: the form, its controls and keys (sondrel.cpp); the list and
// the controls as the window grows, and the filter (sondrel_layout.cpp); showing and storing
// sounds, with undo (sondrel_sounds.cpp); start-up, other tables and closing
// (sondrel_tables.cpp); saving (sondrel_save.cpp); what it keeps between runs, the recent
// tables, a table dropped on it, and its help (sondrel_settings.cpp); hearing a sound
// (sondrel_play.cpp); values taken from another table (sondrel_take.cpp); how loud the
// sounds are heard, and matching it (sondrel_loudness.cpp). The table it edits, and the sounds
// it shows, are document/'s: what it decides without Qt is there, in logic/ and in formats/.
#pragma once

#include "document/open_table.h"
#include "document/sound_loudness.h"
#include "document/sounds_in_view.h"
#include "formats/object_names.h"
#include "formats/table_pair.h"
#include "logic/flags.h"
#include "logic/units.h"

#include <QElapsedTimer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QComboBox;
class QMenu;
class QSettings;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace sondrel {

class FileDialog;
class FlagLabel;
class SamplePlayer;
class SoundListBox;

class Prompts;

// The files a start-up reads before it asks anything: the object names and, when a table was
// named, that table (an existing one) and its sample list.
struct StartUpFiles {
    ObjectNameTable objectNames;
    std::filesystem::path table; // the table named, made absolute
    std::optional<PairAsRead> named;
};

// How the window starts.
struct StartOptions {
    std::filesystem::path objectDatabase; // empty: the database beside the program
    std::filesystem::path table;          // empty: ask for the table with the open dialog
    Prompts* prompts = nullptr;           // how to ask the designer; none: Qt's dialogs
    std::filesystem::path settingsFile;   // where it keeps its settings; empty: the system's
};

// The start-up's files being read on a thread of their own while the window is made: given to
// the window, Form_Load takes them, or what reading them threw, in the order it would have
// read them itself. For a window that starts as soon as it is made: the files are read now,
// not when Form_Load runs. Where no thread can be started, Form_Load reads them itself.
using EarlyRead = std::future<StartUpFiles>;
EarlyRead ReadEarly(const StartOptions& options);

class Sondrel : public QWidget {
    Q_OBJECT

public:
    enum class LoadResult {
        Ready,     // show the window
        Cancelled, // the open dialog was cancelled: end quietly
        Failed,    // a failure was reported: end with an error status
    };

    // Without `early`, Form_Load reads the files itself.
    explicit Sondrel(StartOptions options = {}, EarlyRead early = {});
    ~Sondrel() override;

    // The start-up, run once before the window is shown: the object names, the open dialog
    // (passed over when a table was named at start), the table, its sample list, the question
    // "Include KV4 sounds?" and the sound list. A failure is shown before it returns; the
    // window must then never be shown.
    LoadResult Form_Load();

    // The table open for editing.
    const OpenTable& table() const { return open_; }

    // Undo and redo of Update, as Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z) do them. Undo with
    // changes not yet stored in the fields first puts the fields back as shown; redo waits
    // until there are none.
    void undoUpdate();
    void redoUpdate();
    // Another table (Ctrl+O, the open dialog), the same table read again from the disk (F5),
    // and the native sounds listed or not (Ctrl+I). The first two ask first when there are
    // changes not saved, the switch when the fields hold edits not stored; each shows the
    // same sound again where it is still listed.
    void openAnother();
    void readAgain();
    void switchNative();
    // Takes values from another table chosen in the open dialog (Ctrl+T): each sound listed
    // takes those of the sound there whose first sample has the same name, as chosen in a
    // dialog that says first how many match and would change. One step of the history.
    void takeValues();
    // Gives the sounds picked the volume at which each plays as loud as the sound under the
    // cursor, or at a loudness the designer types (Ctrl+M); one step of the history. The
    // loudness is measured in the background from each sound's first sample, as the list's
    // Loudness column shows it.
    void matchLoudness();
    // Opens the table given (dropped onto the window, or a recent one), asking first when
    // there are changes not saved, as Ctrl+O does.
    void openTable(const std::filesystem::path& table);
    // Saves the table and its sample list where they are (Ctrl+S), or under a name the
    // designer chooses in the save dialog (the Save button, Ctrl+Shift+S). Each first stores
    // what the fields and flags hold, as Update does. True once both files are written.
    bool saveInPlace();
    bool saveAs();
    // The short help of F1, and the About with the version and the licence.
    void showHelp();
    void showAbout();
    // Plays the sample chosen in the Samples box (the first where none is) of the first sound
    // shown, or stops what plays (Ctrl+P, the Play button); playSample plays the sample at
    // `index` in the box. The sample is looked for in the table's folder, then in the samples
    // folder; the first time one is not found, Sondrel offers to choose that folder
    // (chooseSamplesFolder, also in the context menu). It plays at the volume and loop mode
    // the fields and flags show, as Update would store them into that sound.
    void playSound();
    void playSample(int index);
    void stopSound();
    void chooseSamplesFolder();
    // The player's state, for the tests: nothing before the first Play.
    const SamplePlayer* player() const { return player_.get(); }

protected:
    // Closing asks to save first when the table or the fields hold changes not saved.
    void closeEvent(QCloseEvent* event) override;
    // The list grows with the window, the Samples box with its width; the rest keeps its
    // place along the bottom.
    void resizeEvent(QResizeEvent* event) override;
    // A .sfx dropped onto the window is opened.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Escape stops what plays.
    void keyPressEvent(QKeyEvent* event) override;
    // A double click on the sample in the Samples box plays it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    // Gives the list the entries of the table open.
    void BuildSoundList();
    FlagColours flagColours() const;
    EditView editView() const;
    // The field of each value: SndRAD, SndVOL, SndPIT, SndCH.
    QLineEdit* fieldOf(EditField field) const;
    // The label of each flag of kFlagLabels: SndP, SndV, SndR, SndL, SndN.
    FlagLabel* labelOf(const FlagInfo& flag) const;
    void setFlagColours(const FlagColours& colours);
    // Shows the sounds of list entries in the fields, the samples and the flags: one sound's
    // values, or what several share.
    void display(const std::vector<int>& rows);
    // Selects list entries, as the program's own move; showRows also shows their sounds.
    void selectRows(const std::vector<int>& rows);
    void showRows(const std::vector<int>& rows);
    // Shows the sounds an undo or a redo changed.
    void showChanged(const std::vector<std::size_t>& details);
    // Stores changes made other than by the fields (a take, a match) as one step of the
    // history, and shows them.
    void storeChanges(std::vector<DetailChange> changes);
    // True when the fields or the flags differ from what was shown of the sound.
    bool hasUnappliedEdits() const;
    // Before another sound is shown: asks what to do with the unapplied edits. False to stay.
    bool mayLeaveShownSound();
    // The table's name in the caption, with the unsaved mark where it has changes not saved,
    // in the table or in the fields.
    void showTableName();
    void showModified();
    // Says what was just done, on the status line.
    void showStatus(const QString& text);
    // Writes the table and its sample list to `table` and the list beside it, first storing
    // the fields' edits and settling what must be asked. True once both are written.
    bool saveTo(const std::filesystem::path& table);
    // The settings kept between runs: nothing where their file is not a plain file of the
    // designer's own (said once, on the status line), and settingsToWrite nothing also where it
    // has become something else since. The tables opened or saved, newest first: those of this
    // run, then those kept from runs before.
    QSettings* settings();
    QSettings* settingsToWrite();
    void rememberRecent(const std::filesystem::path& table);
    std::vector<std::filesystem::path> recentTables();
    // What the next run starts with, written as the window closes (so that nothing is written
    // while it starts): the recent tables, the window's size and place and the list's
    // columns. The layout is brought back at start.
    void keepForNextRun();
    void restoreLayout();
    // The list's context menu, made the first time it is asked for.
    void showContextMenu(const QPoint& at);
    // Before the table is closed or replaced: asks to save what is not saved ("Save them
    // `when`?"). False to keep it.
    bool mayPutTableAside(const QString& when);
    // Which sound to show again once another table, or the same one anew, is listed.
    enum class Keep { SameDetail, SameText };
    // Reads a table and its sample list in place of the window's; on a failure, says so and
    // keeps the table that was open.
    bool takeTable(const std::filesystem::path& table, Keep keep);
    // Shows these list entries again, or nothing where there are none.
    void reselect(const std::vector<int>& rows);
    // The filter over the list (Ctrl+F), and Escape in it.
    void showFilter();
    void createFilter();
    void hideFilter();
    // Places the controls for the window's size: the list takes what the window has beyond its
    // laid-out size, less the filter's line while it shows.
    void layOut();
    // Measures, in the background, the loudness of every sound listed; the column fills as it
    // goes, the status line says how far it is where it takes a while.
    void measureLoudness();
    void loudnessMeasured(const LoudnessMeasurer::Result& result);
    // Where a sample is looked for: the table's folder, then the samples folder chosen.
    std::vector<std::filesystem::path> sampleFolders();
    // The sample's file, or nothing once the designer has been told why there is none.
    std::optional<std::filesystem::path> findSample(std::string_view name);
    // Reads the five labels, lets `click` switch them, and shows the result.
    void switchFlags(void (*click)(FlagColours&));

    void SndLst_Click();
    void SndP_Click();
    void SndV_Click();
    void SndR_Click();
    void SndL_Click();
    void SndN_Click();
    void Update_Click();
    // Stores the edits into the shown sound; false, with a message, when a field is refused.
    bool ApplyEdits();
    void Save_Click();

    StartOptions options_;
    EarlyRead early_;
    std::unique_ptr<Prompts> ownPrompts_; // Qt's dialogs, where no other prompts were given
    Prompts& prompts_;
    ObjectNameTable objectNames_;
    OpenTable open_;      // the table open for editing, none before the start-up has read one
    SoundsInView view_;   // the sounds the fields show
    bool moving_ = false; // the program itself moves the selection
    std::vector<std::pair<QWidget*, QRect>> laidOut_; // each control at the laid-out size
    std::unique_ptr<QSettings> settings_;             // made on first use
    std::filesystem::path settingsFile_;              // where they are; empty: the registry
    bool settingsChecked_ = false;
    std::vector<std::string> openedThisRun_; // the tables opened or saved, newest first
    QMenu* contextMenu_ = nullptr;           // made on first use
    QMenu* recentMenu_ = nullptr;
    std::unique_ptr<SamplePlayer> player_; // loaded at the first Play
    QString playing_;                      // the sample played last, as the list names it
    bool offeredSamplesFolder_ = false;    // a sample was missing once this run
    std::filesystem::path samplesFolder_;  // the samples folder chosen this run
    LoudnessMeasurer measurer_;            // on a thread of its own, posting to the window
    unsigned measuring_ = 0;               // the round whose results the list takes
    std::size_t toMeasure_ = 0;            // that round's sounds, and those measured so far
    std::size_t measured_ = 0;
    QElapsedTimer measuringFor_; // since the round began, or the last progress said
    bool saidProgress_ = false;

    QAction* NativeSwitch = nullptr;
    QPushButton* Play = nullptr; // made when the window is first enlarged
    QPushButton* Save = nullptr;
    QPushButton* Update = nullptr;
    FileDialog* FM = nullptr;
    QLineEdit* SndCH = nullptr;
    QLineEdit* SndPIT = nullptr;
    QLineEdit* SndVOL = nullptr;
    QLineEdit* SndRAD = nullptr;
    QComboBox* Samples = nullptr;
    SoundListBox* SndLst = nullptr;
    QLineEdit* SndFilter = nullptr;
    QLabel* SndStatus = nullptr;
    QTimer* statusShowing_ = nullptr; // at the first size, while the status shows
    QLabel* Label4 = nullptr;
    FlagLabel* SndN = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    FlagLabel* SndL = nullptr;
    FlagLabel* SndR = nullptr;
    FlagLabel* SndV = nullptr;
    FlagLabel* SndP = nullptr;
};

} // namespace sondrel
