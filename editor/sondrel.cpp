#include "editor/sondrel.h"

#include "editor/file_dialog.h"
#include "editor/flag_label.h"
#include "editor/messages.h"
#include "editor/prompts.h"
#include "editor/sound_list_box.h"
#include "formats/file_io.h"
#include "formats/sample_names.h"
#include "formats/table_pair.h"
#include "logic/sound_list.h"
#include "logic/units.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QUndoStack>

#include <algorithm>
#include <functional>
#include <utility>

namespace sondrel {
namespace {

// The layout is given in twips, 15 to a pixel at the usual 96 dots per inch; Qt scales the
// pixels on a high-density screen.
constexpr int kTwipsPerPixel = 15;
constexpr int Px(int twips) {
    return twips / kTwipsPerPixel;
}
void PlaceInTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

constexpr char kDialogFontFamily[] = "MS Sans Serif";
// Windows' TrueType twin of its bitmap MS Sans Serif, with the same shapes and widths.
constexpr char kDialogFontOutline[] = "Microsoft Sans Serif";
constexpr double kDialogFontPoints = 8.25;
constexpr double kFlagFontPoints = 9.75;

constexpr char kChanceTip[] =
    "Random number to make sound not play evey time. The higher the number, the "
    "smaller the chance it plays.";

// The window's own light colours, whatever the desktop's theme: the flags are red and black
// by their meaning, and must stay legible on the button face (black 18.4 : 1, red 3.5 : 1).
QPalette LightPalette() {
    const QColor buttonFace(0xF0, 0xF0, 0xF0);
    const QColor text(Qt::black);
    QPalette palette(buttonFace);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, buttonFace);
        palette.setColor(group, QPalette::Button, buttonFace);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
        palette.setColor(group, QPalette::Highlight, QColor(0x00, 0x78, 0xD7));
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xDC));
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, QColor(0x6D, 0x6D, 0x6D));
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6D, 0x6D, 0x6D));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6D, 0x6D, 0x6D));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6D, 0x6D, 0x6D));
    return palette;
}

