// Answers the window's questions and file dialogs from a script, as a designer would, and
// notes what each asked: the window asks through this instead of showing a dialog. Each
// question takes the next step; one the script did not expect fails the running test and is
// answered as Escape would answer it.
#pragma once

#include "editor/prompts.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace sondrel::testing {

// What one question or file dialog asked.
struct SeenDialog {
    QString kind; // "open", "save", "message", "take", "loudness"
    QString text;
    QStringList nameFilters;
    QString directory;
    QString offered; // the file a file dialog offered
    QString title;   // a file dialog's, where it names one
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    const QWidget* owner = nullptr; // the window asking
};

class AnswerScript : public Prompts {
public:
    // A step answers a file dialog with a name (or nothing, for Cancel), or a question with a
    // button.
    struct Step {
        std::optional<QString> file{};
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        std::optional<TakeChoice> take{}; // the values chosen to take
        std::optional<double> loudness{}; // the loudness typed
    };
    static Step chooseFile(const QString& path) { return {.file = path}; }
    static Step cancel() { return press(QMessageBox::Cancel); }
    static Step press(QMessageBox::StandardButton button) { return {.button = button}; }
    static Step take(TakeChoice choice) { return {.button = QMessageBox::Ok, .take = choice}; }
    static Step loudness(double lufs) { return {.button = QMessageBox::Ok, .loudness = lufs}; }

    // Starts over with these steps.
    void play(std::vector<Step> steps);

    const std::vector<SeenDialog>& seen() const { return seen_; }
    // The texts of the messages and questions seen, in order.
    QStringList messages() const;
    bool finished() const { return next_ == steps_.size(); }

    std::optional<QString> chooseFile(QWidget* owner, const FileRequest& request) override;
    QMessageBox::StandardButton ask(QWidget* owner, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;
    // Notes the words of the choice the step makes (of the one offered, for Cancel).
    std::optional<TakeChoice> chooseTake(QWidget* owner, const TakeChoice& offered,
                                         bool canPickOnly, const TakeWords& words) override;
    // Notes the loudness offered in the text seen: "... (-16.3)".
    std::optional<double> askLoudness(QWidget* owner, const QString& text, double offered) override;

private:
    // Notes a dialog of this kind, asked over `owner`.
    SeenDialog& see(const char* kind, const QWidget* owner);
    // The next step for what was just seen, if the script has one.
    const Step* next();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::vector<SeenDialog> seen_;
};

} // namespace sondrel::testing
