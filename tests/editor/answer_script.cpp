#include "tests/editor/answer_script.h"

#include <gtest/gtest.h>

namespace sondrel::testing {

void AnswerScript::play(std::vector<Step> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    seen_.clear();
}

QStringList AnswerScript::messages() const {
    QStringList texts;
    for (const SeenDialog& dialog : seen_) {
        if (dialog.kind == "message") {
            texts << dialog.text;
        }
    }
    return texts;
}

SeenDialog& AnswerScript::see(const char* kind, const QWidget* owner) {
    SeenDialog& seen = seen_.emplace_back();
    seen.kind = kind;
    seen.owner = owner;
    return seen;
}

const AnswerScript::Step* AnswerScript::next() {
    if (next_ < steps_.size()) {
        return &steps_[next_++];
    }
    seen_.back().kind += " (unexpected)";
    ADD_FAILURE() << "a " << seen_.back().kind.toStdString()
                  << " the test did not expect: " << seen_.back().text.toStdString();
    return nullptr;
}

std::optional<QString> AnswerScript::chooseFile(QWidget* owner, const FileRequest& request) {
    SeenDialog& seen = see(request.action == FileRequest::Action::Open   ? "open"
                           : request.action == FileRequest::Action::Save ? "save"
                                                                         : "folder",
                           owner);
    seen.nameFilters = QStringList{request.filter};
    seen.directory = request.directory;
    seen.offered = request.offered;
    seen.title = request.title;
    const Step* step = next();
    if (step != nullptr && step->button != QMessageBox::NoButton &&
        step->button != QMessageBox::Cancel) {
        ADD_FAILURE() << "a button for a file dialog: " << seen.kind.toStdString();
    }
    return step != nullptr ? step->file : std::nullopt;
}

QMessageBox::StandardButton AnswerScript::ask(QWidget* owner, const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton) {
    SeenDialog& seen = see("message", owner);
    seen.text = text;
    seen.defaultButton = defaultButton;
    for (const QMessageBox::StandardButton button :
         {QMessageBox::Ok, QMessageBox::Save, QMessageBox::Yes, QMessageBox::No,
          QMessageBox::Discard, QMessageBox::Cancel}) {
        if (buttons.testFlag(button)) {
            seen.buttons << button;
        }
    }
    const QMessageBox::StandardButton escape =
        buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
        : buttons.testFlag(QMessageBox::No)   ? QMessageBox::No
                                              : QMessageBox::Ok;
    const Step* step = next();
    if (step == nullptr) {
        return escape;
    }
    if (!buttons.testFlag(step->button)) {
        ADD_FAILURE() << "no such button in: " << text.toStdString();
        return escape;
    }
    return step->button;
}

std::optional<TakeChoice> AnswerScript::chooseTake(QWidget* owner, const TakeChoice& offered,
                                                   bool canPickOnly, const TakeWords& words) {
    SeenDialog& seen = see("take", owner);
    const Step* step = next();
    const std::optional<TakeChoice> chosen = step != nullptr ? step->take : std::nullopt;
    EXPECT_TRUE(canPickOnly || !chosen || !chosen->pickedOnly);
    seen.text = words(chosen.value_or(offered));
    return chosen;
}

std::optional<double> AnswerScript::askLoudness(QWidget* owner, const QString& text,
                                                double offered) {
    SeenDialog& seen = see("loudness", owner);
    seen.text = text + QStringLiteral(" (%1)").arg(offered, 0, 'f', 1);
    const Step* step = next();
    return step != nullptr ? step->loudness : std::nullopt;
}

} // namespace sondrel::testing