QFont DialogFont(double points, bool bold) {
    // Qt lists a bitmap font's sizes by cell height but asks Windows for them by character
    // height, so the bitmap MS Sans Serif comes one size too large for the captions laid out
    // for it; where it is a bitmap font, its TrueType twin is drawn at the size asked for.
    QFont font;
    if (QFontDatabase::hasFamily(kDialogFontFamily)) {
        const bool bitmap = !QFontDatabase::isSmoothlyScalable(kDialogFontFamily);
        font = QFont(bitmap && QFontDatabase::hasFamily(kDialogFontOutline) ? kDialogFontOutline
                                                                            : kDialogFontFamily);
    }
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Sample and object names are 8-bit text; each byte is shown as the character of that code.
QString FromBytes(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// One Update, of one sound or several: each detail's eight bytes before and after. Undoing or
// redoing it puts them back and shows those sounds.
class Sondrel::UpdateCommand : public QUndoCommand {
public:
    struct Change {
        int detail;
        SoundDetail before;
        SoundDetail after;
    };
    UpdateCommand(Sondrel* window, std::vector<Change> changes)
        : window_(window), changes_(std::move(changes)) {}

    void undo() override { put(&Change::before); }
    void redo() override {
        if (done_) {
            put(&Change::after);
        }
        done_ = true; // the first redo is the Update itself, which stored and shows it already
    }

private:
    void put(SoundDetail Change::*bytes) {
        std::vector<int> details;
        for (const Change& change : changes_) {
            window_->state_.Table.Details[static_cast<std::size_t>(change.detail)] = change.*bytes;
            details.push_back(change.detail);
        }
        window_->SndLst->sounds()->refresh();
        if (const std::vector<int> rows = window_->rowsOfDetails(details); !rows.empty()) {
            window_->showRows(rows);
        }
    }

    Sondrel* window_;
    std::vector<Change> changes_;
    bool done_ = false;
};

Sondrel::Sondrel(StartOptions options)
    : options_(std::move(options)),
      ownPrompts_(options_.prompts == nullptr ? std::make_unique<QtPrompts>() : nullptr),
      prompts_(options_.prompts != nullptr ? *options_.prompts : *ownPrompts_) {
    setObjectName("Sondrel");
    setWindowTitle("OBEL Sondrel");
    setWindowIcon(SondrelIcon());
    // The close button, the system menu and a maximize button; no minimize button. The window
    // opens at its laid-out size and grows from there, never below it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setMinimumSize(Px(4980), Px(3690));
    resize(minimumSize());
    setPalette(LightPalette());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFont(DialogFont(kDialogFontPoints, false));
    undo_ = new QUndoStack(this);
    connect(undo_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { setWindowModified(!clean); });
    createControls();
}

Sondrel::~Sondrel() {
    // The controls go after the window's own state: what they signal on the way is not heard.
    SndLst->selectionModel()->disconnect(this);
    undo_->disconnect(this);
}

void Sondrel::createControls() {
    auto button = [this](const char* name, int top) {
        auto* created = new QPushButton(name, this);
        created->setObjectName(name);
        created->setAutoDefault(false);
        created->setDefault(false);
        PlaceInTwips(created, 3720, top, 1215, 255);
        return created;
    };
    auto textBox = [this](const char* name, int left, int width) {
        auto* created = new QLineEdit(this);
        created->setObjectName(name);
        created->setForegroundRole(QPalette::ButtonText);
        PlaceInTwips(created, left, 3240, width, 285);
        return created;
    };
    auto caption = [this](const char* name, const char* text, int left, int width, int height) {
        auto* created = new QLabel(text, this);
        created->setObjectName(name);
        created->setForegroundRole(QPalette::ButtonText);
        PlaceInTwips(created, left, 3240, width, height);
        return created;
    };
    auto flag = [this](const char* name, const char* text, int left, int width) {
        auto* created = new FlagLabel(text, this);
        created->setObjectName(name);
        created->setFont(DialogFont(kFlagFontPoints, true));
        PlaceInTwips(created, left, 2760, width, 240);
        return created;
    };

    // In the order the window creates them.
    Save = button("Save", 2400);
    Update = button("Update", 2760);
    FM = new FileDialog(this, prompts_);
    SndCH = textBox("SndCH", 4200, 735);
    SndCH->setToolTip(kChanceTip);
    SndPIT = textBox("SndPIT", 1680, 615);
    SndVOL = textBox("SndVOL", 3000, 615);
    SndRAD = textBox("SndRAD", 480, 735);
    Samples = new QComboBox(this);
    Samples->setObjectName("Samples");
    Samples->setEditable(true);
    Samples->setInsertPolicy(QComboBox::NoInsert); // it only ever holds the sound's samples
    Samples->setEditText("None");
    Samples->setForegroundRole(QPalette::ButtonText);
    PlaceInTwips(Samples, 0, 2760, 1695, 315);
    SndLst = new SoundListBox(state_.Table, state_.SampleNames, this);
    SndLst->settle = [this] { selectRows(shownRows_); };
    SndLst->setObjectName("SndLst");
    SndLst->setForegroundRole(QPalette::ButtonText);
    PlaceInTwips(SndLst, 0, 0, 4935, 2370);
    SndLst->setLaidOutWidth(SndLst->width());
    Label4 = caption("Label4", "CH:", 3840, 375, 255);
    SndN = flag("SndN", "N", 3240, 180);
    Label3 = caption("Label3", "PIT:", 1320, 300, 195);
    Label2 = caption("Label2", "VOL:", 2520, 495, 255);
    Label1 = caption("Label1", "RAD", 0, 345, 195);
    SndL = flag("SndL", "L", 2880, 135);
    SndR = flag("SndR", "R", 2520, 180);
    SndV = flag("SndV", "V", 2160, 165);
    SndP = flag("SndP", "P", 1800, 165);

    // What a screen reader announces. The captions name their fields, and the flags say what
    // the program knows of them and how the keyboard switches them.
    const std::pair<QWidget*, const char*> names[] = {{SndLst, "Sounds"}, {Samples, "Samples"},
                                                      {SndRAD, "Range"},  {SndVOL, "Volume"},
                                                      {SndPIT, "Pitch"},  {SndCH, "Chance"}};
    for (const auto& [widget, name] : names) {
        widget->setAccessibleName(name);
    }
    Label1->setBuddy(SndRAD);
    Label2->setBuddy(SndVOL);
    Label3->setBuddy(SndPIT);
    Label4->setBuddy(SndCH);
    const struct {
        FlagLabel* label;
        const char* name;
        const char* meaning;
    } flags[] = {
        {SndP, "P flag", "flag bit 13 of the sound"},
        {SndV, "V flag", "flag bit 14 of the sound"},
        {SndR, "Loop mode R", "loop mode 2; excludes loop mode L"},
        {SndL, "Loop mode L", "loop mode 3; excludes loop mode R"},
        {SndN, "N flag", "flag bit 12 of the sound"},
    };
    for (const auto& flag : flags) {
        flag.label->setAccessibleName(flag.name);
        flag.label->setAccessibleDescription(
            QStringLiteral("%1. Red when set. Click it, or press Alt+%2, to switch it; Update "
                           "stores it.")
                .arg(QString::fromLatin1(flag.meaning), flag.label->text()));
        // Alt and the flag's letter switch it as a click does.
        auto* shortcut = new QShortcut(
            QKeySequence("Alt+" + flag.label->text(), QKeySequence::PortableText), this);
        connect(shortcut, &QShortcut::activated, flag.label, &FlagLabel::click);
    }
    // Ctrl+Return presses Update; neither button is the window's default.
    for (const QKeyCombination key : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, Update,
                &QPushButton::click);
    }
    // What the keys do beyond the buttons, also offered by the list's context menu. In a
    // field, the field's own undo of the typing comes before the undo of Update.
    const auto action = [this](const char* text, QList<QKeySequence> keys, auto slot) {
        auto* created = new QAction(QString::fromLatin1(text), this);
        created->setShortcuts(keys);
        connect(created, &QAction::triggered, this, slot);
        addAction(created);
        SndLst->addAction(created);
        return created;
    };
    action("Undo", {Qt::CTRL | Qt::Key_Z}, &Sondrel::undoUpdate);
    action("Redo", {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}, &Sondrel::redoUpdate);
    action("Save...", {Qt::CTRL | Qt::Key_S}, [this] { Save->click(); });
    action("Open another table...", {Qt::CTRL | Qt::Key_O}, &Sondrel::openAnother);
    action("Read the table again", {Qt::Key_F5}, &Sondrel::readAgain);
    NativeSwitch = action("Include KV4 sounds", {Qt::CTRL | Qt::Key_I}, &Sondrel::switchNative);
    NativeSwitch->setCheckable(true);
    action("Find a sound...", {Qt::CTRL | Qt::Key_F}, &Sondrel::showFilter);
    SndLst->setContextMenuPolicy(Qt::ActionsContextMenu);
    Save->setAccessibleDescription("Saves the table and its sample list (Ctrl+S).");
    Update->setAccessibleDescription(
        "Stores what you changed into the selected sound (Ctrl+Return).");

    // The filter, hidden until Ctrl+F, takes a line at the top of the list.
    SndFilter = new QLineEdit(this);
    SndFilter->setObjectName("SndFilter");
    SndFilter->setAccessibleName("Find a sound");
    SndFilter->setAccessibleDescription(
        "Lists only the sounds whose name, sample names or slots contain what you type. Escape "
        "clears it.");
    SndFilter->setPlaceholderText("Find a sound: name, sample or slot");
    SndFilter->hide();
    connect(SndFilter, &QLineEdit::textChanged, SndLst, &SoundListBox::setFilter);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), SndFilter);
    escape->setContext(Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, &Sondrel::hideFilter);

    // Labels never take the focus; the rest in tab order, SndVOL before SndPIT.
    QWidget* tabOrder[] = {SndFilter, SndLst, Samples, SndRAD, SndVOL, SndPIT, SndCH, Update, Save};
    for (std::size_t i = 0; i + 1 < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
    }

    // Where each control stands at the laid-out size, for resizeEvent.
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != SndFilter) {
            laidOut_.emplace_back(control, control->geometry());
        }
    }

    connect(SndLst->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Sondrel::SndLst_Click);
    connect(SndP, &FlagLabel::clicked, this, &Sondrel::SndP_Click);
    connect(SndV, &FlagLabel::clicked, this, &Sondrel::SndV_Click);
    connect(SndR, &FlagLabel::clicked, this, &Sondrel::SndR_Click);
    connect(SndL, &FlagLabel::clicked, this, &Sondrel::SndL_Click);
    connect(SndN, &FlagLabel::clicked, this, &Sondrel::SndN_Click);
    connect(Update, &QPushButton::clicked, this, &Sondrel::Update_Click);
    connect(Save, &QPushButton::clicked, this, &Sondrel::Save_Click);
}

