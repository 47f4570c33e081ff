#include "editor/prompts.h"

#include <QFileDialog>

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

} // namespace sondrel
