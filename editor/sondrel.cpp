#include "editor/sondrel.h"

#include "editor/accessibility.h"
#include "editor/file_dialog.h"
#include "editor/flag_label.h"
#include "editor/icon.h"
#include "editor/look.h"
#include "editor/prompts.h"
#include "editor/sound_list_box.h"
#include "player/sample_player.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTimer>

#include <cctype>

namespace sondrel {
namespace {

constexpr char kChanceTip[] =
    "Random number to make sound not play evey time. The higher the number, the "
    "smaller the chance it plays.";

} // namespace

Sondrel::Sondrel(StartOptions options, EarlyRead early)
    : options_(std::move(options)), early_(std::move(early)),
      ownPrompts_(options_.prompts == nullptr ? std::make_unique<QtPrompts>() : nullptr),
      prompts_(options_.prompts != nullptr ? *options_.prompts : *ownPrompts_),
      measurer_([this](LoudnessMeasurer::Result result) {
          QMetaObject::invokeMethod(
              this, [this, result = std::move(result)] { loudnessMeasured(result); },
              Qt::QueuedConnection);
      }) {
    setObjectName("Sondrel");
    setWindowTitle("OBEL Sondrel");
    if (QApplication::windowIcon().isNull()) { // else it is the program's, drawn once
        setWindowIcon(SondrelIcon());
    }
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
    setAcceptDrops(true); // a table dropped onto the window opens
    InstallAccessibility(staticMetaObject);
    createControls();
}

Sondrel::~Sondrel() {
    // The controls go after the window's own state: what they signal on the way is not heard.
    SndLst->selectionModel()->disconnect(this);
    Samples->lineEdit()->removeEventFilter(this);
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
    // Not its text, "None" until a sound is picked. On Linux Qt names a box by its text, so the
    // field in it, which has the focus there, carries the name too.
    Samples->setAccessibleName("Samples");
    Samples->setEditable(true);
    Samples->setInsertPolicy(QComboBox::NoInsert); // it only ever holds the sound's samples
    Samples->setEditText("None");
    Samples->setForegroundRole(QPalette::ButtonText);
    Samples->lineEdit()->installEventFilter(this); // a double click plays the sample
    Samples->lineEdit()->setAccessibleName("Samples");
    PlaceInTwips(Samples, 0, 2760, 1695, 315);
    SndLst = new SoundListBox(open_, this);
    SndLst->settle = [this] { selectRows(view_.positions()); };
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
    for (const FieldInfo& field : kEditFields) {
        std::string takes = WhatFieldTakes(field);
        takes.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(takes.front())));
        fieldOf(field.field)
            ->setAccessibleDescription(QString::fromStdString(takes + ". Update stores it."));
    }
    Label1->setBuddy(SndRAD);
    Label2->setBuddy(SndVOL);
    Label3->setBuddy(SndPIT);
    Label4->setBuddy(SndCH);
    for (const FlagInfo& flag : kFlagLabels) {
        FlagLabel* label = labelOf(flag);
        label->setAccessibleName(flag.name);
        label->setAccessibleDescription(
            QStringLiteral("%1. Red when set. Click it, or press Alt+%2, to switch it; Update "
                           "stores it.")
                .arg(QString::fromLatin1(flag.meaning), label->text()));
        // Alt and the flag's letter switch it as a click does.
        auto* shortcut =
            new QShortcut(QKeySequence("Alt+" + label->text(), QKeySequence::PortableText), this);
        connect(shortcut, &QShortcut::activated, label, &FlagLabel::click);
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
        return created;
    };
    action("Undo", {Qt::CTRL | Qt::Key_Z}, &Sondrel::undoUpdate);
    action("Redo", {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}, &Sondrel::redoUpdate);
    action("Save", {Qt::CTRL | Qt::Key_S}, &Sondrel::saveInPlace);
    action("Save as...", {Qt::CTRL | Qt::SHIFT | Qt::Key_S}, &Sondrel::saveAs);
    action("Open another table...", {Qt::CTRL | Qt::Key_O}, &Sondrel::openAnother);
    action("Read the table again", {Qt::Key_F5}, &Sondrel::readAgain);
    action("Take values from another table...", {Qt::CTRL | Qt::Key_T}, &Sondrel::takeValues);
    action("Match loudness...", {Qt::CTRL | Qt::Key_M}, &Sondrel::matchLoudness);
    NativeSwitch = action("Include KV4 sounds", {Qt::CTRL | Qt::Key_I}, &Sondrel::switchNative);
    NativeSwitch->setCheckable(true);
    action("Find a sound...", {Qt::CTRL | Qt::Key_F}, &Sondrel::showFilter);
    action("Play", {Qt::CTRL | Qt::Key_P}, &Sondrel::playSound);
    action("Samples folder...", {}, &Sondrel::chooseSamplesFolder);
    action("Help", {Qt::Key_F1}, &Sondrel::showHelp);
    action("About Sondrel", {}, &Sondrel::showAbout);
    SndLst->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SndLst, &QWidget::customContextMenuRequested, this, &Sondrel::showContextMenu);
    Save->setAccessibleDescription(
        "Saves the table and its sample list under a name you choose (Ctrl+Shift+S). Ctrl+S "
        "saves them where they are.");
    Update->setAccessibleDescription(
        "Stores what you changed into the selected sound (Ctrl+Return).");

    // What was just done, on a line of its own when the window is enlarged; at the first size,
    // for a few seconds over the list's last line, so that no control of the form moves.
    SndStatus = new QLabel(this);
    SndStatus->setObjectName("SndStatus");
    SndStatus->setAccessibleName("Status");
    SndStatus->setAutoFillBackground(true);
    SndStatus->hide();
    statusShowing_ = new QTimer(this);
    statusShowing_->setSingleShot(true);
    statusShowing_->setInterval(4000);
    connect(statusShowing_, &QTimer::timeout, this, &Sondrel::layOut);

    // Labels never take the focus; the rest in tab order, SndVOL before SndPIT.
    QWidget* tabOrder[] = {SndLst, Samples, SndRAD, SndVOL, SndPIT, SndCH, Update, Save};
    for (std::size_t i = 0; i + 1 < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
    }

    // Where each control stands at the laid-out size, for resizeEvent.
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != SndStatus) {
            laidOut_.emplace_back(control, control->geometry());
        }
    }
    // The unsaved mark shows as soon as a field holds an edit.
    for (QLineEdit* field : {SndRAD, SndVOL, SndPIT, SndCH}) {
        connect(field, &QLineEdit::textChanged, this, &Sondrel::showModified);
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

} // namespace sondrel