Sondrel::LoadResult Sondrel::Form_Load() {
    try {
        state_.ObjectNames = options_.objectDatabase.empty()
                                 ? LoadObjectNames()
                                 : LoadObjectNames(options_.objectDatabase);

        if (!options_.table.empty()) {
            std::error_code ec;
            const std::filesystem::path named = std::filesystem::absolute(options_.table, ec);
            RequireTable(named);
            FM->setPath(named);
        } else if (!FM->ShowOpen() || FM->FileName().isEmpty()) {
            return LoadResult::Cancelled;
        }

        const std::filesystem::path table = FM->Path();
        state_.Table = ReadSFX(table);
        state_.SampleNames =
            ReadSampleNames(SampleListPath(table), state_.Table.NumSamples, &state_.ListForm);
        rememberFile(table);
        rememberFile(SampleListPath(table));

        state_.IncludeNative = prompts_.askYesNo(this, "Include KV4 sounds?");
        NativeSwitch->setChecked(state_.IncludeNative);
        BuildSoundList(state_.IncludeNative);
        tablePath_ = table;
        showTableName();
    } catch (const Failure& failure) {
        prompts_.reportFailure(this, failure, FailureMoment::AtStartUp);
        return LoadResult::Failed;
    } catch (const std::bad_alloc&) {
        prompts_.reportFailure(this, OutOfMemoryFailure(), FailureMoment::AtStartUp);
        return LoadResult::Failed;
    }
    SndLst->setFocus();
    return LoadResult::Ready;
}

