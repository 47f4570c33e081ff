// How the window asks the designer: for the name of a file to open or to save under, and
// with messages and questions. The program answers through Qt's dialogs (QtPrompts); the
// window's tests answer through a script of their own, without a dialog on the screen.
#pragma once

#include "document/take_values.h"
#include "editor/messages.h"

#include <QMessageBox>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace sondrel {

// What a file dialog is asked for.
struct FileRequest {
    enum class Action { Open, Save, Folder };
    Action action = Action::Open;
    QString offered;   // the file offered, as the dialog shows it; empty for none
    QString directory; // where the dialog starts
    QString filter;    // the one file type offered: "OBEL Sound Files (*.sfx)"; none for a folder
    QString suffix;    // what saving adds to a name without an extension, "sfx"
    QString title;     // the dialog's own, where it has one
};

// What "Take values from another table" takes: the values, and whether only the sounds picked
// take them.
struct TakeChoice {
    TakenValues values = kAllValues;
    bool pickedOnly = false;
};
// What a choice would do, in words.
using TakeWords = std::function<QString(const TakeChoice&)>;

class Prompts {
public:
    virtual ~Prompts() = default;

    // The name chosen, as the dialog gives it; nothing when the designer cancelled.
    virtual std::optional<QString> chooseFile(QWidget* owner, const FileRequest& request) = 0;
    // The button pressed; Escape gives Cancel where there is one, else No.
    virtual QMessageBox::StandardButton ask(QWidget* owner, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) = 0;
    // The values to take, first `offered`, saying what each choice would do; nothing for
    // Cancel. `canPickOnly` where some sounds are picked.
    virtual std::optional<TakeChoice> chooseTake(QWidget* owner, const TakeChoice& offered,
                                                 bool canPickOnly, const TakeWords& words) = 0;

    // A loudness in LUFS, from -100 to 0, `offered` first; nothing for Cancel.
    virtual std::optional<double> askLoudness(QWidget* owner, const QString& text,
                                              double offered) = 0;

    // A message with one OK button.
    void tell(QWidget* owner, const QString& text);
    // A question with Yes and No, Yes the default unless `yesIsDefault` is false. True only
    // for Yes.
    bool askYesNo(QWidget* owner, const QString& question, bool yesIsDefault = true);
    // A failure, as FailureReport words it.
    void reportFailure(QWidget* owner, const Failure& failure, FailureMoment moment);
};

// Qt's dialogs, as messages.h shows them.
class QtPrompts : public Prompts {
public:
    std::optional<QString> chooseFile(QWidget* owner, const FileRequest& request) override;
    QMessageBox::StandardButton ask(QWidget* owner, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;
    std::optional<TakeChoice> chooseTake(QWidget* owner, const TakeChoice& offered,
                                         bool canPickOnly, const TakeWords& words) override;
    std::optional<double> askLoudness(QWidget* owner, const QString& text, double offered) override;
};

} // namespace sondrel
