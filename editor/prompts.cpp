#include "editor/prompts.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace sondrel {

void Prompts::tell(QWidget* owner, const QString& text) {
    ask(owner, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool Prompts::askYesNo(QWidget* owner, const QString& question, bool yesIsDefault) {
    return ask(owner, question, QMessageBox::Yes | QMessageBox::No,
               yesIsDefault ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

void Prompts::reportFailure(QWidget* owner, const Failure& failure, FailureMoment moment) {
    tell(owner, FailureReport(failure, moment));
}

std::optional<QString> QtPrompts::chooseFile(QWidget* owner, const FileRequest& request) {
    const bool open = request.action != FileRequest::Action::Save;
    QFileDialog dialog(DialogOwner(owner));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (request.action == FileRequest::Action::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setNameFilter(request.filter);
    }
    dialog.setDirectory(request.directory);
    if (!request.title.isEmpty()) {
        dialog.setWindowTitle(request.title);
    }
    if (!open) {
        dialog.setDefaultSuffix(request.suffix); // so that it asks before replacing that file
    }
    if (!request.offered.isEmpty()) {
        dialog.selectFile(request.offered);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

QMessageBox::StandardButton QtPrompts::ask(QWidget* owner, const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) {
    return Ask(owner, text, buttons, defaultButton);
}

std::optional<TakeChoice> QtPrompts::chooseTake(QWidget* owner, const TakeChoice& offered,
                                                bool canPickOnly, const TakeWords& words) {
    QDialog dialog(DialogOwner(owner));
    dialog.setWindowTitle(QStringLiteral("Take values"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* said = new QLabel(&dialog);
    said->setWordWrap(true);
    said->setMinimumWidth(360);
    layout->addWidget(said);
    constexpr std::array<const char*, kTakenValues> kBoxes = {
        "&Range", "&Volume", "&Pitch", "&Chance", "&Flags (P, V, N and the loop mode)"};
    std::array<QCheckBox*, kTakenValues> boxes{};
    for (std::size_t i = 0; i < kTakenValues; ++i) {
        boxes[i] = new QCheckBox(QString::fromLatin1(kBoxes[i]), &dialog);
        boxes[i]->setChecked(offered.values[i]);
        layout->addWidget(boxes[i]);
    }
    auto* picked = new QCheckBox(QStringLiteral("&Only the sounds picked"), &dialog);
    picked->setChecked(canPickOnly && offered.pickedOnly);
    picked->setEnabled(canPickOnly);
    layout->addWidget(picked);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Take"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    const auto choice = [&] {
        TakeChoice chosen{{}, picked->isChecked()};
        for (std::size_t i = 0; i < kTakenValues; ++i) {
            chosen.values[i] = boxes[i]->isChecked();
        }
        return chosen;
    };
    // The counts follow the choice; nothing to take, nothing to press.
    const auto tell = [&] {
        const TakeChoice chosen = choice();
        said->setText(words(chosen));
        buttons->button(QDialogButtonBox::Ok)->setEnabled(chosen.values != TakenValues{});
    };
    for (QCheckBox* box : boxes) {
        QObject::connect(box, &QCheckBox::toggled, &dialog, tell);
    }
    QObject::connect(picked, &QCheckBox::toggled, &dialog, tell);
    tell();
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return choice();
}

std::optional<double> QtPrompts::askLoudness(QWidget* owner, const QString& text, double offered) {
    bool ok = false;
    const double lufs = QInputDialog::getDouble(
        DialogOwner(owner), QStringLiteral("Match loudness"), text, offered, -100.0, 0.0, 1, &ok);
    return ok ? std::optional(lufs) : std::nullopt;
}

} // namespace sondrel