void Sondrel::BuildSoundList(bool IncludeNative) {
    state_.ListLoaded = false;
    std::vector<SoundListEntry> entries =
        ComputeSoundList(state_.Table, state_.SampleNames, state_.ObjectNames, IncludeNative,
                         DisplayPath(SampleListPath(FM->Path())));
    shownRows_.clear();
    state_.ListToDetail.clear();
    state_.ListToDetail.reserve(entries.size());
    for (const SoundListEntry& entry : entries) {
        state_.ListToDetail.push_back(entry.ListToDetail);
    }
    state_.ListEntryCount = static_cast<std::int32_t>(entries.size());
    SndLst->setEntries(std::move(entries));
    // The list ends on its last entries, as if each had been brought into view as it came.
    SndLst->scrollToBottom();
    state_.ListLoaded = true;
}

int Sondrel::detailAt(int listIndex) const {
    if (listIndex < 0 || static_cast<std::size_t>(listIndex) >= state_.ListToDetail.size()) {
        return -1;
    }
    const std::int32_t detail = state_.ListToDetail[static_cast<std::size_t>(listIndex)] - 1;
    return detail >= 0 && static_cast<std::size_t>(detail) < state_.Table.Details.size() ? detail
                                                                                         : -1;
}

EditView Sondrel::editView() const {
    return {{SndRAD->text().toStdString(), SndVOL->text().toStdString(),
             SndPIT->text().toStdString(), SndCH->text().toStdString()},
            flagColours()};
}

