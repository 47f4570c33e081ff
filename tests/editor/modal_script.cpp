#include "tests/editor/modal_script.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace sondrel::testing {

ModalScript::ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    connect(&timer_, &QTimer::timeout, this, &ModalScript::poll);
    timer_.start(10);
}

QStringList ModalScript::messages() const {
    QStringList texts;
    for (const SeenDialog& dialog : seen_) {
        if (dialog.kind == "message") {
            texts << dialog.text;
        }
    }
    return texts;
}

void ModalScript::poll() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr ||
        std::find(answered_.begin(), answered_.end(), dialog) != answered_.end()) {
        return;
    }
    answered_.emplace_back(dialog);
    SeenDialog seen;
    seen.title = dialog->windowTitle();
    seen.frame = dialog->frameGeometry();
    seen.owner = dialog->parentWidget();
    if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
        seen.kind = files->acceptMode() == QFileDialog::AcceptOpen ? "open" : "save";
        seen.nameFilters = files->nameFilters();
        seen.directory = files->directory().absolutePath();
        seen.selectedFiles = files->selectedFiles();
    } else if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        seen.kind = "message";
        seen.text = box->text();
        seen.hasIcon = box->icon() != QMessageBox::NoIcon;
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << box->standardButton(button);
        }
        if (box->defaultButton() != nullptr) {
            seen.defaultButton = box->standardButton(box->defaultButton());
        }
    }
    seen_.push_back(seen);
    if (next_ < steps_.size()) {
        // Answer from an event of its own: an answer may open a nested dialog (the question
        // before replacing a file), which this timer must be free to find.
        QTimer::singleShot(0, this, [step = steps_[next_++], target = QPointer<QWidget>(dialog)] {
            if (target) {
                step(target);
            }
        });
    } else {
        // A dialog nobody expected: the test fails, and the dialog is closed so that it ends.
        seen_.back().kind += " (unexpected)";
        ADD_FAILURE() << "a dialog the test did not expect: \"" << seen.title.toStdString() << "\" "
                      << seen.text.toStdString();
        if (auto* box = qobject_cast<QDialog*>(dialog)) {
            box->reject();
        }
    }
}

ModalScript::Step ModalScript::chooseFile(const QString& path) {
    return [path](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        if (files == nullptr) {
            dialog->close();
            return;
        }
        // Type the whole path into the file name field, as a designer may, and press the
        // dialog's Open or Save button.
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        if (name == nullptr) {
            files->reject();
            return;
        }
        name->setText(path);
        static_cast<QDialog*>(files)->accept();
    };
}

ModalScript::Step ModalScript::cancel() {
    return [](QWidget* dialog) {
        if (auto* box = qobject_cast<QDialog*>(dialog)) {
            box->reject();
        }
    };
}

ModalScript::Step ModalScript::press(QMessageBox::StandardButton button) {
    return [button](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (box == nullptr || box->button(button) == nullptr) {
            dialog->close();
            return;
        }
        box->button(button)->click();
    };
}

} // namespace sondrel::testing
