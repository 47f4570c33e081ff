// The program's message boxes: titled "Sondrel", without an icon, centred over the window
// where it is shown and over the screen before it is.
#pragma once

#include "formats/failure.h"

#include <QMessageBox>
#include <QString>

class QWidget;

namespace sondrel {

inline constexpr char kTitle[] = "Sondrel";

// A message with one OK button.
void ShowMessage(QWidget* parent, const QString& text);

// A question with Yes and No, Yes the default unless `yesIsDefault` is false. True only for
// Yes.
bool AskYesNo(QWidget* parent, const QString& question, bool yesIsDefault = true);

// A question with the buttons given; Escape gives Cancel where there is one, else No. Returns
// the button pressed.
QMessageBox::StandardButton Ask(QWidget* parent, const QString& question,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton);

// When a failure comes: at start-up Sondrel then ends; with a table open, that table stays.
enum class FailureMoment { AtStartUp, WhileATableIsOpen };

// Shows a failure: the table's fixed texts as they are, any other failure as what happened;
// below, what the designer can do, and last what happens now, with the failure's number.
void ReportFailure(QWidget* parent, const Failure& failure, FailureMoment moment);

// The text of that report.
QString FailureReport(const Failure& failure, FailureMoment moment);

} // namespace sondrel