std::vector<Sondrel::KnownFile>::const_iterator
Sondrel::knownFile(const std::filesystem::path& path) const {
    return std::find_if(known_.begin(), known_.end(),
                        [&](const KnownFile& file) { return SameFile(file.path, path); });
}

void Sondrel::rememberFile(const std::filesystem::path& path) {
    if (const auto known = knownFile(path); known != known_.end()) {
        known_.erase(known);
    }
    known_.push_back({path, StampFile(path)});
}

bool Sondrel::changedBehindOurBack(const std::filesystem::path& path) const {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return false; // nothing there to lose
    }
    const auto known = knownFile(path);
    if (known == known_.end()) {
        return false;
    }
    // A file that cannot be read now (another program holds it open and shares nothing) may
    // be unchanged: the save that follows finds out whether it can be replaced.
    const std::optional<FileStamp> now = StampFile(path);
    return now.has_value() && now != known->stamp;
}

FlagColours Sondrel::flagColours() const {
    return {SndV->colour(), SndP->colour(), SndN->colour(), SndL->colour(), SndR->colour()};
}

void Sondrel::setFlagColours(const FlagColours& colours) {
    SndV->setColour(colours.V);
    SndP->setColour(colours.P);
    SndN->setColour(colours.N);
    SndL->setColour(colours.L);
    SndR->setColour(colours.R);
}

void Sondrel::SndLst_Click() {
    if (!state_.ListLoaded || moving_ || SndLst->staying()) {
        return;
    }
    const std::vector<int> rows = SndLst->selectedPositions();
    if (rows == shownRows_) {
        return;
    }
    if (!mayLeaveShownSound()) {
        SndLst->stay(); // on the sounds with the edits, which stay in the fields
        return;
    }
    display(rows);
}

void Sondrel::selectRows(const std::vector<int>& rows) {
    moving_ = true;
    SndLst->selectPositions(rows);
    moving_ = false;
}

void Sondrel::showRows(const std::vector<int>& rows) {
    selectRows(rows);
    display(rows);
}

std::vector<int> Sondrel::rowsOfDetails(const std::vector<int>& details) const {
    std::vector<int> rows;
    for (int row = 0; row < state_.ListEntryCount; ++row) {
        if (std::find(details.begin(), details.end(), detailAt(row)) != details.end()) {
            rows.push_back(row);
        }
    }
    return rows;
}

bool Sondrel::hasUnappliedEdits() const {
    return !shownRows_.empty() && editView() != shown_;
}

bool Sondrel::mayLeaveShownSound() {
    if (!hasUnappliedEdits()) {
        return true;
    }
    const QString question =
        shownRows_.size() == 1
            ? QStringLiteral("You changed %1 without pressing Update.\n\nApply the changes to it?")
                  .arg(FromBytes(SndLst->entry(shownRows_.front()).Text))
            : QStringLiteral("You changed %1 sounds without pressing Update.\n\nApply the "
                             "changes to them?")
                  .arg(shownRows_.size());
    switch (prompts_.ask(this, question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                         QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return ApplyEdits();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void Sondrel::display(std::vector<int> rows) {
    Samples->clear();
    shownRows_.clear();
    std::vector<const SoundDetail*> details;
    std::vector<EditView> views;
    std::erase_if(rows, [this](int row) { return detailAt(row) < 0; });
    for (const int row : rows) {
        details.push_back(&state_.Table.Details[static_cast<std::size_t>(detailAt(row))]);
        views.push_back(ViewOfDetail(*details.back()));
    }
    if (details.empty()) {
        return;
    }
    // The samples, where the sounds all play the same ones.
    const SoundDetail& first = *details.front();
    const bool sameSamples = std::all_of(details.begin(), details.end(), [&](const auto* detail) {
        return detail->Sample == first.Sample && detail->sampleCount() == first.sampleCount();
    });
    if (sameSamples) {
        for (const DetailSample& sample : SamplesOfDetail(first, state_.SampleNames)) {
            if (sample.Name != nullptr) { // a damaged table shows what there is
                Samples->addItem(FromBytes(*sample.Name));
            }
        }
    }
    const EditView shared = SharedView(views);
    SndRAD->setText(QString::fromStdString(shared.Texts.Range));
    SndVOL->setText(QString::fromStdString(shared.Texts.Volume));
    SndPIT->setText(QString::fromStdString(shared.Texts.Pitch));
    SndCH->setText(QString::fromStdString(shared.Texts.Chance));
    if (Samples->count() > 0) {
        Samples->setCurrentIndex(0);
        Samples->lineEdit()->setCursorPosition(0); // show a long name from its start
    }
    setFlagColours(shared.Colours);
    shown_ = editView();
    shownRows_ = std::move(rows);
}

void Sondrel::switchFlags(void (*click)(FlagColours&)) {
    FlagColours colours = flagColours();
    click(colours);
    setFlagColours(colours);
}

void Sondrel::SndP_Click() {
    switchFlags([](FlagColours& c) { ClickFlag(c.P); });
}

void Sondrel::SndV_Click() {
    switchFlags([](FlagColours& c) { ClickFlag(c.V); });
}

void Sondrel::SndN_Click() {
    switchFlags([](FlagColours& c) { ClickFlag(c.N); });
}

void Sondrel::SndR_Click() {
    switchFlags([](FlagColours& c) { ClickLoopFlag(c.R, c.L); });
}

void Sondrel::SndL_Click() {
    switchFlags([](FlagColours& c) { ClickLoopFlag(c.L, c.R); });
}

void Sondrel::Update_Click() {
    ApplyEdits();
}

bool Sondrel::ApplyEdits() {
    const EditView now = editView();
    std::vector<UpdateCommand::Change> changes;
    for (const int row : shownRows_) {
        const int d = detailAt(row);
        const SoundDetail& detail = state_.Table.Details[static_cast<std::size_t>(d)];
        const EditResult result = StoreChanges(detail, shown_, now);
        if (!result.stored) {
            // The fields are the same for every sound: the first refusal stops them all.
            const FieldLimits limits = LimitsOf(result.failed);
            QLineEdit* fields[] = {SndRAD, SndVOL, SndPIT, SndCH};
            QLineEdit* field = fields[static_cast<int>(result.failed)];
            prompts_.tell(this,
                          QStringLiteral("The %1 must be a number from 0 to %2.\n\nThe %3 not "
                                         "changed.")
                              .arg(QString::fromLatin1(limits.name))
                              .arg(limits.max)
                              .arg(shownRows_.size() == 1 ? "sound was" : "sounds were"));
            field->setFocus();
            field->selectAll();
            return false;
        }
        if (result.detail != detail) {
            changes.push_back({d, detail, result.detail});
        }
    }
    if (!changes.empty()) {
        for (const UpdateCommand::Change& change : changes) {
            state_.Table.Details[static_cast<std::size_t>(change.detail)] = change.after;
        }
        undo_->push(new UpdateCommand(this, std::move(changes)));
        SndLst->sounds()->refresh();
    }
    shown_ = now;
    return true;
}

void Sondrel::undoUpdate() {
    if (hasUnappliedEdits()) {
        display(shownRows_); // the latest change is the one not yet stored: it goes first
    } else {
        undo_->undo();
    }
}

void Sondrel::redoUpdate() {
    if (!hasUnappliedEdits()) {
        undo_->redo();
    }
}

void Sondrel::showTableName() {
    QString name = QStringFromPath(tablePath_.filename());
    name.replace("[*]", "[*][*]"); // the caption's unsaved mark stands for the first "[*]"
    setWindowTitle(name + "[*] - OBEL Sondrel");
    setWindowModified(!undo_->isClean());
}

void Sondrel::resizeEvent(QResizeEvent* event) {
    layOut();
    QWidget::resizeEvent(event);
}

void Sondrel::layOut() {
    // The list takes what the window has beyond its laid-out size; the controls below it keep
    // their arrangement along its bottom edge.
    const QSize extra = size() - minimumSize();
    for (const auto& [control, geometry] : laidOut_) {
        control->setGeometry(control == SndLst
                                 ? geometry.adjusted(0, 0, extra.width(), extra.height())
                                 : geometry.translated(0, extra.height()));
    }
    if (SndFilter->isVisible()) {
        const QRect list = SndLst->geometry();
        const int line = SndFilter->sizeHint().height();
        SndFilter->setGeometry(list.left(), list.top(), list.width(), line);
        SndLst->setGeometry(list.adjusted(0, line, 0, 0));
    }
}

void Sondrel::showFilter() {
    SndFilter->show();
    layOut();
    SndFilter->setFocus();
    SndFilter->selectAll();
}

void Sondrel::hideFilter() {
    SndFilter->clear();
    SndFilter->hide();
    layOut();
    SndLst->setFocus();
    if (SndLst->currentIndex().isValid()) {
        SndLst->scrollTo(SndLst->currentIndex());
    }
}

bool Sondrel::mayPutTableAside(const QString& when) {
    if (!state_.ListLoaded || (undo_->isClean() && !hasUnappliedEdits())) {
        return true;
    }
    const QMessageBox::StandardButton answer = prompts_.ask(
        this,
        QStringLiteral("The changes to %1 are not saved.\n\nSave them %2?")
            .arg(QStringFromPath(tablePath_.filename()), when),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    return answer == QMessageBox::Discard ||
           (answer == QMessageBox::Save && ApplyEdits() && saveTable());
}

void Sondrel::closeEvent(QCloseEvent* event) {
    if (mayPutTableAside("before closing")) {
        event->accept();
    } else {
        event->ignore();
    }
}

void Sondrel::openAnother() {
    if (!mayPutTableAside("first")) {
        return;
    }
    const std::filesystem::path before = FM->Path();
    if (!FM->ShowOpen() || FM->FileName().isEmpty()) {
        return;
    }
    if (!takeTable(FM->Path(), Keep::SameText)) {
        FM->setPath(before);
    }
}

void Sondrel::readAgain() {
    if (mayPutTableAside("first")) {
        takeTable(tablePath_, Keep::SameDetail);
    }
}

void Sondrel::switchNative() {
    // The table stays as it is; only the sounds' unapplied edits are at stake.
    if (!mayLeaveShownSound()) {
        NativeSwitch->setChecked(state_.IncludeNative);
        return;
    }
    const std::vector<int> details = shownDetails();
    state_.IncludeNative = NativeSwitch->isChecked();
    BuildSoundList(state_.IncludeNative);
    reselect(details, {});
}

std::vector<int> Sondrel::shownDetails() const {
    std::vector<int> details;
    for (const int row : shownRows_) {
        details.push_back(detailAt(row));
    }
    return details;
}

bool Sondrel::takeTable(const std::filesystem::path& table, Keep keep) {
    const std::vector<int> details = shownDetails();
    QStringList texts;
    for (const int row : shownRows_) {
        texts << FromBytes(SndLst->entry(row).Text);
    }
    try {
        RequireTable(table); // read, never created
        SoundTable read = ReadSFX(table);
        SampleListForm form;
        std::vector<std::string> names =
            ReadSampleNames(SampleListPath(table), read.NumSamples, &form);
        ComputeSoundList(read, names, state_.ObjectNames, state_.IncludeNative,
                         DisplayPath(SampleListPath(table))); // refuses before anything changes
        state_.Table = std::move(read);
        state_.SampleNames = std::move(names);
        state_.ListForm = std::move(form);
    } catch (const Failure& failure) {
        prompts_.reportFailure(this, failure, FailureMoment::WhileATableIsOpen);
        return false;
    } catch (const std::bad_alloc&) {
        prompts_.reportFailure(this, OutOfMemoryFailure(), FailureMoment::WhileATableIsOpen);
        return false;
    }
    rememberFile(table);
    rememberFile(SampleListPath(table));
    tablePath_ = table;
    FM->setPath(table);
    undo_->clear(); // the history was the other table's
    undo_->setClean();
    shownRows_.clear();
    BuildSoundList(state_.IncludeNative);
    showTableName();
    reselect(keep == Keep::SameDetail ? details : std::vector<int>{},
             keep == Keep::SameText ? texts : QStringList{});
    return true;
}

void Sondrel::reselect(const std::vector<int>& details, const QStringList& texts) {
    std::vector<int> rows;
    for (int row = 0; row < state_.ListEntryCount; ++row) {
        if (std::find(details.begin(), details.end(), detailAt(row)) != details.end() ||
            texts.contains(FromBytes(SndLst->entry(row).Text))) {
            rows.push_back(row);
        }
    }
    if (!rows.empty()) {
        showRows(rows);
        SndLst->scrollTo(SndLst->currentIndex());
        return;
    }
    // The sounds are not listed any more: nothing is shown, as after start-up.
    for (QLineEdit* field : {SndRAD, SndVOL, SndPIT, SndCH}) {
        field->clear();
    }
    Samples->clear();
    shownRows_.clear();
}

void Sondrel::Save_Click() {
    saveTable();
}

bool Sondrel::saveTable() {
    if (!FM->ShowSave() || FM->FileName().isEmpty()) {
        return false;
    }
    const std::filesystem::path table = FM->Path();
    const std::filesystem::path sampleList = SampleListPath(table);
    if (SameFile(table, sampleList)) {
        // The sample list would overwrite the table just written.
        prompts_.tell(this, QStringLiteral("The table cannot be saved as %1: its sample list, the "
                                           "same name less its last three characters plus "
                                           "\"sam\", would be that same file and overwrite the "
                                           "table.\n\nNothing was written. Choose another name.")
                                .arg(QString::fromStdString(DisplayPath(table))));
        return false;
    }
    for (const std::filesystem::path& file : {table, sampleList}) {
        if (changedBehindOurBack(file) &&
            !prompts_.askYesNo(
                this,
                QStringLiteral("The file %1 has been changed by another program since "
                               "Sondrel last read or saved it.\n\nReplace it, losing "
                               "those changes?")
                    .arg(QString::fromStdString(DisplayPath(file))),
                false)) {
            return false;
        }
    }
    // A sample list Sondrel never read or wrote may be the only copy of another level's.
    std::error_code ec;
    if (std::filesystem::is_regular_file(sampleList, ec) && knownFile(sampleList) == known_.end() &&
        !prompts_.askYesNo(
            this,
            QStringLiteral("The sample list %1 already exists, and Sondrel has not read "
                           "it: it may belong to another table.\n\nReplace it with the "
                           "sample list of this table?")
                .arg(QString::fromStdString(DisplayPath(sampleList))),
            false)) {
        return false;
    }
    // What the two files hold now that the designer has decided: a file another program
    // changes while the save goes on stops it before that file is replaced.
    const PairStamps decided{StampFile(table), StampFile(sampleList)};
    try {
        WriteTableAndSampleList(table, state_.Table, state_.SampleNames, state_.ListForm, {},
                                &decided);
    } catch (const Failure& failure) {
        // Both old files are as they were, and the edits stay, so the designer can save
        // somewhere else.
        if (failure.code() == FailureCode::SampleListWrite) {
            prompts_.tell(this, QStringLiteral("The table %1 was not saved: its sample list %2 "
                                               "cannot be written.\n\n%3.\n\nBoth files are as "
                                               "they were.")
                                    .arg(QString::fromStdString(DisplayPath(table)),
                                         QString::fromStdString(DisplayPath(sampleList)),
                                         QString::fromUtf8(failure.what())));
        } else {
            prompts_.reportFailure(this, failure, FailureMoment::WhileATableIsOpen);
        }
        return false;
    }
    rememberFile(table);
    rememberFile(sampleList);
    undo_->setClean();
    tablePath_ = table;
    showTableName();
    return true;
}

} // namespace sondrel
